"""Lifetimes under load and re-entrant argument conversions.

Millions of Node, Graph and GraphStyle objects, foreign connections and
"[Removed]" targets are made and dropped while resident memory must stay
flat; conversions that call back into the object being used must hit the
borrow errors and leave it intact."""
import gc
import resource

import numpy as np
import pytest

import mivora
from sanitized_run import SANITIZED

# Under the sanitizers (tools/sanitize/run_tests.sh) every allocation is far
# slower and freed memory is held in quarantine: fewer rounds, and leaks are
# the leak checker's job there.
ROUNDS, WIDTH = (2, 200) if SANITIZED else (50, 2000)
PAGE = resource.getpagesize()


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * PAGE


def churn(width=WIDTH):
    """One round: about 30 objects per step made and dropped."""
    keep = mivora.Node("keep")
    outside = mivora.Graph()
    outside_node = outside.add_node("out")
    for i in range(width):
        graph = mivora.Graph()
        a = graph.add_node("a")
        b = graph.add_node(str(i))
        graph.create_connection("a", str(i), 1.5, True)
        loose = mivora.Node("loose")
        a.add_connection(loose, 2.0, None)   # dropped below: reads "[Removed]"
        b.add_connection(keep, 0.5, False)  # foreign target that lives on
        other = mivora.Graph()
        a.add_connection(other.add_node("x"), 1.0, True)  # node of a graph that goes away
        a.add_connection(outside_node, 1.0, True)  # node of a graph that lives on
        p, q = mivora.Node("p"), mivora.Node("q")  # free-standing nodes naming each other and themselves
        p.add_connection(q, 1.0, True)
        q.add_connection(p, 1.0, True)
        q.add_connection(q, 1.0, True)
        del loose, other, p, q
        records = graph.get_connections()
        assert [r["to"] for r in records] == [str(i), "[Removed]", "[Removed]", "out", "keep"]
        a.add_connection(a, 3.0, True)
        nodes = graph.nodes
        style = mivora.GraphStyle(node_color="red", node_radius=i % 50)
        style.line_color = "green"
        assert nodes[1].label == str(i) and style.node_radius == i % 50
        del graph, a, b, nodes, style, records


def test_resident_memory_stays_flat():
    churn()
    churn()
    gc.collect()
    before = resident_bytes()
    for _ in range(ROUNDS):
        churn()
    gc.collect()
    grown = resident_bytes() - before
    # A leak of even one object per connection would add megabytes here.
    assert grown < (64 if SANITIZED else 4) * 2**20, f"resident memory grew by {grown} bytes"


def test_nodes_outlive_their_graph():
    nodes = []
    for i in range(1000):
        graph = mivora.Graph()
        graph.add_node("a")
        graph.add_node("b")
        graph.create_connection("a", "b", 1.0)
        nodes.append(graph.nodes[0])
    assert {node.label for node in nodes} == {"a"}


def test_nodes_from_every_part_of_a_large_graph_outlive_it():
    # 20,000 nodes fill several runs of storage segments; the kept nodes
    # hold their runs alive (and still take connections) once the graph is freed.
    graph = mivora.Graph.from_edges(list(range(19_999)), list(range(1, 20_000)), directed=True)
    nodes = graph.nodes
    kept = [nodes[i] for i in range(0, 20_000, 97)] + [nodes[19_999]]
    del nodes
    del graph
    gc.collect()
    assert [node.label for node in kept] == [str(i) for i in range(0, 20_000, 97)] + ["19999"]
    for node, after in zip(kept, kept[1:]):
        node.add_connection(after, 1.0, True)


# ---- re-entrance -------------------------------------------------------------------


class Callback:
    """A number whose conversion runs `action` first and records what it raised."""

    def __init__(self, action, value=1.0):
        self.action, self.value, self.raised = action, value, None

    def _run(self):
        try:
            self.action()
        except BaseException as error:  # noqa: B902 - PanicException is a BaseException
            self.raised = error

    def __float__(self):
        self._run()
        return float(self.value)

    def __index__(self):
        self._run()
        return int(self.value)


@pytest.fixture
def graph():
    graph = mivora.Graph()
    for label in "ABC":
        graph.add_node(label)
    graph.create_connection("A", "B", 1.0, True)
    return graph


