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
