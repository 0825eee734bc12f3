# Type stubs of the mivora extension module (PEP 561: installed beside it).
# The docstrings below are the module's own: the build turns each into a macro
# MIVORA_DOC_<Class>_<member> (cmake/generate_docstrings.py) that the method
# tables append to the text signature. One layout: a summary line, a blank
# line, prose, then the Google sections Args:, Returns:, Raises:, Example:.
# Internal errors are raised as mivora.PanicException, a BaseException subclass.
import os
from collections.abc import Callable, Iterable, Sequence
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

        Args:
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

        Args:
            node: The target, a node of any graph or a free-standing one.
            weight: Stored as a single-precision float (0.1 reads back as
                0.10000000149011612).
            directed: ``True`` for an arc, ``False`` or ``None`` for an edge.
        """

@final
class Graph:
    """A graph of labelled nodes joined by weighted arcs (directed) and edges (undirected).

    A graph belongs to the thread that created it.
    """
    def __new__(cls) -> Graph:
        """An empty graph: no nodes, no connections."""
    def add_node(self, label: str) -> Node:
        """Add a node carrying ``label`` at the end of the node list.

        Labels are unique within a graph built by calls: adding a label that is
        already present changes nothing, prints ``Node with label '<label>' already
        exists!`` on standard output and returns the node already carrying it.
        Lookups by label are O(1).

        Args:
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

        Args:
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
        """One dict per stored connection.

        In node order and then in the order each node's connections were added.

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
        """Sum of all connection weights, in single precision (-0.0 when there are none)."""
    def get_mean_weight(self) -> float:
        """Mean connection weight, in single precision (NaN when there are no connections)."""
    def get_node_count(self) -> int:
        """Number of nodes."""
    def get_edge_count(self) -> int:
        """Number of stored connections, each counted once whatever its direction."""
    def get_density(self, directed: _Flag) -> float:
        """Density ``f * E / ((N - 1) * N)`` in single precision.

        Args:
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
        """Degree centrality of a node.

        Each degree of ``compute_degrees`` divided by N - 1, in single precision.

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

        Args:
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
        """Shannon entropy (nats) of the three degree distributions, in single precision.

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

        Args:
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

        Args:
            file_name: Path of the page to write.
            layout: As for ``output_svg``.
            override_positions: As for ``output_svg``.
            style: As for ``output_svg``.

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

        Args:
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
        progress: Callable[[float], object] | bool | None = None,
    ) -> Graph:
        """Read a graph from a network file.

        Each vertex becomes a node labelled by the file's label, else its id; a link
        without weight weighs 1; parallel links and self-loops are kept. A vertex whose
        label repeats an earlier one's is kept as its own node (lookups by label find
        the first) and a UserWarning says so.

        Args:
            file_path: The file (str or os.PathLike).
            format: 'pajek', 'gml', 'graphml', 'gexf', 'edgelist' or 'json'; None
                takes it from the extension (.net/.paj, .gml, .graphml, .gexf,
                .csv/.tsv/.edges/.edgelist, .json, any letter case) or, for other
                names (.txt, .xml, none), from the first bytes: an XML root graphml
                or gexf, a GML 'graph [', a Pajek *Vertices/*Arcs/*Edges/*Network
                line, a JSON object, else an edge list. Content of another format
                than the extension's is a FormatError.
            encoding: 'utf-8' (a byte-order mark is skipped), 'latin-1', 'cp1252' or
                'cp1250'. Not given: text that is not UTF-8 is read as cp1250 where
                letters only Central European text uses (š ž ł ą ż ...) stand among
                its bytes, else as cp1252, with a UserWarning.
            positions: 'canvas' places the file's coordinates on the drawing canvas
                ([20, 1500] x [20, 700]): Pajek's unit-square coordinates map to
                20 + 1480 x, 20 + 680 y (the inverse of write); coordinates already
                on the canvas stay; any others are scaled by one factor to fit the
                canvas, centred. 'file' keeps the file's numbers.
            directed: Edge lists only: whether the links are directed (default False).
            delimiter: Edge lists only: the separator (default: a tab, comma,
                semicolon or pipe that splits each of the first rows, else runs of
                white space).
            comments: Edge lists only: line prefixes to skip.
            header: Edge lists only: whether the first row is a header (None detects
                one: words over numbers).
            weight: Edge lists only: 0-based column of the weight (default the third
                column when the first row having one holds a number there; a word
                there in a later row is a FormatError).
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            The new Graph.

        Raises:
            ValueError: An unknown format or option.
            FormatError: Malformed content (a ValueError with file_name, line and
                column).
            OSError: The file cannot be read; the subclass of the system's error
                (FileNotFoundError, IsADirectoryError, PermissionError...).
        """
    def write(
        self,
        file_name: str | os.PathLike[str],
        format: str | None = None,
        *,
        delimiter: str | None = None,
        header: bool | None = None,
        weights: bool | None = None,
        sync: bool = True,
    ) -> None:
        """Write the graph to a network file.

        Pajek files are standard ('*Vertices n', ids from 1, quoted labels, positions
        in the unit square of the canvas). An existing regular file is replaced only
        once the new file is complete, keeping its permissions; other targets
        (/dev/stdout, FIFOs) are written in place. A connection to a node of another
        graph is written to the node of this graph with the same label.

        Attribute columns are written too: GraphML keys and GEXF attributes of
        their types (GEXF's viz:color, viz:size and viz:thickness as viz
        elements), GML keys (a column a.b as key b of a list a), the link columns
        of an edge list after a header, and a Pajek file's integer and float node
        columns without missing values as the partitions and vectors of a .paj
        project. A missing value is not written.

        Args:
            file_name: The file (str or os.PathLike).
            format: As for Graph.read; None takes it from the extension.
            delimiter: Edge lists only: the separator (default ',' for .csv, a tab
                for .tsv, else ' ').
            header: Edge lists only: write a header row (default: when the graph
                has link attributes, which follow the weight).
            weights: Edge lists only: write the weight column (default True).
            sync: Wait until the new file and its name are on the disk before
                returning (default True), so that a power loss leaves the old file
                or the new one. False saves that wait (2 to 3% of writing a million
                links on the development machine, more on slow disks) at the risk of
                an empty or partial file after a power loss; a failed or interrupted
                write still leaves the old file.

        Raises:
            ValueError: A graph the format cannot hold (a label with a line break for
                Pajek, a connection to a foreign node whose label no node here
                carries, an attribute name that is no GML key, a link attribute named
                weight in an edge list written without the weights: it would read
                back as the weights).
            OSError: The file cannot be written; the subclass of the system's error.
            TypeError: header, weights or sync is not a bool.
        """

    # ---- bridges: arrays, tables, networkx, igraph ----
    @staticmethod
    def from_edges(
        sources: object,
        targets: object,
        weights: object | None = None,
        directed: _Flag = False,
        labels: object | None = None,
        *,
        ids: Literal["positions", "labels"] | None = None,
        progress: Callable[[float], object] | bool | None = None,
    ) -> Graph:
        """Build a graph from columns of links.

        Ids name nodes: without labels, one node per id from 0 to the largest,
        labelled with the id's decimal text; with labels, id i is labels[i] and every
        label becomes a node, linked or not. str labels become nodes in order of first
        appearance (source before target).

        Args:
            sources: A column of integer ids or of str labels: a NumPy array or any
                buffer of int8..int64/uint8..uint64, an Arrow column
                (__arrow_c_stream__ / __arrow_c_array__: pyarrow, polars, pandas), a
                list or any iterable.
            targets: A column of the same length and kind as sources.
            weights: A column of numbers (float32 kept as is), or None for 1.0 each.
            directed: Whether every link is directed.
            labels: A column of str, none repeated.
            ids: 'positions' (integer ids are node positions, as above) or 'labels'
                (each distinct integer becomes a node labelled with its decimal text,
                in order of first appearance). None: positions, but without labels a
                call whose largest id would make more than 1000 nodes and more than 4
                times as many nodes as there are distinct ids is refused (ValueError
                naming both ways to ask).
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            The new Graph.

        Raises:
            TypeError: Columns of the wrong kind.
            ValueError: Unequal lengths, negative or out-of-range ids, nulls and
                repeated labels.
        """
    @staticmethod
    def from_table(
        table: object,
        source: str = "source",
        target: str = "target",
        weight: str | None = None,
        directed: _Flag = False,
        *,
        attributes: Sequence[str] | None = None,
        ids: Literal["labels", "positions"] = "labels",
        progress: Callable[[float], object] | bool | None = None,
    ) -> Graph:
        """Build a graph from a table of links.

        Args:
            table: Anything exporting __arrow_c_stream__ with named columns (pyarrow
                Table, polars or pandas DataFrame, DuckDB result); read chunk by chunk.
                A pandas DataFrame is read column by column, NumPy columns through the
                buffer protocol, without pyarrow.
            source: The name of the column holding the sources (integers or str
                labels).
            target: The name of the column holding the targets.
            weight: The name of the column holding the weights (None: 1.0 each).
            directed: Whether every link is directed.
            attributes: The columns kept as link attributes (edge_attribute()); None
                keeps every other column, leaving out with one UserWarning those named
                like a field of every link (source, target, weight, directed) and
                those of types no attribute holds.
            ids: 'labels' (each distinct integer becomes a node labelled with its
                decimal text, in order of first appearance, as networkx and igraph read
                tables) or 'positions' (integers are node positions, as from_edges reads
                them).
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            The new Graph.

        Raises:
            KeyError: A missing column.
            TypeError: As from_edges raises it.
            ValueError: As from_edges raises it.
        """
    def add_edges(
        self,
        sources: object,
        targets: object,
        weights: object | None = None,
        directed: _Flag = False,
        *,
        attributes: dict[str, object] | None = None,
        progress: Callable[[float], object] | bool | None = None,
    ) -> None:
        """Add links in bulk.

        Integer ids are node ids (positions) of this graph; str labels not yet present
        become new nodes in order of first appearance. Nothing is added when anything
        is refused.

        Args:
            sources: A column as from_edges reads it.
            targets: A column as from_edges reads it.
            weights: A column as from_edges reads it, or None for 1.0 each.
            directed: Whether every link is directed.
            attributes: Link attribute columns by name, one value per row, read as
                set_edge_attribute() reads them; links added before get missing values.
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Raises:
            TypeError: As from_edges raises it, and for attribute values of another
                type than the column of that name holds.
            ValueError: As from_edges raises it, and for an id naming no node.
        """
    def add_nodes(self, labels: object, *, attributes: dict[str, object] | None = None) -> None:
        """Add nodes in bulk.

        A label already present, in the graph or earlier in the column, is skipped
        silently.

        Args:
            labels: A column of str (list, Arrow string column, ...).
            attributes: Node attribute columns by name, one value per label, read as
                set_node_attribute() reads them; each row's values go to the node
                carrying its label (a later row of the same label wins).

        Raises:
            TypeError: Values that are not str, or attribute values of another type
                than the column of that name holds.
            ValueError: An attribute column not of one value per label.
        """
    def to_csr(self) -> tuple[memoryview, memoryview, memoryview]:
        """The out-links of every node as compressed sparse rows, by node position.

        A directed link counts from its source, an undirected link from both ends (a
        self-loop once); parallel links stay separate entries, in the order they were
        added; links to nodes outside the graph are left out.

        Returns:
            (indptr, indices, weights): read-only memoryviews of int64 (node count + 1
            entries), int32 and float32, taken by numpy.asarray without a copy.
        """
    def to_edges(self) -> tuple[memoryview, memoryview, memoryview, memoryview]:
        """Every link once, grouped by source node: the order of get_connections().

        Nodes come in node order and each node's links in the order they were added to
        it, so the links of from_edges() come sorted by source, stably: the input's i-th
        link is the k-th here for k = numpy.argsort(sources, kind='stable').argsort()[i].
        Links to nodes outside the graph are left out. The arrays are those kept with the
        graph while it does not change (see drop_cache()).

        Returns:
            (sources, targets, weights, directed): read-only memoryviews of int32 node
            positions, float32 weights and bools, taken by numpy.asarray without a
            copy.
        """
    def adjacency_array(self, dtype: Literal["float32", "float64"] = "float32") -> memoryview:
        """The dense adjacency matrix, with the cells of generate_adjacency_matrix().

        Args:
            dtype: 'float32' or 'float64'.

        Returns:
            A read-only two-dimensional memoryview (row = from, column = to).

        Raises:
            ValueError: Another dtype.
        """
    def to_scipy(self) -> Any:
        """The out-links as a scipy.sparse.csr_array, built from writable copies of to_csr().

        Parallel links stay separate entries, which SciPy sums in arithmetic; SciPy
        may sort the rows and sum the entries in place.

        Returns:
            A csr_array of shape (node count, node count).

        Raises:
            ImportError: SciPy is not installed.
        """
    @staticmethod
    def from_networkx(graph: Any, weight: str | None = "weight") -> Graph:
        """Build a graph from a networkx graph of any of its four classes.

        Args:
            graph: The networkx graph; its nodes become labels (str(node) for others
                than str), node attributes x and y a position, every edge a link
                (directed when the graph is, unless the edge's attribute 'directed' is
                false). Every other node and edge attribute becomes an attribute
                column (node_attribute(), edge_attribute()); one holding values of
                types no column holds is left out, named in one UserWarning.
            weight: The edge attribute holding the weight (1.0 where missing), or None.

        Returns:
            The new Graph.

        Raises:
            ImportError: networkx is not installed.
            ValueError: Two nodes have the same label.
        """
    def to_networkx(self) -> Any:
        """The graph as a networkx MultiGraph (no link directed) or MultiDiGraph.

        Nodes are keyed by label, with attributes x and y where positioned; edges
        carry 'weight', and in a graph mixing both kinds 'directed' (an undirected
        link becomes one edge marked directed=False). Attribute columns become node
        and edge attributes where a value is present. Links to nodes outside the
        graph are left out.

        Returns:
            The networkx graph.

        Raises:
            ImportError: networkx is not installed.
        """
    @staticmethod
    def from_igraph(graph: Any, weight: str | None = "weight", label: str | None = "name") -> Graph:
        """Build a graph from an igraph.Graph.

        Args:
            graph: The igraph graph; vertex attribute `label` gives the labels (str()
                of the value; the vertex index when absent), x and y a position; every
                edge is a link, directed when the graph is, unless its attribute
                'directed' is false. Every other vertex and edge attribute becomes an
                attribute column; one holding values of types no column holds is left
                out, named in one UserWarning.
            weight: The edge attribute holding the weight (1.0 where missing), or None.
            label: The vertex attribute holding the labels, or None.

        Returns:
            The new Graph.

        Raises:
            ImportError: igraph is not installed.
            ValueError: Two vertices have the same label.
        """
    def to_igraph(self) -> Any:
        """The graph as an igraph.Graph, directed when any link is.

        Vertices in node order with attribute 'name' (the label) and x, y where
        positioned (None elsewhere); edges in link order with 'weight', and in a
        graph mixing both kinds 'directed'. Attribute columns become vertex and edge
        attributes (None where missing; the labels keep 'name'). Links to nodes outside the graph are
        left out.

        Returns:
            The igraph graph.

        Raises:
            ImportError: igraph is not installed.
        """

    # ---- everyday questions and derived graphs ----
    def labels(self) -> list[str]:
        """The label of every node, in node order.

        Returns:
            A list of str; entry i is the label of the node at position i (the ids of
            to_edges(), to_csr() and degree_array()).
        """
    def index_of(self, label: str) -> int:
        """The position (id) of the node carrying a label.

        Args:
            label: A node label.

        Returns:
            The int position of the first node carrying the label, as the ids of
            to_edges(), to_csr() and degree_array() count.

        Raises:
            KeyError: No node carries the label.
        """
    def neighbors(self, label: str, mode: Literal["out", "in", "all"] = "all") -> list[str]:
        """The nodes joined to a node by a link.

        Args:
            label: A node label.
            mode: 'out' (links leaving the node), 'in' (links reaching it) or 'all';
                an undirected link leaves and reaches both its ends.

        Returns:
            A list of labels, each neighbour once, in node order; the node itself when
            it has a self-loop. Links to nodes outside the graph are left out.

        Raises:
            KeyError: No node carries the label.
            ValueError: The mode is another text.
        """
    def has_edge(self, source: str, target: str, directed: _Flag = False) -> bool:
        """Whether a link joins two nodes.

        Args:
            source, target: Node labels.
            directed: If true, only links leading from source to target count (arcs
                source -> target and undirected links); otherwise any link between them.

        Returns:
            A bool.

        Raises:
            KeyError: No node carries one of the labels.
        """
    def number_of_edges(self, source: str, target: str, directed: _Flag = False) -> int:
        """The number of links between two nodes, parallel links counted one by one.

        Args:
            source, target: Node labels.
            directed: If true, only links leading from source to target count (arcs
                source -> target and undirected links); otherwise any link between them.

        Returns:
            An int.

        Raises:
            KeyError: No node carries one of the labels.
        """
    def degree_array(self, mode: Literal["out", "in", "all"] = "all", weighted: _Flag = False) -> memoryview:
        """The degree (or strength) of every node, in node order.

        Counts link ends: an arc counts at its source in 'out', at its target in
        'in' and at both in 'all'; an undirected link counts at both ends in every
        mode; a self-loop counts twice where it counts (as networkx and igraph count
        it). Links to nodes outside the graph are left out; repeated labels of a
        matrix graph count on their first node.

        Args:
            mode: 'out', 'in' or 'all'.
            weighted: Sum the weights of the counted ends instead of counting them.

        Returns:
            A read-only memoryview of int64 (float64 when weighted), one entry per
            node, taken by numpy.asarray without a copy.

        Raises:
            ValueError: The mode is another text.
        """
    def subgraph(self, labels: Iterable[str]) -> Graph:
        """The subgraph induced by some nodes, as a new graph.

        Args:
            labels: An iterable (or Arrow column) of node labels; repeats are ignored.

        Returns:
            A new Graph with those nodes in node order (labels and positions kept) and
            every link between two of them (weight and direction kept), in link order.

        Raises:
            KeyError: No node carries one of the labels.
            TypeError: A label that is not a str.
        """
    def edge_subgraph(self, mask: object, keep_all_nodes: _Flag = False) -> Graph:
        """The subgraph of some links, as a new graph.

        Args:
            mask: One truth value per link, in the order of to_edges(): a NumPy bool
                array (or any one-byte buffer) or an iterable.
            keep_all_nodes: Keep every node rather than only the ends of the chosen
                links.

        Returns:
            A new Graph with the nodes in node order (labels and positions kept) and the
            chosen links (weight and direction kept), in link order.

        Raises:
            ValueError: The mask's length differs from the number of links.
            TypeError: The mask is a buffer of another element type.
        """
    def largest_component(self, strong: _Flag = False) -> Graph:
        """The largest connected component, as a new graph.

        Args:
            strong: Take the largest strongly connected component (arcs followed
                forward only) instead of the largest weakly connected one.

        Returns:
            A new Graph with the nodes of the first component connected_components()
            (or strongly_connected_components()) lists, and every link between them;
            labels, positions, weights and directions kept. Empty for an empty graph.
        """
    def k_core(self, k: int | None = None) -> Graph:
        """The k-core, as a new graph.

        Args:
            k: The least core number kept (see core_number()); None: the largest core
                number of the graph.

        Returns:
            A new Graph with the nodes whose core number is at least k and every link
            between them; labels, positions, weights and directions kept.

        Raises:
            ValueError: A negative k.
        """
    def copy(self) -> Graph:
        """An independent copy of the graph.

        Returns:
            A new Graph with every node (labels and positions) and every link (weights
            and directions). Links to nodes outside the graph are left out; each link is
            stored on its source, so to_edges() of the copy lists links node by node.
        """
    def to_undirected(self, parallel: Literal["keep", "sum", "min", "max", "first"] = "keep") -> Graph:
        """The undirected version of the graph, as a new graph.

        Args:
            parallel: 'keep' makes every link undirected and keeps them all; 'sum',
                'min', 'max' and 'first' merge the links between two nodes (whatever
                their direction) into one, weighing the sum, the least, the greatest or
                the earliest link's weight (min and max pass NaN over), placed where the
                earliest of them was.

        Returns:
            A new Graph with every node (labels and positions kept) and undirected links.

        Raises:
            ValueError: The parallel rule is another text.
        """
    def reverse(self) -> Graph:
        """The graph with every arc turned round, as a new graph.

        Returns:
            A new Graph with every node (labels and positions kept), each arc leading
            the other way and each undirected link as it is (weights kept).
        """

    # ---- attributes: values per node and per link ----
    def set_node_attribute(self, name: str, values: object) -> None:
        """Set a node attribute column, replacing one of the same name.

        Args:
            name: The column's name; not 'label', 'x' or 'y', which every node has.
            values: A dict keyed by node label (as pagerank() returns; nodes it does not
                name get a missing value), or one value per node in node order: a
                list or any sequence, a NumPy array, an Arrow column. Values are int,
                float, bool or str (one type per column; ints among floats become
                floats); None and Arrow nulls are missing.

        Raises:
            KeyError: A dict key no node carries as its label.
            TypeError: A value of another type, or values of two types.
            ValueError: Not one value per node, or a name the model's own fields take.
        """
    def node_attribute(self, name: str) -> Any:
        """The values of a node attribute column, in node order.

        Nodes added after the column was set have missing values.

        Args:
            name: The column's name.

        Returns:
            A read-only NumPy array (float64, int64 or bool) for numbers or bools
            without missing values, shared with the graph; else a list with None
            where a value is missing.

        Raises:
            KeyError: No node attribute has the name.
        """
    def node_attribute_names(self) -> list[str]:
        """The names of the node attribute columns.

        Returns:
            A list of str, in the order the columns were first set.
        """
    def remove_node_attribute(self, name: str) -> None:
        """Remove a node attribute column.

        Args:
            name: The column's name.

        Raises:
            KeyError: No node attribute has the name.
        """
    def set_edge_attribute(self, name: str, values: object) -> None:
        """Set a link attribute column, replacing one of the same name.

        Args:
            name: The column's name; not 'source', 'target', 'weight' or 'directed'.
            values: One value per link in the order to_edges() lists them: a list or
                any sequence, a NumPy array, an Arrow column; values as for
                set_node_attribute().

        Raises:
            TypeError: A value of another type, or values of two types.
            ValueError: Not one value per link, or a name the model's own fields take.
        """
    def edge_attribute(self, name: str) -> Any:
        """The values of a link attribute column, in the order to_edges() lists links.

        Links added after the column was set have missing values.

        Args:
            name: The column's name.

        Returns:
            A read-only NumPy array (float64, int64 or bool) for numbers or bools
            without missing values; else a list with None where a value is missing.

        Raises:
            KeyError: No link attribute has the name.
        """
    def edge_attribute_names(self) -> list[str]:
        """The names of the link attribute columns.

        Returns:
            A list of str, in the order the columns were first set.
        """
    def remove_edge_attribute(self, name: str) -> None:
        """Remove a link attribute column.

        Args:
            name: The column's name.

        Raises:
            KeyError: No link attribute has the name.
        """

    def node_table(self) -> ArrowTable:
        """The nodes as a table: label, x, y, then every node attribute column.

        x and y are null where a node has no position; missing attribute values are
        null.

        Returns:
            An ArrowTable, which pyarrow.table(), polars.DataFrame() and
            pandas.DataFrame.from_arrow() read; number columns are not copied.
        """
    def edge_table(self) -> ArrowTable:
        """The links as a table, in to_edges() order.

        Columns: source and target (node labels), weight (float32), directed (bool),
        then every link attribute column (missing values null).

        Returns:
            An ArrowTable, which pyarrow.table(), polars.DataFrame() and
            pandas.DataFrame.from_arrow() read; number columns are not copied.
        """

    # ---- network measures: components, paths, clustering, cores, trees ----
    def connected_components(self, *, as_array: _Flag = False) -> list[list[str]] | memoryview:
        """Weakly connected components: direction ignored.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Args:
            as_array: Return the values as a read-only memoryview of int64 component
                numbers (the list's order, from 0) in node order instead, one per label
                (its first node); numpy.asarray takes it without a copy.

        Returns:
            A list of lists of labels, largest component first; components of equal
            size by their earliest-added node; labels within a component in the order
            their nodes were added.
        """
    def strongly_connected_components(self, *, as_array: _Flag = False) -> list[list[str]] | memoryview:
        """Strongly connected components: arcs followed forward only, edges both ways.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Args:
            as_array: Return the values as a read-only memoryview of int64 component
                numbers (the list's order, from 0) in node order instead, one per label
                (its first node); numpy.asarray takes it without a copy.

        Returns:
            A list of lists of labels in the same order as connected_components().
        """
    def is_connected(self) -> bool:
        """Whether every node can be reached from every other with direction ignored.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Returns:
            A bool.

        Raises:
            ValueError: A graph without nodes.
        """
    def shortest_path(self, source: str, target: str, weighted: bool = True) -> list[str]:
        """One shortest path from source to target; arcs forward only, edges both ways.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Args:
            source: A node label.
            target: A node label.
            weighted: Sum the connection weights (Dijkstra) if true, count hops
                (breadth-first) if false.

        Returns:
            The list of labels from source to target, both included; [] when target
            cannot be reached.

        Raises:
            KeyError: An unknown label.
            ValueError: When weighted, any connection weight is negative, infinite or NaN.
        """
    # Hop counts (int) when not weighted.
    def shortest_path_lengths(
        self, source: str, weighted: bool = True, *, as_array: _Flag = False
    ) -> dict[str, float] | memoryview:
        """Shortest distances from source to every node it reaches.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Args:
            source: A node label.
            weighted: Sum the connection weights (float, in double precision) if true,
                count hops (int) if false.
            as_array: Return the values as a read-only memoryview of float64 distances
                (inf where unreached) in node order instead, one per label (its first
                node); numpy.asarray takes it without a copy.

        Returns:
            A dict label -> distance, nearest first, source included at 0.

        Raises:
            KeyError: An unknown label.
            ValueError: When weighted, any connection weight is negative, infinite or NaN.
        """
    def clustering(self, *, as_array: _Flag = False) -> dict[str, float] | memoryview:
        """Local clustering coefficient of every node.

        Counted on the simple undirected graph: direction ignored, parallel connections
        merged, self-loops left out (as networkx's clustering of an undirected Graph;
        its directed formula for DiGraphs is not used). Connections to nodes outside
        the graph, or to nodes that are gone, are left out; of nodes sharing a label (a
        matrix import) only the first takes part.

        Args:
            as_array: Return the values as a read-only memoryview of float64 in node
                order instead, one per label (its first node); numpy.asarray takes it
                without a copy.

        Returns:
            A dict label -> float.
        """
    def average_clustering(self) -> float:
        """Mean of clustering() over all nodes, zeros included.

        Returns:
            A float.

        Raises:
            ValueError: A graph without nodes.
        """
    def transitivity(self) -> float:
        """Share of connected triples that close into triangles: 3 * triangles / triads.

        On the same simple undirected graph as clustering().

        Returns:
            A float (0.0 without triangles).
        """
    def triangles(self, *, as_array: _Flag = False) -> dict[str, int] | memoryview:
        """Number of triangles through every node.

        On the same simple undirected graph as clustering(). Connections to nodes
        outside the graph, or to nodes that are gone, are left out; of nodes sharing a
        label (a matrix import) only the first takes part.

        Args:
            as_array: Return the values as a read-only memoryview of int64 in node order
                instead, one per label (its first node); numpy.asarray takes it without
                a copy.

        Returns:
            A dict label -> int.
        """
    def core_number(self, *, as_array: _Flag = False) -> dict[str, int] | memoryview:
        """k-core number of every node.

        The largest k such that the node lies in a subgraph where every node has at
        least k neighbours, on the same simple undirected graph as clustering()
        (networkx instead refuses self-loops and counts a reciprocated arc pair twice
        in a DiGraph). Connections to nodes outside the graph, or to nodes that are
        gone, are left out; of nodes sharing a label (a matrix import) only the first
        takes part.

        Args:
            as_array: Return the values as a read-only memoryview of int64 in node order
                instead, one per label (its first node); numpy.asarray takes it without
                a copy.

        Returns:
            A dict label -> int.
        """
    def minimum_spanning_tree(self) -> Graph:
        """A minimum spanning forest, direction ignored (Kruskal).

        Among equal weights the earlier-added connection is preferred; self-loops are
        never chosen. Connections to nodes outside the graph, or to nodes that are
        gone, are left out; of nodes sharing a label (a matrix import) only the first
        takes part.

        Returns:
            A new Graph with every node (label and position, in order) and the chosen
            connections as undirected ones with their weights, each stored on its
            original source.

        Raises:
            ValueError: A weight is NaN.
        """
    def eccentricity(self, *, as_array: _Flag = False) -> dict[str, int] | memoryview:
        """Greatest hop count from every node to any other; arcs forward only.

        Connections to nodes outside the graph, or to nodes that are gone, are left out;
        of nodes sharing a label (a matrix import) only the first takes part.

        Args:
            as_array: Return the values as a read-only memoryview of int64 in node order
                instead, one per label (its first node); numpy.asarray takes it without
                a copy.

        Returns:
            A dict label -> int.

        Raises:
            ValueError: Some node cannot reach every other one (for a graph of arcs:
                unless it is strongly connected) or the graph has no nodes.
        """
    def drop_cache(self) -> int:
        """Frees the measured views and label strs kept with the graph.

        Measures, exports, the force layout, output_webgl() and the notebook view, the
        questions about single nodes (neighbors(), has_edge(), degree_array()) and the
        degree statistics (get_all_nodes_degrees(), get_degree_distribution(),
        compute_entropy(), get_skewness()) take one picture of the graph's links (the link
        list, rows by node, the simple undirected rows, the sorted rows, the degrees) and
        keep it while the graph does not change, so that the next call builds nothing; any
        change to the graph (a node or connection added, Node.add_connection on one of its
        nodes, a layout kept) makes the next call take a new one. The picture holds at most
        93 bytes per node and 101 per link. Results keyed by label share one str per label, made once (about 60 bytes
        per label). Arrays returned by to_edges() and to_csr() keep their part alive.

        Returns:
            About the number of bytes freed (0 when nothing was kept).
        """
    def diameter(self, *, progress: Callable[[float], object] | bool | None = None) -> int:
        """Greatest eccentricity: the longest shortest path, in hops.

        Args:
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            An int.

        Raises:
            ValueError: As eccentricity() raises it.
        """

    # ---- network measures: centralities and communities ----
    def pagerank(
        self,
        damping: float = 0.85,
        weighted: _Flag = True,
        tol: float = 1e-10,
        max_iter: int = 1000,
        *,
        as_array: _Flag = False,
    ) -> dict[str, float] | memoryview:
        """PageRank of every node by power iteration.

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        Parallel connections add their weights; a node whose out-weight is 0 (dangling) hands
        its rank to every node alike.

        Args:
            damping: Probability of following a connection, between 0 and 1.
            weighted: Follow connections in proportion to their weights (finite, not
                negative) rather than alike.
            tol: Stop once the summed change of one step is below (number of nodes) * tol.
            max_iter: The most steps taken.
            as_array: Return the values as a read-only memoryview of float64 in node
                order instead, one per label (its first node); numpy.asarray takes it
                without a copy.

        Returns:
            A dict label -> rank (the ranks sum to 1).

        Raises:
            ValueError: A bad option, a negative or non-finite weight, or max_iter
                steps do not converge.
        """
    def betweenness_centrality(
        self,
        normalized: _Flag = True,
        weighted: _Flag = False,
        endpoints: _Flag = False,
        *,
        as_array: _Flag = False,
        progress: Callable[[float], object] | bool | None = None,
    ) -> dict[str, float] | memoryview:
        """Betweenness centrality of every node (Brandes' algorithm).

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        Parallel connections count as one (the lightest when weighted).

        Args:
            normalized: Divide by the number of node pairs a node can lie between,
                (n - 1)(n - 2), or n(n - 1) with endpoints; otherwise an undirected
                graph counts each pair of ends once.
            weighted: Shortest paths by summed weight (finite, not negative) rather
                than hops.
            endpoints: Count the ends of each path as lying on it.
            as_array: Return the values as a read-only memoryview of float64 in node
                order instead, one per label (its first node); numpy.asarray takes it
                without a copy.
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            A dict label -> betweenness.

        Raises:
            ValueError: A negative or non-finite weight when weighted.
        """
    def closeness_centrality(
        self,
        weighted: _Flag = False,
        *,
        as_array: _Flag = False,
        progress: Callable[[float], object] | bool | None = None,
    ) -> dict[str, float] | memoryview:
        """Closeness centrality of every node, from the distances of the nodes that reach it.

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        For a node reached by r - 1 others at distances summing to d, the value is
        (r - 1) / d scaled by (r - 1) / (n - 1) (Wasserman and Faust); 0 when d is 0.

        Args:
            weighted: Distances by summed weight (finite, not negative) rather than hops.
            as_array: Return the values as a read-only memoryview of float64 in node
                order instead, one per label (its first node); numpy.asarray takes it
                without a copy.
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            A dict label -> closeness.

        Raises:
            ValueError: A negative or non-finite weight when weighted.
        """
    def harmonic_centrality(
        self, weighted: _Flag = False, *, as_array: _Flag = False
    ) -> dict[str, float] | memoryview:
        """Harmonic centrality of every node: the sum of 1 / distance over the nodes that reach it.

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        Distances of 0 (the node itself, zero weights) add nothing.

        Args:
            weighted: Distances by summed weight (finite, not negative) rather than hops.
            as_array: Return the values as a read-only memoryview of float64 in node
                order instead, one per label (its first node); numpy.asarray takes it
                without a copy.

        Returns:
            A dict label -> harmonic centrality.

        Raises:
            ValueError: A negative or non-finite weight when weighted.
        """
    def communities(
        self, resolution: float = 1.0, seed: int | None = None, *, progress: Callable[[float], object] | bool | None = None
    ) -> list[list[str]]:
        """Communities found by Louvain's method, maximising weighted modularity.

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        Parallel connections add their weights; directed graphs use directed modularity.

        Args:
            resolution: Above 1 favours smaller communities, below 1 larger ones (not
                negative).
            seed: An int fixing the order nodes are visited in (the same seed, the same
                result); None draws one.
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Returns:
            A list of lists of labels: largest community first, members in node order.

        Raises:
            ValueError: A bad resolution or a negative or non-finite weight.
        """
    def modularity(self, communities: Iterable[Iterable[str]], resolution: float = 1.0) -> float:
        """Weighted modularity of a partition of the nodes into communities.

        Each label counts once (its first node). Connections to nodes outside the graph or to
        nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph
        with at least one arc is measured as directed, one with edges only as undirected.
        Parallel connections add their weights; directed graphs use directed modularity.

        Args:
            communities: An iterable of iterables of labels holding every node exactly
                once.
            resolution: The weight of the expected share inside each community.

        Returns:
            The modularity as a float.

        Raises:
            KeyError: An unknown label.
            ValueError: The communities are not a partition, a weight is negative or
                non-finite, or the weights sum to 0.
        """

    # ---- drawing at scale ----
    def compute_layout(
        self,
        layout: Layout = ...,
        *,
        seed: int | None = None,
        iterations: SupportsIndex | None = None,
        progress: Callable[[float], object] | bool | None = None,
    ) -> None:
        """Lay the graph out and keep the positions for later drawings.

        Positions land on the 1500 x 700 canvas inside the 20-unit margin. Later
        output_svg and output_html calls draw them as they are (unless
        override_positions is set) until a node is added; without a style of their
        own those drawings size nodes for the graph. Ctrl-C stops the layout with
        KeyboardInterrupt and leaves the positions as they were.

        Args:
            layout: The Layout to compute, Layout.Force (the default) for large
                graphs: a multilevel force layout with Barnes-Hut repulsion,
                O((N + E) log N) per iteration. Connections count once whatever their
                direction or weight.
            seed: An int for a reproducible result (Layout.Force, Layout.Random and
                Layout.Spring); None draws a fresh one.
            iterations: Rounds on the finest level of Layout.Force (1 to 100000);
                None chooses from the graph's size.
            progress: A callable that receives the share done (a float from 0 to 1)
                about ten times a second, or True for a tqdm bar; nothing is shown by
                default, and an exception the callable raises ends the call.

        Raises:
            ValueError: iterations out of range or given for another layout.
        """
    def positions(self) -> dict[str, tuple[float, float]]:
        """Node positions on the canvas.

        Returns:
            A dict label -> (x, y) for every node that has a position (read from a
            file, drawn or computed); with repeated labels, the first node of a label.
        """
    def output_webgl(
        self,
        file_name: str | os.PathLike[str],
        layout: Layout | None = None,
        *,
        override_positions: bool = False,
        color_by: str | None = None,
        size_by: str | None = None,
        file_style: bool = False,
    ) -> None:
        """Write an interactive WebGL viewer of the graph to one offline HTML file.

        The page draws nodes and links with WebGL and stays fluid at hundreds of
        thousands of nodes: pan, zoom around the pointer, node drag, label search
        that flies to the node, hover details (label, degrees, component, the
        node's attribute values), click to highlight a node's neighbours, fit to
        view, and downloads of the graph as Pajek and JSON (read back by
        from_net_file / from_json_file), as GraphML with the attribute columns
        (read back by Graph.read) and of the view as PNG. Arcs end in arrowheads.
        Node size follows degree, colour the connected component, unless asked
        otherwise. The page loads nothing from the network.

        Args:
            file_name: Path of the HTML file (str or os.PathLike), created or replaced.
            layout: Layout used when the graph is laid out. None: Layout.Force.
            override_positions: Lay the graph out even when every node has a stored
                position. Without it, stored positions are drawn as they are; the
                graph is laid out only when some node has none. New positions stay in
                the graph.
            color_by: Colour the nodes by this node column: a palette for strings,
                bools and integer columns of at most 10 distinct values (the most
                frequent first, the others grey), else a colour ramp from the lowest
                to the highest value, with a legend on the page. Nodes without a
                value are light grey.
            size_by: Size the nodes by this numeric node column instead of by
                degree; nodes without a value are drawn small.
            file_style: Draw the nodes in the colours and sizes their file gave them
                (the columns viz:color or ic, and viz:size, that the GEXF and Pajek
                readers make) where color_by and size_by do not say otherwise.

        Raises:
            OSError: The file cannot be written (the subclass says why). A file that
                exists is left as it was when the page cannot be built.
            ValueError: The file name holds a nul byte.
            KeyError: color_by or size_by names no node column.
            TypeError: size_by names a column that does not hold numbers.
        """
    def _repr_html_(self) -> str:
        """HTML for notebooks.

        The WebGL viewer inline for a graph of up to 2,000 nodes (laid out first if
        some node has no position), else a summary table of counts, density and
        components, without laying it out.

        Returns:
            An <iframe> holding the viewer page, or a <table>.
        """

@final
class Layout:
    """How ``output_svg`` and ``output_html`` place nodes on the 1500 x 700 canvas.

    Members compare equal to their int values.
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
    """The drawing style of ``output_svg`` and ``output_html``.

    Eleven fields, each ``None`` in the constructor meaning its default. Setting a
    field converts the value as the constructor does; fields cannot be deleted.
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
    ) -> GraphStyle:
        """Create and return a new object.  See help(type) for accurate signature."""

class FormatError(ValueError):
    """A network file whose content is malformed.

    A ValueError; file_name, line and column (0 where the format has no columns)
    say where.
    """
    file_name: str | None
    line: int | None
    column: int | None

@final
class ArrowTable:
    """A table made by Graph.node_table() or Graph.edge_table(), read through the Arrow C stream."""

    def __arrow_c_stream__(self, requested_schema: object | None = None) -> object:
        """The table as an Arrow C stream of one record batch.

        Args:
            requested_schema: Accepted for the Arrow PyCapsule interface and not followed.

        Returns:
            A PyCapsule named 'arrow_array_stream'.
        """
class PanicException(BaseException):
    """An internal error of mivora.

    Derived from BaseException so that handlers for ordinary exceptions do not
    swallow it; catch it by name: except mivora.PanicException.
    """
