"""Bulk construction from arrays and tables, array exports, and the networkx and
igraph conversions, checked against networkx, igraph and the one-call-per-item
methods."""
import array
import random
import sys

import igraph
import networkx as nx
import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pytest
import scipy.sparse
import scipy.sparse.linalg

import mivora

SOURCES = [0, 1, 2, 2, 4, 0]
TARGETS = [1, 2, 0, 2, 1, 1]
WEIGHTS = [0.5, 1.0, 2.0, -3.0, 4.25, 7.0]


def links(graph):
    """The links as a sorted list; an undirected link has no orientation."""
    out = []
    for c in graph.get_connections():
        ends = (c["from"], c["to"]) if c["directed"] else tuple(sorted((c["from"], c["to"])))
        out.append((*ends, c["weight"], c["directed"]))
    return sorted(out)


def labels(graph):
    return [node.label for node in graph.nodes]


def positions(graph):
    return {n: (d.get("x"), d.get("y")) for n, d in graph.to_networkx().nodes(data=True) if "x" in d}


def same_graph(a, b):
    return labels(a) == labels(b) and links(a) == links(b) and positions(a) == positions(b)


def by_calls(sources, targets, weights=None, directed=False, node_labels=None):
    """The reference: one add_node / create_connection call per item."""
    graph = mivora.Graph()
    names = node_labels or [str(i) for i in range(max(sources + targets) + 1)]
    for name in names:
        graph.add_node(name)
    for k, (s, t) in enumerate(zip(sources, targets)):
        graph.create_connection(names[s], names[t], 1.0 if weights is None else weights[k], directed)
    return graph


def random_mixed_graph(seed, n=12, m=40):
    """Directed and undirected links, parallel links and self-loops, positions."""
    rng = random.Random(seed)
    graph = nx.MultiDiGraph()
    for i in range(n):
        graph.add_node(f"n{i}", x=rng.uniform(0, 100), y=rng.uniform(0, 100))
    for _ in range(m):
        graph.add_edge(f"n{rng.randrange(n)}", f"n{rng.randrange(n)}",
                       weight=float(rng.randint(-4, 9)) / 2, directed=rng.random() < 0.5)
    return mivora.Graph.from_networkx(graph)


# ---- every input kind ---------------------------------------------------------------------------

def _non_contiguous(values, dtype):
    spread = np.zeros(2 * len(values), dtype=dtype)
    spread[::2] = values
    return spread[::2]


def _read_only(values, dtype):
    column = np.array(values, dtype=dtype)
    column.flags.writeable = False
    return column


ID_COLUMNS = {
    **{f"numpy-{d}": (lambda v, d=d: np.array(v, dtype=d))
       for d in ["int8", "int16", "int32", "int64", "uint8", "uint16", "uint32", "uint64"]},
    "numpy-big-endian": lambda v: np.array(v, dtype=">i8"),
    "non-contiguous": lambda v: _non_contiguous(v, np.int64),
    "read-only": lambda v: _read_only(v, np.int32),
    "array.array": lambda v: array.array("q", v),
    "memoryview": lambda v: memoryview(array.array("i", v)),
    "list": list,
    "tuple": tuple,
    "generator": lambda v: (x for x in v),
    "numpy-scalars": lambda v: [np.int64(x) for x in v],
    "pyarrow-array": lambda v: pa.array(v, type=pa.int32()),
    "pyarrow-chunked": lambda v: pa.chunked_array([v[:2], v[2:3], [], v[3:]], type=pa.uint64()),
    "polars": lambda v: pl.Series(v),
    "pandas": lambda v: pd.Series(v),
    "pandas-arrow": lambda v: pd.Series(v, dtype="int64[pyarrow]"),
}


@pytest.mark.parametrize("kind", ID_COLUMNS)
def test_ids_of_every_kind_build_the_reference_graph(kind):
    make = ID_COLUMNS[kind]
    graph = mivora.Graph.from_edges(make(SOURCES), make(TARGETS), directed=True)
    assert same_graph(graph, by_calls(SOURCES, TARGETS, directed=True))


