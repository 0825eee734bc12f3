"""Attribute columns: values per node and per link, kept beside the graph."""

import numpy as np
import pyarrow as pa
import pytest

import mivora


@pytest.fixture
def graph():
    g = mivora.Graph()
    for label in "abcd":
        g.add_node(label)
    # Stored on b, a, b: to_edges lists them by source node, so b's links come after a's.
    g.create_connection("b", "a", 1.0, True)
    g.create_connection("a", "c", 2.0, False)
    g.create_connection("b", "d", 3.0, True)
    return g


def edge_rows(g):
    sources, targets, weights, _ = g.to_edges()
    return list(zip(sources.tolist(), targets.tolist(), weights.tolist()))


@pytest.mark.parametrize(
    "values, expected",
    [
        ([1, 2, None, 4], [1, 2, None, 4]),
        ([1, 2.5, 3, 4], [1.0, 2.5, 3.0, 4.0]),
        (["x", "", None, "ü"], ["x", "", None, "ü"]),
        ([True, False, None, True], [True, False, None, True]),
        ([None] * 4, [None] * 4),
        (np.array([1, 2, 3, 4], dtype=np.int32), [1, 2, 3, 4]),
        (np.array([0.5, 1, 2, 3], dtype=np.float32), [0.5, 1, 2, 3]),
        (np.array([True, False, True, True]), [True, False, True, True]),
        (np.array(["p", "q", "r", "s"]), ["p", "q", "r", "s"]),
        (pa.array([1, None, 3, 4]), [1, None, 3, 4]),
        (pa.array(["x", None, "z", "w"]), ["x", None, "z", "w"]),
        (pa.array([True, None, False, True]), [True, None, False, True]),
        (pa.array(["u", "v", "u", None]).dictionary_encode(), ["u", "v", "u", None]),
        (pa.chunked_array([[1.5, None], [3.5, 4.5]]), [1.5, None, 3.5, 4.5]),
    ],
)
def test_node_column_round_trip(graph, values, expected):
    graph.set_node_attribute("v", values)
    got = graph.node_attribute("v")
    assert list(got) == expected
    if None not in expected and not isinstance(expected[0], str):
        assert isinstance(got, np.ndarray) and not got.flags.writeable


def test_node_column_from_measure_dict(graph):
    graph.set_node_attribute("rank", graph.pagerank())
    assert graph.node_attribute("rank").tolist() == pytest.approx(list(graph.pagerank().values()))
    graph.set_node_attribute("some", {"d": 4, "a": 1})
    assert graph.node_attribute("some") == [1, None, None, 4]


def test_later_nodes_and_links_read_missing(graph):
    graph.set_node_attribute("n", [1, 2, 3, 4])
    graph.set_edge_attribute("e", ["a-c", "b-a", "b-d"])
    graph.add_node("e")
    graph.create_connection("a", "d", 1.0, True)  # lands between a's and b's links
    graph.create_connection("e", "a", 1.0, True)
    assert graph.node_attribute("n") == [1, 2, 3, 4, None]
    assert graph.edge_attribute("e") == ["a-c", None, "b-a", "b-d", None]
    # Setting again aligns every column with the new order.
    graph.set_edge_attribute("f", [1, 2, 3, 4, 5])
    assert graph.edge_attribute("f").tolist() == [1, 2, 3, 4, 5]
    assert graph.edge_attribute("e") == ["a-c", None, "b-a", "b-d", None]


def test_edge_column_follows_to_edges(graph):
    graph.set_edge_attribute("w", [w * 10 for _, _, w in edge_rows(graph)])
    assert graph.edge_attribute("w").tolist() == [20.0, 10.0, 30.0]


def test_many_late_links_realign():
    g = mivora.Graph()
    for i in range(50):
        g.add_node(str(i))
    g.create_connection("0", "1", 1.0, False)
    g.set_edge_attribute("k", [7])
    for i in range(3000):
        g.create_connection(str(i % 50), str((i * 7) % 50), float(i), True)
    weights = g.to_edges()[2].tolist()
    g.set_edge_attribute("w", weights)
    assert g.edge_attribute("w").tolist() == weights
    assert g.edge_attribute("k")[0] == 7 and g.edge_attribute("k").count(None) == 3000


