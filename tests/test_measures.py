"""Components, shortest paths, clustering, cores, spanning trees and eccentricity,
checked against networkx on the same graphs.

Weights are stored in single precision: networkx gets the same float32-rounded
weights, so floating results agree to 1e-9 relative (both sum in double)."""
import json
import math
import random

import networkx as nx
import numpy as np
import pytest

from mivora import Graph, Node

WEIGHTS = [0.0, 0.1, 0.5, 1.0, 2.5, 3.0, 7.25]
KINDS = ["directed", "undirected", "mixed"]


def f32(value):
    return float(np.float32(value))


def random_links(seed, n, m, kind, ring=False):
    """(u, v, weight, directed) by label: self-loops, parallel links and isolated
    nodes (the last few take no link) included; `ring` adds a cycle through all."""
    rng = random.Random(seed)
    labels = [f"n{i}" for i in range(n)]
    busy = labels[: max(1, n - 3)] if not ring else labels
    links = []
    for _ in range(m):
        directed = {"directed": True, "undirected": False}.get(kind, rng.random() < 0.5)
        links.append((rng.choice(busy), rng.choice(busy), rng.choice(WEIGHTS), directed))
    links += [links[k] for k in range(0, len(links), 7)]  # parallel copies
    if ring:
        links += [(labels[i], labels[(i + 1) % n], 1.0, True) for i in range(n)]
    return labels, links


def build(labels, links):
    g = Graph()
    for label in labels:
        g.add_node(label)
    for u, v, w, d in links:
        g.create_connection(u, v, w, d)
    return g


def nx_multi(labels, links):
    """Arcs forward, edges both ways, as a MultiDiGraph."""
    h = nx.MultiDiGraph()
    h.add_nodes_from(labels)
    for u, v, w, d in links:
        h.add_edge(u, v, weight=f32(w))
        if not d and u != v:
            h.add_edge(v, u, weight=f32(w))
    return h


def nx_simple(labels, links):
    """Direction ignored, parallel links merged (self-loops kept: networkx skips them)."""
    h = nx.Graph()
    h.add_nodes_from(labels)
    h.add_edges_from((u, v) for u, v, _, _ in links)
    return h


CASES = [(seed, kind, n, m) for seed in range(4) for kind in KINDS for n, m in [(12, 20), (40, 90)]]


@pytest.fixture(params=CASES, ids=lambda c: f"{c[1]}-{c[2]}n-seed{c[0]}")
def case(request):
    seed, kind, n, m = request.param
    labels, links = random_links(seed, n, m, kind)
    return build(labels, links), labels, links


def check_group_order(groups, labels):
    rank = {label: k for k, label in enumerate(labels)}
    for group in groups:
        assert [rank[x] for x in group] == sorted(rank[x] for x in group)
    keys = [(-len(group), rank[group[0]]) for group in groups]
    assert keys == sorted(keys)


def test_components_match_networkx(case):
    g, labels, links = case
    h = nx_multi(labels, links)
    weak, strong = g.connected_components(), g.strongly_connected_components()
    assert {frozenset(c) for c in weak} == {frozenset(c) for c in nx.weakly_connected_components(h)}
    assert {frozenset(c) for c in strong} == {frozenset(c) for c in nx.strongly_connected_components(h)}
    check_group_order(weak, labels)
    check_group_order(strong, labels)
    assert g.is_connected() == nx.is_weakly_connected(h)


@pytest.mark.parametrize("weighted", [True, False])
def test_path_lengths_and_paths_match_networkx(case, weighted):
    g, labels, links = case
    h = nx_multi(labels, links)
    for source in labels[::5]:
        ours = g.shortest_path_lengths(source, weighted)
        if weighted:
            theirs = nx.single_source_dijkstra_path_length(h, source, weight="weight")
            assert all(isinstance(x, float) for x in ours.values())
            assert list(ours.values()) == sorted(ours.values())
        else:
            theirs = nx.single_source_shortest_path_length(h, source)
            assert all(type(x) is int for x in ours.values())
        assert ours.keys() == theirs.keys()
        for label, distance in theirs.items():
            assert ours[label] == pytest.approx(distance, rel=1e-9, abs=1e-12)
        for target in labels[::3]:
            path = g.shortest_path(source, target, weighted=weighted)
            if target not in theirs:
                assert path == []
                continue
            assert path[0] == source and path[-1] == target
            steps = [min(e["weight"] for e in h[u][v].values()) if weighted else 1 for u, v in zip(path, path[1:])]
            assert math.fsum(steps) == pytest.approx(theirs[target], rel=1e-9, abs=1e-12)


def test_clustering_family_matches_networkx(case):
    g, labels, links = case
    s = nx_simple(labels, links)
    assert g.triangles() == nx.triangles(s)
    ours, theirs = g.clustering(), nx.clustering(s)
    assert list(ours) == labels
    assert all(ours[x] == pytest.approx(theirs[x], rel=1e-9) for x in labels)
    assert g.average_clustering() == pytest.approx(nx.average_clustering(s), rel=1e-9)
    assert g.transitivity() == pytest.approx(nx.transitivity(s), rel=1e-9)


def test_core_number_matches_networkx(case):
    g, labels, links = case
    s = nx_simple(labels, links)
    s.remove_edges_from(list(nx.selfloop_edges(s)))
    assert g.core_number() == nx.core_number(s)