WEIGHT_COLUMNS = {
    "float32": lambda v: np.array(v, dtype=np.float32),
    "float64-strided": lambda v: _non_contiguous(v, np.float64),
    "float64-big-endian": lambda v: np.array(v, dtype=">f8"),
    "list": list,
    "pyarrow-double": lambda v: pa.array(v),
    "pyarrow-chunked-float": lambda v: pa.chunked_array([v[:3], v[3:]], type=pa.float32()),
    "polars": lambda v: pl.Series(v),
}


@pytest.mark.parametrize("kind", WEIGHT_COLUMNS)
def test_weights_of_every_kind(kind):
    graph = mivora.Graph.from_edges(SOURCES, TARGETS, WEIGHT_COLUMNS[kind](WEIGHTS))
    assert same_graph(graph, by_calls(SOURCES, TARGETS, WEIGHTS))


NAMES = ["alpha", "b", "a label longer than twelve bytes", "é", "", "x"]
LABEL_COLUMNS = {
    "list": list,
    "numpy-str": np.array,
    "pyarrow-string": lambda v: pa.array(v, type=pa.string()),
    "pyarrow-large-string": lambda v: pa.array(v, type=pa.large_string()),
    "pyarrow-string-view": lambda v: pa.array(v, type=pa.string_view()),
    "pyarrow-dictionary": lambda v: pa.array(v).dictionary_encode(),
    "polars": pl.Series,
    "polars-categorical": lambda v: pl.Series(v, dtype=pl.Categorical),
    "pandas-categorical": lambda v: pd.Series(v, dtype="category"),
    "pandas-str": lambda v: pd.Series(v, dtype="str"),
    "pandas-object": lambda v: pd.Series(v, dtype=object),
}


@pytest.mark.parametrize("kind", LABEL_COLUMNS)
def test_str_labels_of_every_kind(kind):
    make = LABEL_COLUMNS[kind]
    sources = [NAMES[i] for i in SOURCES]
    targets = [NAMES[i] for i in TARGETS]
    graph = mivora.Graph.from_edges(make(sources), make(targets))
    order = list(dict.fromkeys(x for pair in zip(sources, targets) for x in pair))
    assert labels(graph) == order
    reference = by_calls([order.index(s) for s in sources], [order.index(t) for t in targets],
                         node_labels=order)
    assert links(graph) == links(reference)


@pytest.mark.parametrize("kind", ["list", "pyarrow-string", "polars"])
def test_labels_name_ids_and_keep_unlinked_nodes(kind):
    names = ["p", "q", "r", "s", "t", "lonely"]
    graph = mivora.Graph.from_edges(SOURCES, TARGETS, labels=LABEL_COLUMNS[kind](names))
    assert labels(graph) == names
    assert links(graph) == links(by_calls(SOURCES, TARGETS, node_labels=names))


def test_ids_without_labels_make_every_node_up_to_the_largest(capfd):
    graph = mivora.Graph.from_edges(np.array([5]), np.array([2]))
    assert labels(graph) == [str(i) for i in range(6)]
    # The decimal labels are found like any other, and only in their shortest form.
    assert graph.node_by_label("5").label == "5"
    for other in ["05", "+5", "6", " 5"]:
        with pytest.raises(BaseException):
            graph.node_by_label(other)
    graph.add_node("3")  # present already: reported, nothing added
    assert capfd.readouterr().out == "Node with label '3' already exists!\n"
    graph.add_node("03")
    assert graph.get_node_count() == 7
    graph.create_connection("03", "4")
    graph.add_edges(["5"], ["03"])
    assert links(graph) == [("03", "4", 0.0, False), ("03", "5", 1.0, False), ("2", "5", 1.0, False)]


@pytest.mark.parametrize("make", [pa.table, pl.DataFrame, pd.DataFrame], ids=["pyarrow", "polars", "pandas"])
def test_from_table(make):
    table = make({"src": SOURCES, "dst": TARGETS, "w": WEIGHTS})
    graph = mivora.Graph.from_table(table, source="src", target="dst", weight="w", directed=True, ids="positions")
    assert same_graph(graph, by_calls(SOURCES, TARGETS, WEIGHTS, directed=True))


