"""Degrees, distribution statistics, traversals, shortest paths and adjacency matrices."""
import gc
import math
import random

import networkx as nx
import numpy as np
import pytest

import mivora
from mivora import Graph, Node

f32 = np.float32
INF = math.inf
THIRD = 0.3333333432674408


def make(labels, connections):
    g = Graph()
    for label in labels:
        g.add_node(label)
    for c in connections:
        g.create_connection(*c)
    return g


def random_graph(seed, n=12, m=30, weights=(1.0, 2.0, 0.5, 3.0), directed_share=0.7):
    rng = random.Random(seed)
    labels = [f"n{i}" for i in range(n)]
    conns = [(rng.choice(labels), rng.choice(labels), rng.choice(weights), rng.random() < directed_share)
             for _ in range(m)]
    return make(labels, conns)


# ---- naive references, read from the connection records as label text -----------

def ref_degrees(g, label):
    d = {"in_degree": 0, "out_degree": 0, "total_degree": 0, "undirected_degree": 0}
    for r in g.get_connections():
        if r["directed"]:
            if r["from"] == label:
                d["out_degree"] += 1
                d["total_degree"] += 1
            if r["to"] == label:
                d["in_degree"] += 1
                d["total_degree"] += 1
        elif label in (r["from"], r["to"]):
            d["undirected_degree"] += 1
    return d


def ref_strength(g, label):
    out = inn = f32(0)
    for r in g.get_connections():
        w = f32(r["weight"])
        if r["from"] == label:
            out += w
            if not r["directed"]:
                inn += w
        if r["to"] == label:
            inn += w
            if not r["directed"]:
                out += w
    return {"out_strength": float(out), "in_strength": float(inn), "total_strength": float(out + inn)}


def ref_skewness(g, kind):
    degrees = sorted((ref_degrees(g, n.label)[kind] for n in g.nodes), reverse=True)
    n = len(degrees)
    w = f32(0)
    for r, d in enumerate(degrees, 1):
        w += f32(r * d)
    mean = f32(sum(degrees)) / f32(n) if n else f32(0)
    with np.errstate(invalid="ignore"):
        return float(w / (((f32(n) + f32(1)) * f32(n) * f32(0.5)) * mean))


def array_dijkstra(matrix, start):
    """The O(N^2) array method over the weight matrix."""
    n = len(matrix)
    dist, visited = [INF] * n, [False] * n
    dist[start] = 0.0
    for _ in range(n):
        best, u = INF, None
        for i in range(n):
            if not visited[i] and dist[i] < best:
                best, u = dist[i], i
        if u is None:
            break
        visited[u] = True
        for v in range(n):
            w = matrix[u][v]
            if w == 0.0 or visited[v]:
                continue
            alt = f32(w) + f32(dist[u])
            if alt < f32(dist[v]):
                dist[v] = float(alt)
    return dist


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


# ---- degrees and strength ----------------------------------------------------------

@pytest.mark.parametrize("conn, label, expected", [
    (("A", "B", 1.0, True), "A", (0, 1, 1, 0)),
    (("A", "B", 1.0, True), "B", (1, 0, 1, 0)),
    (("A", "B", 1.0, False), "B", (0, 0, 0, 1)),
    (("A", "A", 1.0, True), "A", (1, 1, 2, 0)),
    (("A", "A", 1.0, False), "A", (0, 0, 0, 1)),
    (("A", "B", 1.0, True), "nobody", (0, 0, 0, 0)),
])
def test_compute_degrees(conn, label, expected):
    g = make("ABC", [conn])
    keys = ("in_degree", "out_degree", "total_degree", "undirected_degree")
    assert g.compute_degrees(label) == dict(zip(keys, expected))


