"""Everyday questions (neighbours, links between nodes, degree arrays) and
derived graphs (subgraphs, components, cores, copies, versions), checked
against networkx on random multigraphs with parallel links and self-loops."""
import random
from collections import Counter

import networkx as nx
import numpy as np
import pytest

import mivora

KINDS = ["directed", "undirected", "mixed"]
SEEDS = range(4)


def random_graph(kind, seed, n=14, m=36):
    """Parallel links, self-loops, an isolated node, positions on most nodes."""
    rng = random.Random(seed)
    source = nx.MultiDiGraph()
    for i in range(n):
        if rng.random() < 0.7:
            source.add_node(f"n{i}", x=rng.uniform(0, 100), y=rng.uniform(0, 100))
        else:
            source.add_node(f"n{i}")
    ends = [f"n{i}" for i in range(n - 1)]  # the last node stays alone
    for _ in range(m):
        directed = {"directed": True, "undirected": False, "mixed": rng.random() < 0.5}[kind]
        a = rng.choice(ends)
        b = a if rng.random() < 0.1 else rng.choice(ends)
        source.add_edge(a, b, weight=float(rng.randint(-4, 9)) / 2, directed=directed)
    return mivora.Graph.from_networkx(source)


def link_list(graph):
    """(source, target, weight, directed) of every link, by label."""
    sources, targets, weights, directed = (np.asarray(column).tolist() for column in graph.to_edges())
    names = graph.labels()
    return [(names[s], names[t], w, d) for s, t, w, d in zip(sources, targets, weights, directed)]


def as_arcs(graph):
    """networkx's picture for direction-following questions: every undirected
    link as two opposite arcs (a self-loop as one)."""
    arcs = nx.MultiDiGraph()
    arcs.add_nodes_from(graph.labels())
    for s, t, w, d in link_list(graph):
        arcs.add_edge(s, t, weight=w)
        if not d and s != t:
            arcs.add_edge(t, s, weight=w)
    return arcs


def split(graph):
    """The arcs as a networkx MultiDiGraph and the undirected links as a MultiGraph."""
    arcs, edges = nx.MultiDiGraph(), nx.MultiGraph()
    arcs.add_nodes_from(graph.labels())
    edges.add_nodes_from(graph.labels())
    for s, t, w, d in link_list(graph):
        (arcs if d else edges).add_edge(s, t, weight=w)
    return arcs, edges


def summary(graph):
    """What a derived graph must keep: nodes in order with positions, links with weights and kinds."""
    def key(s, t, w, d):
        return (s, t, w, d) if d else (*sorted((s, t)), w, d)
    return graph.labels(), graph.positions(), Counter(key(*link) for link in link_list(graph))


def expected(graph, nodes, links):
    """The summary a derived graph of `graph` must have: `nodes` (in node
    order) and `links` as (source, target, weight, directed)."""
    keep = [label for label in graph.labels() if label in set(nodes)]
    positions = {label: xy for label, xy in graph.positions().items() if label in set(nodes)}
    reference = mivora.Graph()
    for label in keep:
        reference.add_node(label)
    for s, t, w, d in links:
        reference.create_connection(s, t, w, d)
    return keep, positions, summary(reference)[2]


CASES = [(kind, seed) for kind in KINDS for seed in SEEDS]


@pytest.fixture(params=CASES, ids=[f"{k}-{s}" for k, s in CASES])
def graph(request):
    return random_graph(*request.param)


# ---- questions ------------------------------------------------------------------------------------

def test_labels_and_index_of(graph):
    names = graph.labels()
    assert names == [node.label for node in graph.nodes]
    assert [graph.index_of(name) for name in names] == list(range(len(names)))


@pytest.mark.parametrize("mode", ["out", "in", "all"])
def test_neighbours_follow_networkx(graph, mode):
    arcs = as_arcs(graph)
    order = {name: k for k, name in enumerate(graph.labels())}
    for name in graph.labels():
        found = {"out": set(arcs.successors(name)), "in": set(arcs.predecessors(name))}
        found["all"] = found["out"] | found["in"]
        assert graph.neighbors(name, mode) == sorted(found[mode], key=order.get)


def test_links_between_two_nodes_follow_networkx(graph):
    arcs = as_arcs(graph)
    links = link_list(graph)
    for a in graph.labels():
        for b in graph.labels():
            between = sum(1 for s, t, _, _ in links if {s, t} == {a, b})
            assert graph.number_of_edges(a, b) == between
            assert graph.has_edge(a, b) == (between > 0)
            assert graph.number_of_edges(a, b, directed=True) == arcs.number_of_edges(a, b)
            assert graph.has_edge(a, b, True) == arcs.has_edge(a, b)