def test_from_table_reads_every_record_batch():
    batches = [pa.record_batch({"source": ["a", "b"], "target": ["b", "c"]}),
               pa.record_batch({"source": ["c"], "target": ["a"]})]
    table = pa.Table.from_batches(batches).slice(1)  # a sliced first batch: offsets count
    graph = mivora.Graph.from_table(table)
    assert links(graph) == [("a", "c", 1.0, False), ("b", "c", 1.0, False)]


# ---- bad input ----------------------------------------------------------------------------------

BAD = [
    ([0, 1], [1], None, {}, ValueError, "argument 'targets': has 1 rows, but sources has 2"),
    ([0, 1], [1, 0], [1.0], {}, ValueError, "argument 'weights': has 1 rows"),
    ([0, -1], [1, 0], None, {}, ValueError, "argument 'sources': row 1 holds the id -1"),
    (np.array([0, 2**40]), [1, 0], None, {}, ValueError, "row 1 holds the id 1099511627776"),
    ([0, 2**70], [1, 0], None, {}, ValueError, "argument 'sources': row 1 holds the id"),
    ([0, 3], [1, 0], None, {"labels": ["a", "b", "c"]}, ValueError, "row 1 holds the id 3, but there are 3 labels"),
    ([0], [1], None, {"labels": ["a", "a"]}, ValueError, "argument 'labels': row 1 repeats the label 'a'"),
    (np.array([0.0, 1.0]), [1, 0], None, {}, TypeError, "argument 'sources': expected integer ids or str labels, got a float64 array"),
    (np.array([True]), [1], None, {}, TypeError, "argument 'sources': expected an array of integers or floats"),
    (np.zeros((2, 2), dtype=int), [1, 0], None, {}, TypeError, "expected a one-dimensional array, got 2 dimensions"),
    (np.array([1j]), [1], None, {}, TypeError, "format 'Zd'"),
    ([0, 1], ["a", "b"], None, {}, TypeError, "argument 'targets': holds str labels, but sources holds integer ids"),
    ([0, "b"], [1, 0], None, {}, TypeError, "argument 'sources': row 1: expected an integer id, got 'str'"),
    ([0, None], [1, 0], None, {}, TypeError, "row 1: expected an integer id, got 'NoneType'"),
    ([0, True], [1, 0], None, {}, TypeError, "row 1: expected an integer id, got 'bool'"),
    ([0], [1], ["heavy"], {}, TypeError, "argument 'weights': expected numbers, got a list of str"),
    ([0], [1], pa.array(["x"]), {}, TypeError, "argument 'weights': expected numbers, got a Arrow string column"),
    ("ab", [1, 0], None, {}, TypeError, "argument 'sources': expected a sequence of values, got 'str'"),
    (5, [1], None, {}, TypeError, "argument 'sources': expected a list, an array or an Arrow column, got 'int'"),
    (pa.array([0, None]), [1, 0], None, {}, ValueError, "argument 'sources': row 1 is null"),
    (pa.chunked_array([[0, 1], [None]]), [1, 0, 1], None, {}, ValueError, "argument 'sources': row 2 is null"),
    (pl.Series([0, 1]), pl.Series(["a", None]), None, {}, ValueError, "argument 'targets': row 1 is null"),
    ([0], [1], pa.array([None], type=pa.float64()), {}, ValueError, "argument 'weights': row 0 is null"),
    ([0], [1], None, {"labels": [1, 2]}, TypeError, "argument 'labels': expected str labels, got a list of int"),
    ([0], [1], None, {"directed": 1}, TypeError, "argument 'directed'"),
]


@pytest.mark.parametrize("sources, targets, weights, extra, error, message", BAD)
def test_bad_columns_are_refused_clearly(sources, targets, weights, extra, error, message):
    with pytest.raises(error) as raised:
        mivora.Graph.from_edges(sources, targets, weights, **extra)
    assert message in str(raised.value)