@pytest.mark.parametrize("directed, a, b", [
    (False, (2.5, 2.5, 5.0), (2.5, 2.5, 5.0)),
    (True, (2.5, 0.0, 2.5), (0.0, 2.5, 2.5)),
])
def test_strength(directed, a, b):
    g = make("AB", [("A", "B", 2.5, directed)])
    keys = ("out_strength", "in_strength", "total_strength")
    assert g.get_node_strength("A") == dict(zip(keys, a))
    assert g.get_node_strength("B") == dict(zip(keys, b))
    assert g.get_node_strength("Z") == dict(zip(keys, (0.0, 0.0, 0.0)))


def test_centrality_and_average_degree():
    assert make("", []).get_centrality_degrees("A") == {}
    assert make("A", []).get_centrality_degrees("A") == {}
    g = make("ABC", [("A", "B", 1.0, True), ("B", "C"), ("C", "A")])
    assert g.get_centrality_degrees("A") == {"out_centrality": 0.5, "in_centrality": 0.0,
                                             "total_centrality": 0.5, "undirected_centrality": 0.5}
    assert g.get_average_degree() == 2.0
    assert g.get_average_degree(True) == 1.0
    assert g.get_average_degree(None) == 2.0
    assert math.isnan(make("", []).get_average_degree())
    assert make("ABC", [("A", "B")]).get_average_degree() == 0.6666666865348816


# ---- distribution statistics ----------------------------------------------------------

def test_distribution_statistics_small():
    g = make("ABC", [("A", "B", 1.0, True), ("B", "C", 1.0, True)])
    d = g.get_degree_distribution()
    assert d["in_distribution"] == {0: THIRD, 1: 0.6666666865348816} == d["out_distribution"]
    assert d["undirected_distribution"] == {0: 1.0}
    e = g.compute_entropy()
    assert e["in_entropy"] == pytest.approx(0.6365142, rel=1e-6)
    assert str(e["undirected_entropy"]) == "-0.0"
    s = g.get_skewness()
    assert s["in_skewness"] == s["out_skewness"] == 0.75 and math.isnan(s["undirected_skewness"])
    cycle = make("ABC", [("A", "B", 1.0, True), ("B", "C", 1.0, True), ("C", "A", 1.0, True)])
    assert cycle.get_skewness()["in_skewness"] == 1.0


@pytest.mark.parametrize("labels", ["", "ABCD"])
def test_distribution_degenerate(labels):
    g = make(labels, [])
    dist = g.get_degree_distribution()
    assert set(dist) == {"in_distribution", "out_distribution", "undirected_distribution"}
    assert all(v == ({0: 1.0} if labels else {}) for v in dist.values())
    assert all(str(v) == "-0.0" for v in g.compute_entropy().values())
    assert all(math.isnan(v) for v in g.get_skewness().values())


@pytest.mark.parametrize("labels, conns, undirected, directed", [
    ("", [], math.nan, math.nan),
    ("A", [], math.nan, math.nan),
    ("A", [("A", "A")], INF, INF),
    ("ABC", [("A", "B"), ("B", "C"), ("C", "A", 1.0, True)], 0.5, 1.0),
])
def test_density(labels, conns, undirected, directed):
    g = make(labels, conns)
    assert same(g.get_density(False), undirected) and same(g.get_density(None), undirected)
    assert same(g.get_density(True), directed)


@pytest.mark.parametrize("n, expected", [(0, math.log(2.0**64 - 1)), (1, -INF), (2, 0.0), (3, math.log(2))])
def test_max_possible_entropy(n, expected):
    assert make([str(i) for i in range(n)], []).get_max_possible_entropy() == expected


# ---- differential checks against naive references and networkx ------------------------

