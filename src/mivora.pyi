# Type stubs of the mivora extension module (PEP 561: installed beside it).
# Internal errors are raised as PanicException, a BaseException subclass that
# the module does not export under a name.
from collections.abc import Sequence
from typing import ClassVar, SupportsFloat, SupportsIndex, TypedDict, final

_Number = SupportsFloat | SupportsIndex
# `directed` and other boolean flags: a bool, a NumPy bool scalar or None
# (counting as False); an int is refused.
_Flag = bool | None

_Connection = TypedDict("_Connection", {"from": str, "to": str, "weight": float, "directed": bool})

class _Degrees(TypedDict):
    in_degree: int
    out_degree: int
    total_degree: int
    undirected_degree: int

class _Centralities(TypedDict):
    out_centrality: float
    in_centrality: float
    total_centrality: float
    undirected_centrality: float

class _Strengths(TypedDict):
    out_strength: float
    in_strength: float
    total_strength: float

class _Distributions(TypedDict):
    in_distribution: dict[int, float]
    out_distribution: dict[int, float]
    undirected_distribution: dict[int, float]

class _Entropies(TypedDict):
    in_entropy: float
    out_entropy: float
    undirected_entropy: float

class _Skewnesses(TypedDict):
    in_skewness: float
    out_skewness: float
    undirected_skewness: float

@final
class Node:
    def __new__(cls, label: str) -> Node: ...
    @property
    def label(self) -> str: ...
    def add_connection(self, node: Node, weight: _Number, directed: _Flag) -> None: ...

@final
class Graph:
    def __new__(cls) -> Graph: ...
    def add_node(self, label: str) -> Node: ...
    def create_connection(
        self, from_label: str, to_label: str, weight: _Number = 0.0, directed: _Flag = False
    ) -> None: ...
    def node_by_label(self, node_label: str) -> Node: ...
    def get_connections(self) -> list[_Connection]: ...
    def generate_adjacency_matrix(self) -> list[list[float]]: ...
    def get_total_weight(self) -> float: ...
    def get_mean_weight(self) -> float: ...
    def get_node_count(self) -> int: ...
    def get_edge_count(self) -> int: ...
    def get_density(self, directed: _Flag) -> float: ...
    def compute_degrees(self, node_label: str) -> _Degrees: ...
    def get_centrality_degrees(self, node_label: str) -> _Centralities: ...
    def get_node_strength(self, node_label: str) -> _Strengths: ...
    def get_all_nodes_degrees(self) -> dict[str, _Degrees]: ...
    def get_average_degree(self, directed: _Flag = False) -> float: ...
    def get_degree_distribution(self) -> _Distributions: ...
    def compute_entropy(self) -> _Entropies: ...
    def get_max_possible_entropy(self) -> float: ...
    def get_skewness(self) -> _Skewnesses: ...
    def dfs(self, start_node_label: str) -> list[str]: ...
    def bfs(self, start_node_label: str) -> list[str]: ...
    def dijkstra(self, start_node_label: str) -> dict[str, float]: ...
    def output_svg(
        self, layout: Layout = ..., override_positions: bool = False, style: GraphStyle | None = None
    ) -> str: ...
    def output_html(
        self,
        file_name: str,
        layout: Layout = ...,
        override_positions: bool = False,
        style: GraphStyle | None = None,
    ) -> None: ...
    def output_net_file(self, file_name: str) -> None: ...
    def output_json_file(self, file_name: str) -> None: ...
    @property
    def nodes(self) -> list[Node]: ...
    @staticmethod
    def from_adjacency_matrix(
        adj_matrix: Sequence[Sequence[_Number]],
        directed: _Flag = False,
        custom_labels: Sequence[str] | None = None,
    ) -> Graph: ...
    @staticmethod
    def from_net_file(file_path: str) -> Graph: ...
    @staticmethod
    def from_json_file(file_path: str) -> Graph: ...

    # ---- reading and writing files of every format ----

    # ---- bridges: arrays, tables, networkx, igraph ----

    # ---- network measures: components, paths, clustering, cores, trees ----

    # ---- network measures: centralities and communities ----

    # ---- drawing at scale ----
    def compute_layout(
        self, layout: Layout = ..., *, seed: int | None = None, iterations: SupportsIndex | None = None
    ) -> None: ...
    def positions(self) -> dict[str, tuple[float, float]]: ...
    def output_webgl(
        self, file_name: str, layout: Layout | None = None, *, override_positions: bool = False
    ) -> None: ...
    def _repr_html_(self) -> str: ...

@final
class Layout:
    Random: ClassVar[Layout]
    Circular: ClassVar[Layout]
    Spring: ClassVar[Layout]
    Force: ClassVar[Layout]
    def __int__(self) -> int: ...
    def __eq__(self, value: object, /) -> bool: ...
    def __ne__(self, value: object, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class GraphStyle:
    node_color: str
    node_border: str
    node_radius: int
    marker_svg: str
    marker_fill: str
    marker_width: int
    marker_height: int
    line_color: str
    line_min_width: int
    line_max_width: int
    dynamic_line_size: bool
    def __new__(
        cls,
        node_color: str | None = None,
        node_border: str | None = None,
        node_radius: SupportsIndex | None = None,
        marker_svg: str | None = None,
        marker_fill: str | None = None,
        marker_width: SupportsIndex | None = None,
        marker_height: SupportsIndex | None = None,
        line_color: str | None = None,
        line_min_width: SupportsIndex | None = None,
        line_max_width: SupportsIndex | None = None,
        dynamic_line_size: bool | None = None,
    ) -> GraphStyle: ...