def unchecked_strings(offsets, data, string_type=pa.string()):
    """A string column whose offsets pyarrow's default checks let through."""
    width = np.int64 if string_type == pa.large_string() else np.int32
    return pa.Array.from_buffers(string_type, len(offsets) - 1,
                                 [None, pa.py_buffer(np.array(offsets, dtype=width)), pa.py_buffer(data)])


@pytest.mark.parametrize("offsets, row", [
    ([0, 2**31 - 1, 4], 1),  # decreasing after a huge one: the first row alone reads past the data
    ([0, 3, 1], 1),
    ([0, 1, 2, 0], 2),
])
@pytest.mark.parametrize("string_type", [pa.string(), pa.large_string()])
def test_malformed_arrow_string_offsets_are_refused(offsets, row, string_type):
    column = unchecked_strings(offsets, b"abcd", string_type)
    targets = ["t"] * len(column)
    message = f"argument 'sources': row {row} has malformed Arrow string offsets"
    with pytest.raises(ValueError, match=message):
        mivora.Graph.from_edges(column, targets)
    with pytest.raises(ValueError, match=message.replace("sources", "source")):
        mivora.Graph.from_table(pa.table({"source": column, "target": targets}))


def test_from_table_refuses_two_columns_of_one_name():
    table = pa.Table.from_arrays([pa.array(["a"]), pa.array(["b"]), pa.array(["c"])], names=["source", "target", "source"])
    with pytest.raises(ValueError, match="argument 'table': the table has more than one column named 'source'"):
        mivora.Graph.from_table(table)


def test_arguments_follow_the_frame():
    with pytest.raises(TypeError, match=r"^Graph.from_edges\(\) missing 1 required positional argument: 'targets'$"):
        mivora.Graph.from_edges([0])
    with pytest.raises(TypeError, match=r"unexpected keyword argument 'weight'$"):
        mivora.Graph.from_edges([0], [1], weight=[1.0])
    with pytest.raises(KeyError, match="no column named 'source'"):
        mivora.Graph.from_table(pa.table({"a": [1]}))
    with pytest.raises(TypeError, match="expected a table exporting __arrow_c_stream__"):
        mivora.Graph.from_table([[0, 1]])
    with pytest.raises(ValueError, match="expected 'float32' or 'float64', got 'int8'"):
        mivora.Graph().adjacency_array("int8")


def test_a_sequence_that_changes_while_it_is_read():
    targets = [1, 2, 3]

    class Shrinking:
        def __index__(self):
            targets.clear()
            return 0

    targets[0] = Shrinking()
    with pytest.raises(ValueError, match="argument 'targets': the sequence changed size while it was read"):
        mivora.Graph.from_edges([0, 1, 2], targets)


def test_a_buffer_changed_after_it_was_read_does_not_matter():
    sources = bytearray([0, 1, 2])

    class Resizing:
        def __float__(self):
            del sources[:]  # the bytes were copied before any Python code ran
            return 2.0

    graph = mivora.Graph.from_edges(sources, [1, 2, 0], [Resizing(), 1.0, 1.0])
    assert len(sources) == 0
    assert links(graph) == links(by_calls([0, 1, 2], [1, 2, 0], [2.0, 1.0, 1.0]))


# ---- adding in bulk -------------------------------------------------------------------------------

def test_add_edges_and_add_nodes_extend_a_graph():
    graph = mivora.Graph()
    graph.add_nodes(["a", "b", "a"])
    graph.add_nodes(pa.array(["c", "b"]))
    assert labels(graph) == ["a", "b", "c"]
    graph.add_edges(np.array([0, 2]), np.array([1, 1]), np.array([2.0, 3.0]), directed=True)
    graph.add_edges(["c", "new"], ["new", "a"])
    assert labels(graph) == ["a", "b", "c", "new"]
    assert links(graph) == [("a", "b", 2.0, True), ("a", "new", 1.0, False), ("c", "b", 3.0, True),
                            ("c", "new", 1.0, False)]