@pytest.mark.parametrize("seed", range(8))
def test_statistics_match_record_references(seed):
    g = random_graph(seed, weights=(0.1, 1.0, 2.5, -1.5))
    labels = [n.label for n in g.nodes] + ["nobody"]
    all_degrees = g.get_all_nodes_degrees()
    assert list(all_degrees) == labels[:-1]
    for label in labels:
        assert g.compute_degrees(label) == ref_degrees(g, label)
        assert all_degrees.get(label, ref_degrees(g, label)) == ref_degrees(g, label)
        assert g.get_node_strength(label) == ref_strength(g, label)
    skew = g.get_skewness()
    for kind in ("in", "out", "undirected"):
        assert same(skew[f"{kind}_skewness"], ref_skewness(g, f"{kind}_degree"))
        counts = {}
        for label in labels[:-1]:
            d = ref_degrees(g, label)[f"{kind}_degree"]
            counts[d] = counts.get(d, 0) + 1
        dist = g.get_degree_distribution()[f"{kind}_distribution"]
        assert dist == {d: float(f32(c) / f32(len(labels) - 1)) for d, c in counts.items()}
        expected = -sum(float(f32(p) * np.log(f32(p))) for p in dist.values())
        assert g.compute_entropy()[f"{kind}_entropy"] == pytest.approx(expected, rel=1e-5, abs=1e-6)


@pytest.mark.parametrize("seed", range(6))
def test_against_networkx(seed):
    g = random_graph(seed, n=40, m=150, weights=(0.1, 1.0, 2.5, 7.0))
    labels = [n.label for n in g.nodes]
    successors, multi, weighted = nx.DiGraph(), nx.MultiDiGraph(), nx.DiGraph()
    for graph in (successors, multi, weighted):
        graph.add_nodes_from(labels)
    for r in g.get_connections():
        successors.add_edge(r["from"], r["to"])  # traversals follow the stored direction
        if r["directed"]:
            multi.add_edge(r["from"], r["to"])
        weighted.add_edge(r["from"], r["to"], weight=r["weight"])  # a later write replaces
        if not r["directed"]:
            weighted.add_edge(r["to"], r["from"], weight=r["weight"])
    start = labels[0]
    assert g.bfs(start) == [start] + [v for _, v in nx.bfs_edges(successors, start)]
    assert g.dfs(start) == list(nx.dfs_preorder_nodes(successors, start))
    expected = nx.single_source_dijkstra_path_length(weighted, start)
    got = g.dijkstra(start)
    assert set(got) == set(labels)
    for label in labels:
        assert got[label] == pytest.approx(expected.get(label, INF), rel=1e-5)
    degrees = g.get_all_nodes_degrees()
    for label in labels:
        assert degrees[label]["in_degree"] == multi.in_degree(label)
        assert degrees[label]["out_degree"] == multi.out_degree(label)
    edges, n = g.get_edge_count(), len(labels)
    assert g.get_density(False) == pytest.approx(edges / (n * (n - 1)))
    assert g.get_density(True) == pytest.approx(2 * edges / (n * (n - 1)))


# ---- shortest paths -----------------------------------------------------------------------

@pytest.mark.parametrize("seed", range(40))
def test_dijkstra_matches_array_method(seed):
    g = random_graph(seed, n=10, m=28, weights=(0.0, 1.0, 1.0, 2.0, 0.5, -1.0, -0.5, math.nan, 3.0),
                     directed_share=0.5)
    matrix = g.generate_adjacency_matrix()
    labels = [n.label for n in g.nodes]
    for start in range(0, 10, 3):
        expected = array_dijkstra(matrix, start)
        got = g.dijkstra(labels[start])
        assert [got[label] for label in labels] == expected


def test_dijkstra_cases(panics):
    g = make("ABCD", [("A", "B", 3.0, True), ("B", "C", 4.0, True)])
    assert g.dijkstra("A") == {"A": 0.0, "B": 3.0, "C": 7.0, "D": INF}
    assert make("A", []).dijkstra("A") == {"A": 0.0}
    assert make("AB", [("A", "B", 2.0)]).dijkstra("B") == {"A": 2.0, "B": 0.0}
    assert make("AB", [("A", "B")]).dijkstra("A") == {"A": 0.0, "B": INF}  # weight 0 is no path
    path = make("ABC", [("A", "B", 0.1, True), ("B", "C", 0.2, True)])
    assert path.dijkstra("A")["C"] == 0.30000001192092896
    with panics("Node not found"):
        g.dijkstra("Z")


# ---- traversals -----------------------------------------------------------------------------

