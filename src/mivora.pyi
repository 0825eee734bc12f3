# Type stubs of the mivora extension module (PEP 561: installed beside it).
# Internal errors are raised as PanicException, a BaseException subclass that
# the module does not export under a name.
import os
from collections.abc import Iterable, Sequence
from typing import Any, ClassVar, Literal, SupportsFloat, SupportsIndex, TypedDict, final

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
    """One node, shared between its graph and any ``Node`` object holding it."""
    def __new__(cls, label: str) -> Node:
        """A node standing on its own, outside any graph.

        Parameters:
            label: The node's name (any ``str``).

        Returns:
            A new ``Node``. It can be linked to nodes of any graph with
            ``add_connection``, but belongs to no graph (it has no id).
        """
    @property
    def label(self) -> str:
        """The node's label (read-only)."""
    def add_connection(self, node: Node, weight: _Number, directed: _Flag) -> None:
        """Store a connection from this node to ``node``.

        The connection is stored on this node whatever its direction. It does not
        keep ``node`` alive: once nothing owns ``node`` any more, the connection
        reads as leading to ``"[Removed]"``.

        Parameters:
            node: The target, a node of any graph or a free-standing one.
            weight: Stored as a single-precision float (0.1 reads back as
                0.10000000149011612).
            directed: ``True`` for an arc, ``False`` or ``None`` for an edge.
        """