@pytest.mark.parametrize("mode", ["out", "in", "all"])
@pytest.mark.parametrize("weighted", [False, True])
def test_degree_arrays_follow_networkx(graph, mode, weighted):
    arcs, edges = split(graph)
    weight = "weight" if weighted else None
    arc_degree = {"out": arcs.out_degree, "in": arcs.in_degree, "all": arcs.degree}[mode](weight=weight)
    want = [arc_degree[n] + edges.degree(n, weight=weight) for n in graph.labels()]
    got = np.asarray(graph.degree_array(mode, weighted))
    assert got.dtype == (np.float64 if weighted else np.int64)
    assert got.tolist() == pytest.approx(want)


def test_the_row_cache_sees_every_change():
    graph = mivora.Graph()
    for name in "abc":
        graph.add_node(name)
    assert graph.neighbors("a") == []
    graph.create_connection("a", "b", 1.0, True)
    assert graph.neighbors("b") == ["a"]
    graph.node_by_label("c").add_connection(graph.node_by_label("a"), 1.0, False)
    assert graph.neighbors("a") == ["b", "c"]
    graph.add_edges(["b"], ["d"])
    assert graph.neighbors("d") == ["b"] and graph.has_edge("d", "b")
    graph.add_edges([2], [3])  # between nodes present: the node count stays
    assert graph.neighbors("d") == ["b", "c"] and graph.number_of_edges("c", "d") == 1


# ---- derived graphs ---------------------------------------------------------------------------------