def test_exported_array_outlives_a_new_value(graph):
    graph.set_node_attribute("n", [1.0, 2.0, 3.0, 4.0])
    before = graph.node_attribute("n")
    graph.set_node_attribute("n", [9.0, 9.0, 9.0, 9.0])
    assert before.tolist() == [1.0, 2.0, 3.0, 4.0]
    del graph
    assert before.tolist() == [1.0, 2.0, 3.0, 4.0]


def test_names_and_removal(graph):
    graph.set_node_attribute("b", [1, 2, 3, 4])
    graph.set_node_attribute("a", [1, 2, 3, 4])
    graph.set_edge_attribute("c", [1, 2, 3])
    assert graph.node_attribute_names() == ["b", "a"]
    assert graph.edge_attribute_names() == ["c"]
    graph.remove_node_attribute("b")
    graph.remove_edge_attribute("c")
    assert graph.node_attribute_names() == ["a"] and graph.edge_attribute_names() == []
    for call in (graph.remove_node_attribute, graph.node_attribute, graph.edge_attribute, graph.remove_edge_attribute):
        with pytest.raises(KeyError, match="'b'"):
            call("b")


@pytest.mark.parametrize(
    "method, name, values, error, match",
    [
        ("set_node_attribute", "label", [1, 2, 3, 4], ValueError, "'label' is a field"),
        ("set_node_attribute", "x", [1, 2, 3, 4], ValueError, "'x' is a field"),
        ("set_edge_attribute", "weight", [1, 2, 3], ValueError, "'weight' is a field"),
        ("set_edge_attribute", "directed", [1, 2, 3], ValueError, "'directed' is a field"),
        ("set_node_attribute", "", [1, 2, 3, 4], ValueError, "needs a name"),
        ("set_node_attribute", "n", [1, 2, 3], ValueError, "column 'n': 3 values for 4 nodes"),
        ("set_edge_attribute", "n", [1, 2, 3, 4], ValueError, "column 'n': 4 values for 3 links"),
        ("set_node_attribute", "n", [1, "2", 3, 4], TypeError, "column 'n': row 1 holds a value of type 'str'"),
        ("set_node_attribute", "n", [1, 2, [3], 4], TypeError, "column 'n': row 2 holds a value of type 'list'"),
        ("set_node_attribute", "n", [True, 1, 3, 4], TypeError, "row 1"),
        ("set_node_attribute", "n", [2**70, 1, 3, 4], TypeError, "row 0 holds an int beyond"),
        ("set_node_attribute", "n", {"a": 1, "zz": 2}, KeyError, "column 'n': no node carries the label 'zz'"),
        ("set_node_attribute", "n", {"a": object()}, TypeError, "column 'n': the value for 'a'"),
        ("set_node_attribute", "n", {1: 1}, TypeError, "str labels as keys"),
        ("set_edge_attribute", "n", {"a": 1}, TypeError, "expected a sequence"),
        ("set_node_attribute", "n", "abcd", TypeError, "expected a sequence"),
        ("set_node_attribute", "n", 5, TypeError, "expected a list"),
        ("set_node_attribute", "n", np.array([1, 2, 2**64 - 1, 0], dtype=np.uint64), ValueError, "row 2 holds"),
    ],
)
def test_bad_values_change_nothing(graph, method, name, values, error, match):
    graph.set_node_attribute("n", [0, 0, 0, 0])
    graph.set_edge_attribute("n", [0, 0, 0])
    with pytest.raises(error, match=match):
        getattr(graph, method)(name, values)
    assert graph.node_attribute("n").tolist() == [0, 0, 0, 0]
    assert graph.edge_attribute("n").tolist() == [0, 0, 0]
    assert graph.node_attribute_names() == ["n"] and graph.edge_attribute_names() == ["n"]


# ---- tables in and out --------------------------------------------------------------------

pl = pytest.importorskip("polars")
pd = pytest.importorskip("pandas")


def links_table():
    # Rows grouped by source in order of first appearance: the order edge_table() lists links.
    return pa.table(
        {
            "source": ["a", "a", "b", "c"],
            "target": ["b", "c", "c", "a"],
            "weight": pa.array([0.5, 1.0, 2.0, 4.0], pa.float32()),
            "kind": ["x", None, "ü", ""],
            "count": pa.array([1, 2, None, 4], pa.int64()),
            "score": [0.25, None, 1.5, -2.0],
            "flag": [True, False, None, True],
        }
    )