@pytest.mark.parametrize("weighted", [False, True])
@pytest.mark.parametrize("links_per_node", [0.05, 10])  # sorted by comparison / by counting
def test_add_edges_lands_as_calls_one_by_one_would(weighted, links_per_node):
    rng = np.random.default_rng(5)
    n = 800
    count = int(n * links_per_node)
    old = [(int(s), int(t), float(w)) for s, t, w in zip(rng.integers(0, n, 300), rng.integers(0, n, 300),
                                                         rng.random(300))]
    new = list(zip(rng.integers(0, n, count).tolist(), rng.integers(0, n, count).tolist(),
                   (rng.integers(0, 100, count) / 4).tolist() if weighted else [1.0] * count))
    bulk, calls = mivora.Graph(), mivora.Graph()
    for graph in (bulk, calls):
        graph.add_nodes([str(i) for i in range(n)])
        for s, t, w in old:
            graph.create_connection(str(s), str(t), w, s % 2 == 0)
    bulk.add_edges([s for s, _, _ in new], [t for _, t, _ in new], [w for _, _, w in new] if weighted else None,
                   directed=True)
    for s, t, w in new:
        calls.create_connection(str(s), str(t), w, True)
    assert bulk.get_connections() == calls.get_connections()


@pytest.mark.parametrize("sources, targets, message", [
    ([0, 3], [1, 1], "argument 'sources': row 1 holds the id 3, but there are 3 nodes"),
    (["a", "zz"], ["b"], "argument 'targets': has 1 rows"),
    (["a", "zz"], ["b", None], "row 1: expected str, got 'NoneType'"),
])
def test_add_edges_refused_changes_nothing(sources, targets, message):
    graph = mivora.Graph.from_edges(["a", "b"], ["b", "c"])
    before = (labels(graph), links(graph))
    with pytest.raises((ValueError, TypeError), match=message):
        graph.add_edges(sources, targets)
    assert (labels(graph), links(graph)) == before


# ---- arrays out -----------------------------------------------------------------------------------

@pytest.mark.parametrize("seed", range(4))
def test_adjacency_array_has_the_cells_of_generate_adjacency_matrix(seed):
    graph = random_mixed_graph(seed)
    expected = np.array(graph.generate_adjacency_matrix(), dtype=np.float32)
    assert np.array_equal(np.asarray(graph.adjacency_array()), expected)
    assert np.array_equal(np.asarray(graph.adjacency_array(dtype="float64")), expected.astype(np.float64))


@pytest.mark.parametrize("directed", [False, True])
@pytest.mark.parametrize("seed", range(3))
def test_to_scipy_equals_networkx(seed, directed):
    rng = random.Random(seed)
    nx_graph = nx.MultiDiGraph() if directed else nx.MultiGraph()
    nx_graph.add_nodes_from(str(i) for i in range(15))
    for _ in range(50):  # parallel links and self-loops included
        nx_graph.add_edge(str(rng.randrange(15)), str(rng.randrange(15)), weight=rng.randint(1, 9) / 4)
    graph = mivora.Graph.from_networkx(nx_graph)
    expected = nx.to_scipy_sparse_array(nx_graph, nodelist=labels(graph), weight="weight")
    ours = graph.to_scipy()
    assert isinstance(ours, scipy.sparse.csr_array)
    assert np.array_equal(ours.toarray(), expected.toarray())
    indptr, indices, weights = (np.asarray(a) for a in graph.to_csr())
    rebuilt = scipy.sparse.csr_array((weights, indices, indptr), shape=expected.shape)
    assert np.array_equal(rebuilt.toarray(), expected.toarray())