@pytest.mark.parametrize("conns, start, bfs, dfs", [
    ([("A", "B")], "A", ["A", "B"], ["A", "B"]),
    ([("A", "B")], "B", ["B"], ["B"]),
    ([("A", "B"), ("A", "C"), ("B", "D"), ("C", "D")], "A", ["A", "B", "C", "D"], ["A", "B", "D", "C"]),
    ([("A", "B", 1.0, True), ("B", "A", 1.0, True)], "A", ["A", "B"], ["A", "B"]),
])
def test_traversal_cases(conns, start, bfs, dfs):
    g = make("ABCD", conns)
    assert g.bfs(start) == bfs
    assert g.dfs(start) == dfs


def test_traversal_start_missing(panics):
    g = make("A", [])
    for walk in (g.bfs, g.dfs):
        with panics("Error: Initial node not found"):
            walk("Z")


def test_walks_follow_stored_connections_out_of_the_graph(panics):
    g = make("ABC", [("B", "C")])
    other = make("PQ", [("P", "Q")])
    a = g.node_by_label("A")
    foreign_b, z = Node("B"), Node("Z")
    foreign_b.add_connection(z, 1.0, True)
    a.add_connection(foreign_b, 1.0, True)  # label B of the graph: visited instead of the graph's B
    g.create_connection("A", "B", 1.0, True)
    a.add_connection(other.node_by_label("P"), 1.0, True)  # its connections belong to the other graph
    a.add_connection(Node("gone"), 1.0, True)  # lapses at once
    gc.collect()
    assert [c["to"] for c in g.get_connections()] == ["B", "B", "P", "[Removed]", "C"]
    assert g.bfs("A") == ["A", "B", "P", "Z", "Q"]
    assert g.dfs("A") == ["A", "B", "Z", "P", "Q"]
    # The records see label text only: the foreign B counts as B; a target that is gone counts for no node.
    assert g.compute_degrees("B")["in_degree"] == 2
    assert g.compute_degrees("[Removed]")["in_degree"] == 0
    assert g.get_all_nodes_degrees()["B"]["in_degree"] == 2
    for call in (g.generate_adjacency_matrix, lambda: g.dijkstra("A")):
        with panics("no entry found for key"):
            call()
    with panics("Node not found"):
        g.dijkstra("missing")


@pytest.mark.parametrize("keep_q, walk", [(False, ["A", "P", "R"]), (True, ["A", "P", "Q", "R"])])
def test_walks_pass_through_nodes_whose_graph_is_gone(keep_q, walk):
    g = make("A", [])
    other = make("PQR", [("P", "Q", 1.0, True)])
    p, q, r = (other.node_by_label(label) for label in "PQR")
    g.node_by_label("A").add_connection(p, 1.0, True)
    del other
    if not keep_q:
        del q
    gc.collect()
    p.add_connection(r, 1.0, True)  # made after the graph let go of both
    assert g.bfs("A") == walk
    assert g.dfs("A") == walk


# ---- adjacency matrices ---------------------------------------------------------------------------

@pytest.mark.parametrize("matrix, directed, labels, nodes, regenerated", [
    ([], False, None, [], []),
    ([[0, 1.5], [0, 0]], False, None, ["0", "1"], [[0.0, 1.5], [1.5, 0.0]]),
    ([[0, 1.5], [0, 0]], True, None, ["0", "1"], [[0.0, 1.5], [0.0, 0.0]]),
    (((0, 2.0), (2.0, 0)), None, None, ["0", "1"], [[0.0, 2.0], [2.0, 0.0]]),
    ([[4, 0], [0, 0]], False, ["x", "y", "z"], ["x", "y", "z"], [[4.0, 0, 0], [0, 0, 0], [0, 0, 0]]),
    ([[0, 1, 9], [0, 0, 9]], True, None, ["0", "1"], [[0.0, 1.0], [0.0, 0.0]]),
    ([[1e-50, -0.0], [0.1, 0]], True, None, ["0", "1"], [[0.0, 0.0], [0.10000000149011612, 0.0]]),
])
def test_from_adjacency_matrix(matrix, directed, labels, nodes, regenerated):
    g = Graph.from_adjacency_matrix(matrix, directed, labels)
    assert [n.label for n in g.nodes] == nodes
    assert g.generate_adjacency_matrix() == regenerated