def test_subgraph_is_networkx_induced_subgraph(graph):
    rng = random.Random(7)
    chosen = rng.sample(graph.labels(), len(graph.labels()) // 2)
    links = [link for link in link_list(graph) if link[0] in chosen and link[1] in chosen]
    assert summary(graph.subgraph(chosen + chosen[:2])) == expected(graph, chosen, links)
    assert nx.utils.graphs_equal(nx.Graph(graph.subgraph(chosen).to_networkx()),
                                 nx.Graph(graph.to_networkx().subgraph(chosen)))


@pytest.mark.parametrize("keep_all_nodes", [False, True])
def test_edge_subgraph_takes_the_masked_links(graph, keep_all_nodes):
    links = link_list(graph)
    mask = np.array([k % 3 != 1 for k in range(len(links))])
    chosen = [link for link, keep in zip(links, mask) if keep]
    nodes = graph.labels() if keep_all_nodes else {end for link in chosen for end in link[:2]}
    assert summary(graph.edge_subgraph(mask, keep_all_nodes)) == expected(graph, nodes, chosen)
    assert summary(graph.edge_subgraph(mask.tolist(), keep_all_nodes)) == expected(graph, nodes, chosen)
    strided = np.repeat(mask, 2)[::2]  # a view that is not contiguous
    assert summary(graph.edge_subgraph(strided, keep_all_nodes)) == expected(graph, nodes, chosen)


@pytest.mark.parametrize("strong", [False, True])
def test_largest_component_is_networkx_largest(graph, strong):
    arcs = as_arcs(graph)
    components = list(nx.strongly_connected_components(arcs) if strong else nx.weakly_connected_components(arcs))
    largest = graph.largest_component(strong)
    nodes = set(largest.labels())
    assert nodes in components and len(nodes) == max(map(len, components))
    links = [link for link in link_list(graph) if link[0] in nodes and link[1] in nodes]
    assert summary(largest) == expected(graph, nodes, links)


@pytest.mark.parametrize("k", [None, 0, 1, 2, 3])
def test_k_core_is_networkx_k_core(graph, k):
    simple = nx.Graph(as_arcs(graph).to_undirected())
    simple.remove_edges_from(list(nx.selfloop_edges(simple)))
    nodes = set(nx.k_core(simple, k))
    links = [link for link in link_list(graph) if link[0] in nodes and link[1] in nodes]
    assert summary(graph.k_core(k)) == expected(graph, nodes, links)


def test_copy_is_equal_and_independent(graph):
    copy = graph.copy()
    assert summary(copy) == summary(graph)
    copy.add_node("new")
    copy.create_connection("new", graph.labels()[0], 1.0, True)
    assert "new" not in graph.labels() and graph.get_edge_count() + 1 == copy.get_edge_count()


def test_reverse_turns_the_arcs_round(graph):
    turned = [(t, s, w, d) if d else (s, t, w, d) for s, t, w, d in link_list(graph)]
    assert summary(graph.reverse()) == expected(graph, graph.labels(), turned)
    arcs, _ = split(graph)
    assert nx.utils.edges_equal(split(graph.reverse())[0].edges(), arcs.reverse().edges())


@pytest.mark.parametrize("parallel, merge", [
    ("sum", sum), ("min", min), ("max", max), ("first", lambda weights: weights[0])])
def test_undirected_version_merges_parallel_links(graph, parallel, merge):
    kept = [(s, t, w, False) for s, t, w, _ in link_list(graph)]
    assert summary(graph.to_undirected()) == expected(graph, graph.labels(), kept)
    groups = {}
    for s, t, w, _ in link_list(graph):
        groups.setdefault(frozenset((s, t)), (s, t, []))[2].append(w)
    merged = [(s, t, merge(weights), False) for s, t, weights in groups.values()]
    assert summary(graph.to_undirected(parallel)) == expected(graph, graph.labels(), merged)
    simple = nx.Graph(as_arcs(graph).to_undirected())
    assert graph.to_undirected(parallel).get_edge_count() == simple.number_of_edges()


def test_derived_graphs_of_an_empty_graph_are_empty():
    empty = mivora.Graph()
    for derived in (empty.subgraph([]), empty.edge_subgraph([]), empty.largest_component(),
                    empty.largest_component(True), empty.k_core(), empty.copy(), empty.to_undirected("sum"),
                    empty.reverse()):
        assert derived.get_node_count() == 0 and derived.get_edge_count() == 0


def test_links_to_nodes_outside_the_graph_are_left_out():
    graph = mivora.Graph()
    a = graph.add_node("a")
    graph.add_node("b")
    a.add_connection(mivora.Node("b"), 1.0, True)  # a foreign node carrying a label of the graph
    graph.create_connection("a", "b", 2.0, True)
    assert graph.neighbors("a") == ["b"] and graph.number_of_edges("a", "b") == 1
    assert link_list(graph.copy()) == [("a", "b", 2.0, True)]


# ---- refusals ---------------------------------------------------------------------------------------

@pytest.mark.parametrize("call, error, message", [
    (lambda g: g.neighbors("zz"), KeyError, "no node labelled 'zz' in the graph"),
    (lambda g: g.index_of("zz"), KeyError, "no node labelled 'zz' in the graph"),
    (lambda g: g.has_edge("a", "zz"), KeyError, "no node labelled 'zz' in the graph"),
    (lambda g: g.subgraph(["a", "zz"]), KeyError, "no node labelled 'zz' in the graph"),
    (lambda g: g.neighbors("a", "both"), ValueError, "argument 'mode': expected 'out', 'in' or 'all', got 'both'"),
    (lambda g: g.degree_array("up"), ValueError, "argument 'mode': expected 'out', 'in' or 'all', got 'up'"),
    (lambda g: g.to_undirected("mean"), ValueError,
     "argument 'parallel': expected 'keep', 'sum', 'min', 'max' or 'first', got 'mean'"),
    (lambda g: g.k_core(-1), ValueError, "argument 'k': expected k >= 0, got -1"),
    (lambda g: g.edge_subgraph([True]), ValueError,
     "argument 'mask': expected one entry per link of to_edges() (2), got 1"),
    (lambda g: g.edge_subgraph(np.zeros(2)), TypeError,
     "argument 'mask': expected a one-dimensional array of bool, got format 'd'"),
    (lambda g: g.edge_subgraph(5), TypeError, "argument 'mask': expected an array or an iterable of bools, got 'int'"),
    (lambda g: g.subgraph([1]), TypeError, None),
    (lambda g: g.neighbors(), TypeError, "Graph.neighbors() missing 1 required positional argument: 'label'"),
])
def test_refusals(call, error, message):
    graph = mivora.Graph()
    for name in "ab":
        graph.add_node(name)
    graph.create_connection("a", "b", 1.0, True)
    graph.create_connection("b", "b", 1.0, False)
    with pytest.raises(error) as raised:
        call(graph)
    if message is not None:
        assert (raised.value.args[0] if error is KeyError else str(raised.value)) == message


@pytest.mark.parametrize("derive", [
    lambda g: g.subgraph(["a", "c", "d"]),
    lambda g: g.copy(),
    lambda g: g.reverse(),
    lambda g: g.largest_component(),
])
def test_derived_graphs_carry_attribute_columns(derive):
    g = mivora.Graph()
    for label in "abcde":
        g.add_node(label)
    g.set_node_attribute("city", {"a": "Lisbon", "c": "Porto", "d": "Évora"})
    g.set_node_attribute("size", [1.5, 2.5, 3.5, 4.5, 5.5])
    for source, target in [("a", "c"), ("c", "d"), ("b", "e"), ("d", "a")]:
        g.create_connection(source, target, 1.0, True)
    g.set_edge_attribute("kind", ["x", None, "y", "z"])
    want_nodes = dict(zip(g.labels(), zip(g.node_attribute("city"), g.node_attribute("size"))))
    want_edges = {(s, t): k for (s, t), k in zip(edge_pairs(g), g.edge_attribute("kind"))}
    derived = derive(g)
    got_nodes = dict(zip(derived.labels(), zip(derived.node_attribute("city"), derived.node_attribute("size"))))
    assert got_nodes == {label: want_nodes[label] for label in derived.labels()}
    flipped = derived.get_edge_count() and all((t, s) in want_edges and (s, t) not in want_edges
                                                for s, t in edge_pairs(derived))
    for (s, t), kind in zip(edge_pairs(derived), derived.edge_attribute("kind")):
        assert kind == want_edges[(t, s) if flipped else (s, t)]


def edge_pairs(graph):
    sources, targets = graph.to_edges()[:2]
    labels = graph.labels()
    return [(labels[s], labels[t]) for s, t in zip(sources, targets)]