def consistent(graph):
    records = graph.get_connections()
    assert graph.get_edge_count() == len(records)
    labels = [node.label for node in graph.nodes]
    assert graph.get_node_count() == len(labels) == len(set(labels))
    assert {r["from"] for r in records} <= set(labels)
    graph.output_json_file  # the graph stays usable for every method
    assert graph.dfs("A")[0] == "A"
    return records


@pytest.mark.parametrize("method", ["dfs", "bfs", "get_max_possible_entropy"])
def test_exclusive_method_inside_a_weight_conversion(graph, method):
    args = ("A",) if method in ("dfs", "bfs") else ()
    weight = Callback(lambda: getattr(graph, method)(*args), 2.0)
    graph.create_connection("A", "C", weight)
    assert isinstance(weight.raised, RuntimeError) and str(weight.raised) == "Already borrowed"
    assert consistent(graph)[-1] == {"from": "A", "to": "C", "weight": 2.0, "directed": False}


def test_shared_methods_inside_a_weight_conversion_change_the_graph_first(graph):
    def grow():
        graph.add_node("D")
        graph.create_connection("D", "A", 4.0, True)
        graph.node_by_label("B").add_connection(graph.node_by_label("D"), 5.0, False)

    weight = Callback(grow, 3.0)
    graph.create_connection("C", "D", weight)
    assert weight.raised is None
    records = consistent(graph)
    assert records[-1] == {"from": "D", "to": "A", "weight": 4.0, "directed": True}
    assert {"from": "C", "to": "D", "weight": 3.0, "directed": False} in records


def test_node_conversion_calling_back_into_its_graph(graph):
    a = graph.node_by_label("A")
    weight = Callback(lambda: (a.add_connection(a, 1.0, True), graph.dfs("A")), 6.0)
    a.add_connection(graph.node_by_label("C"), weight, True)
    assert weight.raised is None  # the Node call does not hold the Graph object
    assert consistent(graph)[-1] == {"from": "A", "to": "C", "weight": 6.0, "directed": True}


def test_style_assignment_reading_itself_inside_index():
    style = mivora.GraphStyle()
    radius = Callback(lambda: style.node_radius, 7)
    style.node_radius = radius
    assert isinstance(radius.raised, RuntimeError) and str(radius.raised) == "Already mutably borrowed"
    width = Callback(lambda: setattr(style, "line_min_width", 9), 8)
    style.line_max_width = width
    assert isinstance(width.raised, RuntimeError) and str(width.raised) == "Already borrowed"
    assert (style.node_radius, style.line_min_width, style.line_max_width) == (7, 1, 8)


def test_numpy_booleans_are_taken_without_calling_back(graph):
    # numpy.bool_ cannot be subclassed, so its truth value cannot run Python
    # code; other objects with __bool__ are refused before any call back.
    graph.create_connection("B", "C", 1.0, np.True_)
    assert graph.get_density(np.False_) == graph.get_density(False)

    class Truthy:
        def __bool__(self):
            raise AssertionError("must not be called")

    with pytest.raises(TypeError, match="argument 'directed'"):
        graph.create_connection("B", "C", 1.0, Truthy())
    consistent(graph)


class Shrinking:
    """A matrix cell whose __float__ empties a list and returns a non-float."""

    def __init__(self, victim, result=1.0):
        self.victim, self.result = victim, result

    def __float__(self):
        self.victim.clear()
        return self.result


def test_matrix_cell_emptying_the_outer_list():
    matrix = [[0.0, 0.0], [0.0, 0.0], [0.0, 0.0]]
    matrix[0][0] = Shrinking(matrix)
    graph = mivora.Graph.from_adjacency_matrix(matrix)
    assert graph.get_node_count() == 1
    assert graph.get_connections() == [{"from": "0", "to": "0", "weight": 1.0, "directed": False}]


def test_matrix_cell_emptying_its_own_row():
    row = [0.0, 0.0]
    row[0] = Shrinking(row, 7)  # the cell is gone once __float__ returns
    with pytest.raises(TypeError, match="returned non-float"):
        mivora.Graph.from_adjacency_matrix([row, [0.0, 0.0]])