def test_to_edges_lists_each_link_once_in_record_order():
    graph = random_mixed_graph(7)
    sources, targets, weights, directed = (np.asarray(a) for a in graph.to_edges())
    names = labels(graph)
    rows = [(names[s], names[t], float(w), bool(d)) for s, t, w, d in zip(sources, targets, weights, directed)]
    assert rows == [(c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections()]
    assert (sources.dtype, weights.dtype, directed.dtype) == (np.int32, np.float32, np.bool_)


@pytest.mark.parametrize("foreign_every", [0, 3, 5])
def test_to_edges_copies_lists_of_every_length_around_foreign_connections(foreign_every):
    # Lists of 0 to 13 connections with every direction and weight bit pattern,
    # some (every k-th) leading to a node of no graph, which to_edges leaves out.
    rng = random.Random(foreign_every)
    graph = mivora.Graph()
    nodes = [graph.add_node(f"n{i}") for i in range(14)]
    expected = []
    for size, node in enumerate(nodes):
        for k in range(size):
            if foreign_every and (size + k) % foreign_every == 0:
                node.add_connection(mivora.Node("elsewhere"), 1.0, True)
                continue
            target, weight, directed = rng.randrange(14), rng.uniform(-1e6, 1e6), rng.random() < 0.5
            node.add_connection(nodes[target], weight, directed)
            expected.append((size, target, np.float32(weight), directed))
    columns = [np.asarray(column).tolist() for column in graph.to_edges()]
    assert list(zip(*columns)) == expected


def test_exported_arrays_are_shared_read_only_memory():
    graph = mivora.Graph.from_edges([0, 1, 1], [1, 2, 2], [1.0, 2.0, 3.0], directed=True)
    indptr, indices, weights = graph.to_csr()
    assert (indptr.format, indices.format, weights.format) == ("q", "i", "f")
    assert indptr.readonly and indptr.tolist() == [0, 1, 3, 3]
    first, second = np.asarray(weights), np.asarray(weights)
    assert np.shares_memory(first, second) and not first.flags.writeable
    with pytest.raises(TypeError):
        weights[0] = 5.0
    matrix = graph.adjacency_array()
    assert matrix.shape == (3, 3) and matrix.c_contiguous
    del graph  # the arrays own their memory
    assert np.asarray(matrix)[1, 2] == 3.0 and list(np.asarray(indices)) == [1, 2, 2]


@pytest.mark.parametrize("operation", [
    lambda m: m.sum(), lambda m: m.max(), lambda m: m.min(), lambda m: scipy.sparse.linalg.norm(m),
    lambda m: m.sum(axis=0), lambda m: (m @ m).sum(), lambda m: m.multiply(2).sum(),
])
def test_to_scipy_accepts_every_operation_with_unsorted_rows_and_parallel_links(operation):
    # Row 0 lists 2 before 1, and 0 -> 2 twice.
    graph = mivora.Graph.from_edges([0, 0, 0, 1], [2, 1, 2, 0], [1.0, 2.0, 4.0, 8.0], directed=True)
    matrix = graph.to_scipy()
    dense = scipy.sparse.csr_array(matrix.toarray())
    assert np.allclose(operation(matrix), operation(dense))
    assert np.asarray(graph.to_csr()[1]).tolist() == [2, 1, 2, 0]  # the exports stay as they were


def test_to_scipy_without_scipy_names_the_package(monkeypatch):
    monkeypatch.setitem(sys.modules, "scipy.sparse", None)
    with pytest.raises(ImportError, match=r"Graph.to_scipy\(\) needs scipy, which is not installed"):
        mivora.Graph().to_scipy()


# ---- networkx and igraph ------------------------------------------------------------------------

@pytest.mark.parametrize("seed", range(3))
def test_networkx_round_trip_of_a_mixed_graph(seed):
    graph = random_mixed_graph(seed)
    exported = graph.to_networkx()
    assert isinstance(exported, nx.MultiDiGraph)
    assert same_graph(mivora.Graph.from_networkx(exported), graph)


@pytest.mark.parametrize("seed", range(3))
def test_igraph_round_trip_keeps_record_order(seed):
    graph = random_mixed_graph(seed)
    back = mivora.Graph.from_igraph(graph.to_igraph())
    assert same_graph(back, graph)
    assert back.get_connections() == graph.get_connections()


@pytest.mark.parametrize("directed", [False, True])
def test_peer_graph_classes(directed):
    graph = mivora.Graph.from_edges(["a", "b", "b"], ["b", "b", "c"], [1.0, 2.0, 3.0], directed=directed)
    nx_graph = graph.to_networkx()
    assert isinstance(nx_graph, nx.MultiDiGraph if directed else nx.MultiGraph)
    assert not isinstance(nx_graph, nx.MultiDiGraph) or directed
    ig_graph = graph.to_igraph()
    assert ig_graph.is_directed() == directed and ig_graph.vs["name"] == ["a", "b", "c"]
    assert ig_graph.get_edgelist() == [(0, 1), (1, 1), (1, 2)] and ig_graph.es["weight"] == [1.0, 2.0, 3.0]
    for back in (mivora.Graph.from_networkx(nx_graph), mivora.Graph.from_igraph(ig_graph)):
        assert same_graph(back, graph)


def test_from_networkx_reads_foreign_graphs_like_networkx():
    karate = nx.karate_club_graph()
    graph = mivora.Graph.from_networkx(karate)
    assert labels(graph) == [str(n) for n in karate]
    expected = nx.to_scipy_sparse_array(karate, weight="weight").toarray()
    assert np.array_equal(graph.to_scipy().toarray(), expected)
    unweighted = mivora.Graph.from_networkx(karate, weight=None)
    assert {c["weight"] for c in unweighted.get_connections()} == {1.0}


def test_from_igraph_reads_foreign_graphs_like_igraph():
    famous = igraph.Graph.Famous("Zachary")
    famous.es["strength"] = [float(i % 5) for i in range(famous.ecount())]
    graph = mivora.Graph.from_igraph(famous, weight="strength")
    assert labels(graph) == [str(i) for i in range(famous.vcount())]
    expected = famous.get_adjacency_sparse(attribute="strength").toarray()
    assert np.array_equal(graph.to_scipy().toarray(), expected)


class NodesOfLabels(nx.Graph):
    """A graph-like object whose nodes(data=True) yields bare labels."""

    def nodes(self, data=False):
        return ["a", "b"]


@pytest.mark.parametrize("convert, peer, message", [
    (mivora.Graph.from_networkx, lambda: nx.relabel_nodes(nx.path_graph(2), {0: "1"}), "two nodes share the label '1'"),
    (mivora.Graph.from_networkx, lambda: [1, 2], "expected a networkx graph, got 'list'"),
    (mivora.Graph.from_networkx, NodesOfLabels, r"its nodes\(data=True\) did not yield \(node, data\) pairs"),
    (mivora.Graph.from_igraph, lambda: igraph.Graph(n=2, vertex_attrs={"name": ["a", "a"]}), "two nodes share the label 'a'"),
    (mivora.Graph.from_igraph, lambda: nx.Graph(), "expected an igraph.Graph, got 'Graph'"),
])
def test_peer_graphs_refused(convert, peer, message):
    with pytest.raises((ValueError, TypeError), match=message):
        convert(peer())


@pytest.mark.parametrize("directed", [False, True, None])
def test_to_networkx_builds_what_add_edges_from_builds(directed):
    rng = random.Random(3)
    graph = mivora.Graph.from_edges([0], [5], directed=bool(directed))
    for _ in range(40):  # parallel links both ways and self-loops
        graph.add_edges([rng.randrange(6)], [rng.randrange(6)], [rng.randrange(9)],
                        directed=rng.random() < 0.5 if directed is None else directed)
    ours = graph.to_networkx()
    expected = ours.__class__()
    expected.add_nodes_from(labels(graph))
    mixed = len({c["directed"] for c in graph.get_connections()}) == 2
    expected.add_edges_from((c["from"], c["to"], {"weight": c["weight"], **({"directed": c["directed"]} if mixed else {})})
                            for c in graph.get_connections())
    assert nx.utils.graphs_equal(ours, expected)
    assert list(ours.edges(keys=True, data=True)) == list(expected.edges(keys=True, data=True))
    if ours.is_directed():
        assert list(ours.in_edges(keys=True, data=True)) == list(expected.in_edges(keys=True, data=True))