@pytest.mark.parametrize(
    "to_frame, from_frame",
    [
        (lambda t: t, pa.table),
        (pl.from_arrow, pl.DataFrame),
        (lambda t: t.to_pandas(), pd.DataFrame.from_arrow),
    ],
    ids=["pyarrow", "polars", "pandas"],
)
def test_edge_table_round_trip(to_frame, from_frame):
    source = to_frame(links_table())
    g = mivora.Graph.from_table(source, weight="weight", directed=True)
    assert g.edge_attribute_names() == ["kind", "count", "score", "flag"]
    back = from_frame(g.edge_table())
    if isinstance(back, pa.Table):
        assert back.drop_columns(["directed"]).equals(source)
        assert back.column("directed").to_pylist() == [True] * 4
    elif isinstance(back, pl.DataFrame):
        assert back.drop("directed").equals(source)
    else:
        pd.testing.assert_frame_equal(back.drop(columns="directed"), source)


def test_edge_table_of_any_row_order_keeps_each_row():
    table = pa.table({"source": ["b", "a", "b"], "target": ["a", "b", "b"], "n": [1, 2, 3]})
    g = mivora.Graph.from_table(table)
    rows = pa.table(g.edge_table()).select(["source", "target", "n"]).to_pylist()
    assert sorted(rows, key=lambda r: r["n"]) == table.to_pylist()


def test_node_table(graph, tmp_path):
    graph.set_node_attribute("age", [1, None, 3, 4])
    graph.set_node_attribute("name", ["A", "B", None, "D"])
    table = pa.table(graph.node_table())
    assert table.column_names == ["label", "x", "y", "age", "name"]
    assert table.column("label").to_pylist() == list("abcd")
    assert table.column("x").null_count == 4
    assert table.column("age").to_pylist() == [1, None, 3, 4]
    assert table.column("name").to_pylist() == ["A", "B", None, "D"]
    path = tmp_path / "placed.net"
    path.write_text('*Vertices 2\n1 "p" 0.5 0.25\n2 "q"\n*Arcs\n')
    placed = pa.table(mivora.Graph.read(path).node_table())
    assert placed.column("x").to_pylist() == [20 + 1480 * 0.5, None]
    assert placed.column("y").to_pylist() == [20 + 680 * 0.25, None]


def test_number_columns_are_not_copied():
    g = mivora.Graph.from_edges(np.arange(1000) % 10, np.arange(1000) % 7)
    g.set_edge_attribute("v", np.arange(1000, dtype=np.float64))
    first = pa.table(g.edge_table()).column("v").chunk(0).buffers()[1].address
    second = pa.table(g.edge_table()).column("v").chunk(0).buffers()[1].address
    assert first == second


def test_table_outlives_graph_and_new_values():
    g = mivora.Graph.from_table(links_table(), weight="weight")
    exported = g.edge_table()
    g.set_edge_attribute("score", [9.0] * 4)
    del g
    assert pa.table(exported).column("score").to_pylist() == [0.25, None, 1.5, -2.0]
    assert pa.table(exported).num_rows == 4  # every call streams the table anew


def test_from_table_attribute_choice_and_skipped_columns():
    table = pa.table(
        {"source": ["a"], "target": ["b"], "weight": [2.0], "when": pa.array([1], pa.timestamp("s")), "n": [1]}
    )
    with pytest.warns(UserWarning, match="'weight' .*field.*'when'") as caught:
        g = mivora.Graph.from_table(table)
    assert len(caught) == 1 and g.edge_attribute_names() == ["n"]
    assert mivora.Graph.from_table(table, weight="weight", attributes=[]).edge_attribute_names() == []
    with pytest.raises(TypeError, match="'when'"):
        mivora.Graph.from_table(table, attributes=["when"])
    with pytest.raises(KeyError, match="'nope'"):
        mivora.Graph.from_table(table, attributes=["nope"])
    with pytest.raises(ValueError, match="'target' is a field"):
        mivora.Graph.from_table(table, attributes=["target"])


