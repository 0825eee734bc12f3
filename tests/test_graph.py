"""The graph store seen through Graph and Node."""
import math

import pytest

import mivora


def test_empty_graph():
    g = mivora.Graph()
    assert (g.get_node_count(), g.get_edge_count(), g.get_connections(), g.nodes) == (0, 0, [], [])
    total = g.get_total_weight()
    assert total == 0.0 and math.copysign(1.0, total) == -1.0
    assert math.isnan(g.get_mean_weight())


def test_records_follow_node_order_then_insertion_order(triangle):
    triangle.create_connection("A", "C", 3)
    assert triangle.get_connections() == [
        {"from": "A", "to": "B", "weight": 2.5, "directed": True},
        {"from": "A", "to": "C", "weight": 3.0, "directed": False},
        {"from": "B", "to": "C", "weight": 1.0, "directed": False},
        {"from": "C", "to": "A", "weight": 0.10000000149011612, "directed": True},
    ]
    assert list(triangle.get_connections()[0]) == ["from", "to", "weight", "directed"]
    assert triangle.get_edge_count() == 4
    assert triangle.get_total_weight() == pytest.approx(6.6, rel=1e-6)
    assert triangle.get_mean_weight() == pytest.approx(1.65, rel=1e-6)


def test_weights_sum_in_single_precision():
    g = mivora.Graph()
    g.add_node("a")
    for _ in range(3):
        g.create_connection("a", "a", 0.1)
    assert g.get_total_weight() == 0.30000001192092896
    assert g.get_mean_weight() == 0.10000000149011612


def test_duplicate_label_is_reported_on_the_process_stdout_and_returns_the_existing_node(capfd):
    g = mivora.Graph()
    first = g.add_node("A")
    g.add_node("B")
    again = g.add_node("A")
    assert capfd.readouterr().out == "Node with label 'A' already exists!\n"
    assert again.label == "A" and again is not first
    assert g.get_node_count() == 2
    again.add_connection(g.node_by_label("B"), 1, True)
    assert g.get_connections() == [{"from": "A", "to": "B", "weight": 1.0, "directed": True}]


@pytest.mark.parametrize("labels", [("a", "A"), ("a", "a "), ("ü", "u"), ("", " ")])
def test_labels_compare_byte_for_byte(labels):
    g = mivora.Graph()
    for label in labels:
        g.add_node(label)
    assert [node.label for node in g.nodes] == list(labels)


@pytest.mark.parametrize(
    "from_label, to_label, message",
    [("X", "A", "Node 'from' not found"), ("A", "X", "Node 'to' not found"), ("X", "Y", "Node 'from' not found")],
)
def test_create_connection_with_unknown_labels_changes_nothing(triangle, from_label, to_label, message, panics):
    with panics(message):
        triangle.create_connection(from_label, to_label, 1)
    assert triangle.get_edge_count() == 3


def test_node_by_label(triangle):
    assert triangle.node_by_label("B").label == "B"
    with pytest.raises(BaseException, match="called `Option::unwrap\\(\\)` on a `None` value"):
        triangle.node_by_label("Z")


def test_nodes_property_gives_new_objects_sharing_the_graph_nodes(triangle):
    first, second = triangle.nodes, triangle.nodes
    assert first[0] is not second[0] and first[0] != second[0]
    first[0].add_connection(second[1], 4, None)
    assert triangle.get_connections()[1] == {"from": "A", "to": "B", "weight": 4.0, "directed": False}
    first.clear()
    assert triangle.get_node_count() == 3


def test_node_outlives_its_graph():
    g = mivora.Graph()
    a = g.add_node("A")
    g.add_node("B")
    g.create_connection("A", "B")
    del g
    assert a.label == "A" and repr(a) == 'Node("A")'


def test_free_standing_target_reads_removed_once_released(triangle):
    outsider = mivora.Node("Z")
    triangle.node_by_label("A").add_connection(outsider, 2, True)
    assert triangle.get_connections()[1]["to"] == "Z"
    del outsider
    assert triangle.get_connections()[1]["to"] == "[Removed]"
    assert triangle.get_edge_count() == 4


def test_target_in_another_graph_stays_alive_while_that_graph_does():
    g, other = mivora.Graph(), mivora.Graph()
    g.add_node("a")
    other.add_node("b")
    g.node_by_label("a").add_connection(other.node_by_label("b"), 1, True)
    assert g.get_connections()[0]["to"] == "b"
    del other
    assert g.get_connections()[0]["to"] == "[Removed]"


@pytest.mark.parametrize("label", ['A', 'say "hi"', "", "ünïcode ✓"])
def test_node_repr_is_unescaped(label):
    assert repr(mivora.Node(label)) == f'Node("{label}")'


def test_self_connection_through_node():
    g = mivora.Graph()
    a = g.add_node("A")
    a.add_connection(a, 1.5, False)
    assert g.get_connections() == [{"from": "A", "to": "A", "weight": 1.5, "directed": False}]