def test_minimum_spanning_tree_matches_networkx(case):
    g, labels, links = case
    tree = g.minimum_spanning_tree()
    multi = nx.MultiGraph()
    multi.add_nodes_from(labels)
    multi.add_weighted_edges_from((u, v, f32(w)) for u, v, w, _ in links)
    expected = nx.minimum_spanning_tree(multi, weight="weight")
    records = tree.get_connections()
    assert [node.label for node in tree.nodes] == labels
    assert all(not r["directed"] and r["from"] != r["to"] for r in records)
    assert len(records) == expected.number_of_edges()
    assert math.fsum(r["weight"] for r in records) == pytest.approx(expected.size(weight="weight"), rel=1e-9, abs=1e-9)
    available = {(u, v, f32(w)) for u, v, w, _ in links} | {(v, u, f32(w)) for u, v, w, _ in links}
    assert all((r["from"], r["to"], r["weight"]) in available for r in records)
    forest = nx.Graph((r["from"], r["to"]) for r in records)
    assert nx.is_forest(forest)


@pytest.mark.parametrize("kind", KINDS)
@pytest.mark.parametrize("n", [5, 64, 150])  # one batch, exactly one, several
def test_eccentricity_and_diameter_match_networkx(kind, n):
    labels, links = random_links(n, n, n, kind, ring=True)
    g = build(labels, links)
    h = nx_multi(labels, links)
    assert g.eccentricity() == nx.eccentricity(h)
    assert g.diameter() == nx.diameter(h)


def test_single_node_and_tiny_graphs():
    g = build(["a"], [])
    assert g.eccentricity() == {"a": 0} and g.diameter() == 0
    assert g.is_connected() and g.connected_components() == [["a"]]
    assert g.clustering() == {"a": 0.0} and g.transitivity() == 0.0
    assert g.shortest_path("a", "a") == ["a"] and g.shortest_path_lengths("a") == {"a": 0.0}


@pytest.mark.parametrize("call", ["is_connected", "eccentricity", "diameter", "average_clustering"])
def test_empty_graph_is_refused(call):
    with pytest.raises(ValueError, match="without nodes"):
        getattr(Graph(), call)()


@pytest.mark.parametrize("call", ["eccentricity", "diameter"])
def test_unreachable_nodes_are_refused(call):
    g = build(["a", "b", "c"], [("a", "b", 1.0, True), ("b", "c", 1.0, False)])  # nothing reaches a
    with pytest.raises(ValueError, match="connected"):
        getattr(g, call)()


@pytest.mark.parametrize("bad", [-1.0, math.nan])
def test_weighted_paths_refuse_negative_and_nan_weights(bad):
    g = build(["a", "b", "c"], [("a", "b", 1.0, True), ("b", "c", bad, True)])
    for call in (lambda: g.shortest_path("a", "c"), lambda: g.shortest_path_lengths("a")):
        with pytest.raises(ValueError, match="weights"):
            call()
    assert g.shortest_path("a", "c", weighted=False) == ["a", "b", "c"]
    if math.isnan(bad):
        with pytest.raises(ValueError, match="NaN"):
            g.minimum_spanning_tree()


def test_unknown_labels_and_bad_arguments():
    g = build(["a", "b"], [("a", "b", 1.0, True)])
    with pytest.raises(KeyError, match="no node labelled 'zz'"):
        g.shortest_path("a", "zz")
    with pytest.raises(KeyError, match="no node labelled 'zz'"):
        g.shortest_path_lengths("zz")
    with pytest.raises(TypeError, match="argument 'weighted'"):
        g.shortest_path_lengths("a", weighted=1)
    with pytest.raises(TypeError, match="argument 'source'"):
        g.shortest_path(3, "a")
    with pytest.raises(TypeError):
        g.diameter(1)


def test_outside_and_gone_targets_take_no_part():
    g = build(["a", "b", "c"], [("b", "c", 2.0, True)])
    a = g.node_by_label("a")
    a.add_connection(Node("b"), 1.0, True)  # a node of the same label outside the graph
    a.add_connection(Node("gone"), 1.0, False)  # lapses at once
    other = build(["c"], [])
    a.add_connection(other.node_by_label("c"), 1.0, False)
    assert g.connected_components() == [["b", "c"], ["a"]]
    assert g.shortest_path("a", "c") == [] and g.shortest_path_lengths("a") == {"a": 0.0}
    assert g.core_number() == {"a": 0, "b": 1, "c": 1}
    assert g.minimum_spanning_tree().get_connections() == [
        {"from": "b", "to": "c", "weight": 2.0, "directed": False}]


def test_repeated_labels_count_once():
    g = Graph.from_adjacency_matrix([[0, 1, 0], [1, 0, 1], [0, 0, 0]], True, ["a", "a", "b"])
    assert g.connected_components() == [["a", "b"]]
    assert g.triangles() == {"a": 0, "b": 0}
    assert [n.label for n in g.minimum_spanning_tree().nodes] == ["a", "b"]


def test_minimum_spanning_tree_prefers_earlier_links_and_skips_self_loops():
    g = build(["a", "b"], [("a", "b", 1.0, True), ("b", "a", 1.0, False), ("a", "a", 0.0, False)])
    tree = g.minimum_spanning_tree()
    assert tree.get_connections() == [{"from": "a", "to": "b", "weight": 1.0, "directed": False}]
    assert g.get_edge_count() == 3


def test_minimum_spanning_tree_keeps_positions(tmp_path):
    source = tmp_path / "in.json"
    source.write_text(json.dumps({"nodes": [{"label": "a", "x": 30.5, "y": 40.0}, {"label": "b", "x": 99.0, "y": 20.0}],
                                  "edges": [{"source": "a", "target": "b", "weight": 2.0}], "arcs": []}))
    tree = Graph.from_json_file(str(source)).minimum_spanning_tree()
    tree.output_json_file(str(tmp_path / "out.json"))
    written = json.loads((tmp_path / "out.json").read_text())
    assert [(n["label"], n["x"], n["y"]) for n in written["nodes"]] == [("a", 30.5, 40.0), ("b", 99.0, 20.0)]