def test_add_edges_and_nodes_with_attributes(graph):
    graph.set_edge_attribute("n", [1, 2, 3])
    graph.add_edges(["d", "a"], ["a", "d"], attributes={"n": [4.5, 5.5], "tag": ["p", "q"]})
    rows = pa.table(graph.edge_table()).select(["source", "target", "n", "tag"]).to_pylist()
    assert rows == [
        {"source": "a", "target": "c", "n": 1.0, "tag": None},
        {"source": "a", "target": "d", "n": 5.5, "tag": "q"},
        {"source": "b", "target": "a", "n": 2.0, "tag": None},
        {"source": "b", "target": "d", "n": 3.0, "tag": None},
        {"source": "d", "target": "a", "n": 4.5, "tag": "p"},
    ]
    graph.add_nodes(["e", "a"], attributes={"age": [7, 8]})
    assert graph.node_attribute("age") == [8, None, None, None, 7]


@pytest.mark.parametrize(
    "call, error, match",
    [
        (lambda g: g.add_edges(["a"], ["b"], attributes={"n": ["text"]}), TypeError, "column 'n': values of type str"),
        (lambda g: g.add_edges(["a"], ["b"], attributes={"m": [1, 2]}), ValueError, "column 'm': 2 values for 1 links"),
        (lambda g: g.add_edges(["a"], ["b"], attributes={"weight": [1]}), ValueError, "'weight' is a field"),
        (lambda g: g.add_edges(["a"], ["b"], attributes=[1]), TypeError, "expected a dict"),
        (lambda g: g.add_nodes(["z"], attributes={"label": ["z"]}), ValueError, "'label' is a field"),
        (lambda g: g.add_nodes(["z"], attributes={"m": [[1]]}), TypeError, "column 'm': row 0"),
    ],
)
def test_bulk_adds_refuse_bad_attributes_before_any_change(graph, call, error, match):
    graph.set_edge_attribute("n", [1, 2, 3])
    with pytest.raises(error, match=match):
        call(graph)
    assert graph.get_node_count() == 4 and graph.get_edge_count() == 3
    assert graph.edge_attribute_names() == ["n"] and graph.node_attribute_names() == []


# ---- networkx and igraph ----------------------------------------------------------------

nx = pytest.importorskip("networkx")
ig = pytest.importorskip("igraph")


def peer_networkx():
    g = nx.MultiDiGraph()
    g.add_node("a", city="Oslo", pop=5, flag=True)
    g.add_node("b", city="Ré", pop=2)
    g.add_node("c", city="")
    g.add_edge("a", "b", weight=2.0, kind="road", km=1.5)
    g.add_edge("b", "c", kind="rail")
    g.add_edge("a", "c", km=3.0)
    return g


@pytest.mark.parametrize("directed", [True, False])
def test_networkx_round_trip_keeps_attributes(directed):
    source = peer_networkx() if directed else nx.MultiGraph(peer_networkx())
    g = mivora.Graph.from_networkx(source)
    assert g.node_attribute_names() == ["city", "pop", "flag"]
    assert g.node_attribute("pop") == [5, 2, None] and g.node_attribute("flag") == [True, None, None]
    back = g.to_networkx()
    assert dict(back.nodes(data=True)) == dict(source.nodes(data=True))
    expected = sorted((u, v, {"weight": 1.0, **d}) for u, v, d in source.edges(data=True))
    assert sorted(back.edges(data=True)) == expected


def test_networkx_values_columns_cannot_hold_are_left_out_with_one_warning():
    source = peer_networkx()
    source.nodes["a"]["pos"] = (1, 2)
    source.nodes["b"]["mixed"] = 1
    source.nodes["c"]["mixed"] = "one"
    source.edges["a", "b", 0][7] = "number name"
    with pytest.warns(UserWarning) as caught:
        g = mivora.Graph.from_networkx(source)
    assert len(caught) == 1
    message = str(caught[0].message)
    assert "'pos'" in message and "'mixed'" in message and "7 (edge attribute" in message
    assert "pos" not in g.node_attribute_names() and "mixed" not in g.node_attribute_names()
    assert g.edge_attribute_names() == ["kind", "km"]