def test_matrix_details():
    sym = Graph.from_adjacency_matrix([[0, 2.0], [2.0, 0]])
    assert sym.get_edge_count() == 2
    nan = Graph.from_adjacency_matrix([[math.nan]], directed=True)
    assert math.isnan(nan.get_connections()[0]["weight"])
    later = make("AB", [("A", "B", 1.0, True), ("A", "B", 5.0, True)])
    assert later.generate_adjacency_matrix() == [[0.0, 5.0], [0.0, 0.0]]
    negzero = make("A", [("A", "A", -0.0, True)]).generate_adjacency_matrix()[0][0]
    assert str(negzero) == "-0.0"


def test_repeated_custom_labels():
    g = Graph.from_adjacency_matrix([[0, 1, 0], [0, 0, 2], [3, 0, 0]], True, ["a", "b", "a"])
    assert g.get_node_count() == 3
    assert [(c["from"], c["to"]) for c in g.get_connections()] == [("a", "b"), ("a", "a"), ("b", "a")]
    assert g.get_all_nodes_degrees() == {
        "a": {"in_degree": 2, "out_degree": 2, "total_degree": 4, "undirected_degree": 0},
        "b": {"in_degree": 1, "out_degree": 1, "total_degree": 2, "undirected_degree": 0}}
    assert g.get_degree_distribution()["in_distribution"] == {1: THIRD, 2: 0.6666666865348816}
    assert g.generate_adjacency_matrix() == [[3.0, 1.0, 0.0], [2.0, 0.0, 0.0], [0.0, 0.0, 0.0]]
    assert g.dijkstra("a") == {"a": 0.0, "b": 1.0}
    assert g.bfs("a") == ["a", "b"]


@pytest.mark.parametrize("kwargs, exc, message", [
    ({"adj_matrix": "ab"}, TypeError, "argument 'adj_matrix': Can't extract `str` to `Vec`"),
    ({"adj_matrix": ["ab"]}, TypeError, "argument 'adj_matrix': Can't extract `str` to `Vec`"),
    ({"adj_matrix": 5}, TypeError, "argument 'adj_matrix': 'int' object cannot be converted to 'Sequence'"),
    ({"adj_matrix": [5]}, TypeError, "argument 'adj_matrix': 'int' object cannot be converted to 'Sequence'"),
    ({"adj_matrix": [[None]]}, TypeError, "argument 'adj_matrix': "),
    ({"adj_matrix": [[0]], "custom_labels": "a"}, TypeError,
     "argument 'custom_labels': Can't extract `str` to `Vec`"),
    ({"adj_matrix": [[0]], "custom_labels": [1]}, TypeError, "argument 'custom_labels': 'int' object"),
    ({"adj_matrix": [[0]], "directed": 1}, TypeError, "argument 'directed': "),
    ({"adj_matrix": [[0, 0], [0]]}, "panic", "index out of bounds: the len is 1 but the index is 1"),
    ({"adj_matrix": [[0, 1], [0, 0]], "custom_labels": ["a"]}, "panic", "Node not found"),
])
def test_from_adjacency_matrix_errors(kwargs, exc, message, panics):
    if exc == "panic":
        with panics(message):
            Graph.from_adjacency_matrix(**kwargs)
        return
    with pytest.raises(exc) as info:
        Graph.from_adjacency_matrix(**kwargs)
    assert str(info.value).startswith(message)


def test_matrix_graph_continues_its_id_counter(tmp_path):
    graph = mivora.Graph.from_adjacency_matrix([[0, 1], [0, 0]], True)
    graph.add_node("extra")
    path = tmp_path / "ids.net"
    graph.output_net_file(str(path))
    assert path.read_text() == '*Vertices\n0 "0"\n1 "1"\n2 "extra"\n*Arcs\n0 1 1\n'