@final
class Graph:
    """A graph of labelled nodes joined by weighted arcs (directed) and edges
    (undirected). A graph belongs to the thread that created it."""
    def __new__(cls) -> Graph:
        """An empty graph: no nodes, no connections."""
    def add_node(self, label: str) -> Node:
        """Add a node carrying ``label`` at the end of the node list.

        Labels are unique within a graph built by calls: adding a label that is
        already present changes nothing, prints ``Node with label '<label>' already
        exists!`` on standard output and returns the node already carrying it.
        Lookups by label are O(1).

        Parameters:
            label: The node's name, compared byte for byte (case-sensitive, no
                trimming).

        Returns:
            The ``Node`` carrying ``label``, sharing the graph's node.
        """
    def create_connection(
        self, from_label: str, to_label: str, weight: _Number = 0.0, directed: _Flag = False
    ) -> None:
        """Connect two nodes of this graph, named by label.

        The connection is stored once, on the ``from`` node, whatever its direction.

        Parameters:
            from_label: Label of the node the connection leaves.
            to_label: Label of the node it reaches.
            weight: Stored as a single-precision float (default 0.0).
            directed: ``True`` for an arc; ``False`` or ``None`` for an edge.

        Raises:
            PanicException: ``Node 'from' not found`` or ``Node 'to' not found``
                when a label names no node. ``PanicException`` derives from
                ``BaseException``: ``except Exception`` does not catch it.
        """
    def node_by_label(self, node_label: str) -> Node:
        """The node carrying ``node_label``.

        Raises:
            PanicException: when no node carries the label.
        """
    def get_connections(self) -> list[_Connection]:
        """One dict per stored connection, in node order and then in the order each
        node's connections were added.

        Returns:
            A list of dicts with the keys ``from``, ``to`` (``"[Removed]"`` when the
            target no longer exists), ``weight`` (the stored single-precision value
            as a ``float``) and ``directed``, in that order.
        """
    def generate_adjacency_matrix(self) -> list[list[float]]:
        """The N x N weight matrix of the graph, rows and columns in node order.

        Cell ``[i][j]`` holds the weight of the connection from node i to node j
        (0.0 where there is none); an edge also writes ``[j][i]``. Connections are
        applied in record order, so a later connection between the same pair
        overwrites an earlier one.

        Raises:
            PanicException: ``no entry found for key`` when a connection leads to
                a node outside the graph or to one that no longer exists.
        """
    def get_total_weight(self) -> float:
        """Sum of all connection weights, in single precision (-0.0 when there are
        none).
        """
    def get_mean_weight(self) -> float:
        """Mean connection weight, in single precision (NaN when there are no
        connections).
        """
    def get_node_count(self) -> int:
        """Number of nodes."""
    def get_edge_count(self) -> int:
        """Number of stored connections, each counted once whatever its direction."""
    def get_density(self, directed: _Flag) -> float:
        """Density ``f * E / ((N - 1) * N)`` in single precision.

        Parameters:
            directed: Selects only the factor: f = 2.0 when true, 1.0 when false or
                ``None``. E counts every connection whatever its own direction.

        Returns:
            The density; NaN for an empty graph or one node without connections,
            +inf for one node with connections.
        """
    def compute_degrees(self, node_label: str) -> _Degrees:
        """The four degree counts of the node labelled ``node_label``.

        ``in_degree``/``out_degree`` count arcs reaching/leaving the node (a self-loop
        arc counts once in each), ``total_degree`` is their sum and never includes
        edges, ``undirected_degree`` counts edges touching the node (a self-loop edge
        once). A connection to a node outside the graph counts for the graph node
        carrying the same label. A label that names no node gives four zeros.

        Returns:
            ``{"in_degree", "out_degree", "total_degree", "undirected_degree"}``.
        """
    def get_centrality_degrees(self, node_label: str) -> _Centralities:
        """Degree centrality of a node: each degree of ``compute_degrees`` divided by
        N - 1, in single precision.

        Returns:
            ``{"out_centrality", "in_centrality", "total_centrality",
            "undirected_centrality"}``, or an empty dict when the graph has at most
            one node. Values are not clamped: parallel connections and self-loops
            can exceed 1.
        """
    def get_node_strength(self, node_label: str) -> _Strengths:
        """Weighted strength of a node, in single precision.

        An arc adds its weight to the ``out_strength`` of its source and the
        ``in_strength`` of its target; an edge adds its weight to both out and in
        of both ends (a self-loop edge twice).

        Returns:
            ``{"out_strength", "in_strength", "total_strength"}``; zeros for a label
            that names no node.
        """
    def get_all_nodes_degrees(self) -> dict[str, _Degrees]:
        """The ``compute_degrees`` record of every node, keyed by label, in O(N + E)."""
    def get_average_degree(self, directed: _Flag = False) -> float:
        """Average degree ``f * E / N`` in single precision.

        Parameters:
            directed: Selects only the factor: f = 1.0 when true, 2.0 when false or
                ``None`` (the default).

        Returns:
            The average degree; NaN for an empty graph.
        """
    def get_degree_distribution(self) -> _Distributions:
        """Fraction of nodes with each in-, out- and undirected degree.

        Returns:
            ``{"in_distribution", "out_distribution", "undirected_distribution"}``,
            each a dict from degree to the fraction of nodes having it (single
            precision); only degrees that occur are present.
        """
    def compute_entropy(self) -> _Entropies:
        """Shannon entropy (nats) of the three degree distributions, in single
        precision.

        Returns:
            ``{"in_entropy", "out_entropy", "undirected_entropy"}``; -0.0 for an
            empty distribution or one with a single degree.
        """
    def get_max_possible_entropy(self) -> float:
        """``ln(N - 1)`` in double precision: -inf for one node, 0.0 for two."""
    def get_skewness(self) -> _Skewnesses:
        """Rank-weighted skewness of the in-, out- and undirected degrees.

        Degrees are ranked from the largest (rank 1); the value is
        ``sum(rank * degree) / ((N + 1) * N / 2 * mean degree)``, in single
        precision: 1.0 when all nodes share one degree d > 0, lower when degrees
        concentrate on few nodes, NaN when every degree of the kind is 0.

        Returns:
            ``{"in_skewness", "out_skewness", "undirected_skewness"}``.
        """
    def dfs(self, start_node_label: str) -> list[str]:
        """Depth-first traversal order from a node.

        Connections are followed only from the node that stores them, whatever their
        direction (an edge created from A to B leads from A to B only), first-added
        first, also into nodes outside the graph; lapsed targets are skipped.
        Visited nodes are recognised by label.

        Returns:
            Labels in pre-order of visit.

        Raises:
            PanicException: ``Error: Initial node not found``.
        """
    def bfs(self, start_node_label: str) -> list[str]:
        """Breadth-first traversal order from a node.

        Follows connections as ``dfs`` does.

        Returns:
            Labels in visiting order.

        Raises:
            PanicException: ``Error: Initial node not found``.
        """
    def dijkstra(self, start_node_label: str) -> dict[str, float]:
        """Shortest distances from a node by connection weight.

        Arcs are followed forward, edges both ways; a connection of weight 0.0 is
        not followed; between one ordered pair of nodes only the connection written
        last counts (as in ``generate_adjacency_matrix``); negative weights are used
        as they are. Sums are formed in single precision. O((N + E) log N).

        Returns:
            ``{label: distance}`` for every node; unreachable nodes get ``inf``.

        Raises:
            PanicException: ``Node not found``, or ``no entry found for key`` when a
                connection leads outside the graph.
        """
    def output_svg(
        self, layout: Layout = ..., override_positions: bool = False, style: GraphStyle | None = None
    ) -> str:
        """Draw the graph as an SVG document.

        Parameters:
            layout: Layout used to place the nodes (default ``Layout.Random``). A
                graph read from a file with positions keeps them unless
                ``override_positions`` is true; any other graph is laid out anew,
                and the positions stay in the graph.
            override_positions: Lay out even when the graph has stored positions.
            style: A ``GraphStyle``; ``None`` means the default style.

        Returns:
            The SVG text (view box ``20 20 1480 680``). Labels are inserted without
            escaping.
        """
    def output_html(
        self,
        file_name: str,
        layout: Layout = ...,
        override_positions: bool = False,
        style: GraphStyle | None = None,
    ) -> None:
        """Write a self-contained interactive page showing the graph.

        The page embeds the SVG drawing of ``output_svg`` and a script that pans
        (drag the background), zooms (wheel), drags nodes and offers the moved graph
        as Pajek or JSON downloads from its menu.

        Parameters:
            file_name: Path of the page to write.
            layout, override_positions, style: As for ``output_svg``.

        Raises:
            PanicException: ``Error while creating the file: ...``.
        """
    def output_net_file(self, file_name: str) -> None:
        """Write the graph as a Pajek file (mivora's dialect).

        Vertices are numbered by node id from 0, labels quoted, positions mapped to
        the unit square; each connection goes to ``*Arcs`` or ``*Edges``.

        Raises:
            PanicException: ``Error while creating the file: ...``.
        """
    def output_json_file(self, file_name: str) -> None:
        """Write the graph as mivora's JSON graph file (two-space indented).

        Positions are written in canvas units; non-finite numbers as ``null``.

        Raises:
            PanicException: ``Error while creating the file: ...``.
        """
    @property
    def nodes(self) -> list[Node]:
        """The graph's nodes in insertion order, as ``Node`` objects sharing them."""
    @staticmethod
    def from_adjacency_matrix(
        adj_matrix: Sequence[Sequence[_Number]],
        directed: _Flag = False,
        custom_labels: Sequence[str] | None = None,
    ) -> Graph:
        """A graph built from a weight matrix.

        Every non-zero cell ``[i][j]`` becomes one connection, stored on node i,
        to node j with that weight (single precision), created row by row. With
        ``directed`` false a symmetric matrix therefore gives two edges for each
        off-diagonal pair.

        Parameters:
            adj_matrix: A sequence of rows, each a sequence of numbers.
            directed: Make arcs (``True``) or edges (``False``/``None``).
            custom_labels: One label per node; default ``"0"``, ``"1"``, ...
                The node count is the number of labels; repeated labels are
                kept as separate nodes.

        Raises:
            PanicException: ``index out of bounds: ...`` for a row shorter than
                the number of rows, ``Node not found`` for a non-zero cell
                without a label.
        """
    @staticmethod
    def from_net_file(file_path: str) -> Graph:
        """Read mivora's Pajek dialect (the files ``output_net_file`` writes).

        For the Pajek files other tools write, use ``Graph.read``. Positions in the
        unit square are mapped onto the canvas.

        Raises:
            PanicException: ``Failed to open file: ...`` or
                ``Failed to read .net file: ...``.
        """
    @staticmethod
    def from_json_file(file_path: str) -> Graph:
        """Read mivora's JSON graph file.

        Raises:
            PanicException: ``Failed to read .json file: ...``.
        """

    # ---- reading and writing files of every format ----
    @staticmethod
    def read(
        file_path: str | os.PathLike[str],
        format: str | None = None,
        *,
        encoding: str = "utf-8",
        positions: str = "canvas",
        directed: bool | None = None,
        delimiter: str | None = None,
        comments: str = "#%",
        header: bool | None = None,
        weight: SupportsIndex | None = None,
    ) -> Graph: ...
    def write(
        self,
        file_name: str | os.PathLike[str],
        format: str | None = None,
        *,
        delimiter: str | None = None,
        header: bool | None = None,
        weights: bool | None = None,
    ) -> None: ...

    # ---- bridges: arrays, tables, networkx, igraph ----
    @staticmethod
    def from_edges(
        sources: object,
        targets: object,
        weights: object | None = None,
        directed: _Flag = False,
        labels: object | None = None,
    ) -> Graph: ...
    @staticmethod
    def from_table(
        table: object,
        source: str = "source",
        target: str = "target",
        weight: str | None = None,
        directed: _Flag = False,
    ) -> Graph: ...
    def add_edges(
        self, sources: object, targets: object, weights: object | None = None, directed: _Flag = False
    ) -> None: ...
    def add_nodes(self, labels: object) -> None: ...
    def to_csr(self) -> tuple[memoryview, memoryview, memoryview]: ...
    def to_edges(self) -> tuple[memoryview, memoryview, memoryview, memoryview]: ...
    def adjacency_array(self, dtype: Literal["float32", "float64"] = "float32") -> memoryview: ...
    def to_scipy(self) -> Any: ...
    @staticmethod
    def from_networkx(graph: Any, weight: str | None = "weight") -> Graph: ...
    def to_networkx(self) -> Any: ...
    @staticmethod
    def from_igraph(graph: Any, weight: str | None = "weight", label: str | None = "name") -> Graph: ...
    def to_igraph(self) -> Any: ...

    # ---- network measures: components, paths, clustering, cores, trees ----
    def connected_components(self) -> list[list[str]]: ...
    def strongly_connected_components(self) -> list[list[str]]: ...
    def is_connected(self) -> bool: ...
    def shortest_path(self, source: str, target: str, weighted: bool = True) -> list[str]: ...
    # Hop counts (int) when not weighted.
    def shortest_path_lengths(self, source: str, weighted: bool = True) -> dict[str, float]: ...
    def clustering(self) -> dict[str, float]: ...
    def average_clustering(self) -> float: ...
    def transitivity(self) -> float: ...
    def triangles(self) -> dict[str, int]: ...
    def core_number(self) -> dict[str, int]: ...
    def minimum_spanning_tree(self) -> Graph: ...
    def eccentricity(self) -> dict[str, int]: ...
    def diameter(self) -> int: ...

    # ---- network measures: centralities and communities ----
    def pagerank(
        self, damping: float = 0.85, weighted: _Flag = True, tol: float = 1e-10, max_iter: int = 1000
    ) -> dict[str, float]: ...
    def betweenness_centrality(
        self, normalized: _Flag = True, weighted: _Flag = False, endpoints: _Flag = False
    ) -> dict[str, float]: ...
    def closeness_centrality(self, weighted: _Flag = False) -> dict[str, float]: ...
    def harmonic_centrality(self, weighted: _Flag = False) -> dict[str, float]: ...
    def communities(self, resolution: float = 1.0, seed: int | None = None) -> list[list[str]]: ...
    def modularity(self, communities: Iterable[Iterable[str]], resolution: float = 1.0) -> float: ...

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
    """How ``output_svg`` and ``output_html`` place nodes on the 1500 x 700
    canvas. Members compare equal to their int values.
    """
    Random: ClassVar[Layout]
    """0: uniformly random positions inside the canvas margins."""
    Circular: ClassVar[Layout]
    """1: nodes on an ellipse in node order."""
    Spring: ClassVar[Layout]
    """2: an exact force-directed spring layout, O(N^2) per iteration."""
    Force: ClassVar[Layout]
    """3: a multilevel force-directed layout for large graphs, O((N + E) log N) per
    iteration; node sizes of its drawings follow the graph's size."""
    def __int__(self) -> int: ...
    def __eq__(self, value: object, /) -> bool: ...
    def __ne__(self, value: object, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class GraphStyle:
    """The drawing style of ``output_svg`` and ``output_html``: eleven fields,
    each ``None`` in the constructor meaning its default. Setting a field converts
    the value as the constructor does; fields cannot be deleted.
    """
    node_color: str
    """Fill of every node circle (default ``"blue"``)."""
    node_border: str
    """Stroke of every node circle (default ``"blue"``)."""
    node_radius: int
    """Radius of every node circle (default 20)."""
    marker_svg: str
    """Path data of the arrowhead (default ``"M0,0 L0,6 L9,3 z"``)."""
    marker_fill: str
    """Fill of the arrowhead (default ``"black"``)."""
    marker_width: int
    """Width of the arrowhead marker (default 30)."""
    marker_height: int
    """Height of the arrowhead marker (default 30)."""
    line_color: str
    """Stroke of every connection line (default ``"black"``)."""
    line_min_width: int
    """Line width of weight 1 when widths follow weights (default 1)."""
    line_max_width: int
    """Line width of the largest weight (default 5)."""
    dynamic_line_size: bool
    """Whether line widths follow weights (default ``True``)."""
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

class FormatError(ValueError):
    file_name: str | None
    line: int | None
    column: int | None