def test_igraph_round_trip_keeps_attributes():
    source = ig.Graph(n=3, edges=[(0, 1), (1, 2), (0, 2)], directed=True)
    source.vs["name"] = ["a", "b", "c"]
    source.vs["city"] = ["Oslo", None, "Ré"]
    source.vs["pop"] = [5, 2, None]
    source.es["weight"] = [2.0, 1.0, 1.0]
    source.es["kind"] = ["road", "rail", None]
    g = mivora.Graph.from_igraph(source)
    assert g.node_attribute("city") == ["Oslo", None, "Ré"]
    assert g.edge_attribute("kind") == ["road", None, "rail"]  # to_edges order: a's links, then b's
    back = g.to_igraph()
    assert back.vs["city"] == source.vs["city"] and back.vs["pop"] == source.vs["pop"]
    by_pair = {e.tuple: e["kind"] for e in back.es}
    assert by_pair == {e.tuple: e["kind"] for e in source.es}


def test_peers_read_set_attributes(graph):
    graph.set_node_attribute("rank", graph.pagerank())
    graph.set_edge_attribute("cost", [3, 1, None])
    as_nx = graph.to_networkx()
    assert as_nx.nodes["a"]["rank"] == pytest.approx(graph.pagerank()["a"])
    assert sorted(d.get("cost") for _, _, d in as_nx.edges(data=True) if "cost" in d) == [1, 3]
    as_ig = graph.to_igraph()
    assert as_ig.es["cost"] == [3, 1, None]


def test_links_to_other_graphs_are_left_out_of_link_columns(graph):
    other = mivora.Graph()
    other.add_node("far")
    graph.node_by_label("a").add_connection(other.node_by_label("far"), 1.0, True)  # after a -> c
    graph.node_by_label("b").add_connection(mivora.Node("loose"), 1.0, True)
    assert len(edge_rows(graph)) == 3
    graph.set_edge_attribute("k", ["a-c", "b-a", "b-d"])
    assert graph.edge_attribute("k") == ["a-c", "b-a", "b-d"]
    graph.set_edge_attribute("n", [1.0, 2.0, 3.0])
    assert graph.edge_attribute("n").tolist() == [1.0, 2.0, 3.0]
    table = pa.table(graph.edge_table())
    assert table.column("k").to_pylist() == ["a-c", "b-a", "b-d"]
    assert table.column("n").to_pylist() == [1.0, 2.0, 3.0]
    assert [e["k"] for e in graph.to_igraph().es] == ["a-c", "b-a", "b-d"]


@pytest.mark.parametrize("seed", range(4))
def test_link_columns_match_a_model_under_random_growth(seed):
    """Links are added one by one and in bulk between column writes; every
    column must keep each link's value wherever later links land in to_edges()."""
    rng = np.random.default_rng(seed)
    g = mivora.Graph()
    model = []  # per link, in insertion order: (source, {column: value})
    for i in range(30):
        g.add_node(str(i))

    def listed_order():
        # to_edges() order: by source position, then insertion order.
        return sorted(range(len(model)), key=lambda k: (model[k][0], k))

    for step in range(40):
        action = rng.integers(4)
        if action == 0:
            u, v = (int(x) for x in rng.integers(30, size=2))
            g.create_connection(str(u), str(v), 1.0, True)
            model.append((u, {}))
        elif action == 1:
            count = int(rng.integers(1, 6))
            us, vs = rng.integers(30, size=count), rng.integers(30, size=count)
            values = [int(x) for x in rng.integers(100, size=count)]
            g.add_edges(us, vs, attributes={"bulk": values})
            model.extend((int(u), {"bulk": x}) for u, x in zip(us, values))
        elif action == 2 and model:
            name = f"c{step % 3}"
            values = [float(x) for x in rng.random(len(model))]
            g.set_edge_attribute(name, values)
            for k, x in zip(listed_order(), values):
                model[k][1][name] = x
        else:
            for name in g.edge_attribute_names():
                got = list(g.edge_attribute(name))
                assert got == [model[k][1].get(name) for k in listed_order()], (seed, step, name)
    assert g.get_edge_count() == len(model)


def test_from_table_leaves_out_repeated_extra_column_names():
    table = pa.Table.from_arrays([pa.array(["a"]), pa.array(["b"]), pa.array([1]), pa.array([2]), pa.array([3])],
                                 names=["source", "target", "n", "n", "m"])
    with pytest.warns(UserWarning, match="'n' \\(more than one column"):
        g = mivora.Graph.from_table(table)
    assert g.edge_attribute_names() == ["m"]
    with pytest.raises(ValueError, match="more than one column named 'n'"):
        mivora.Graph.from_table(table, attributes=["n"])
