"""The shortest-path searches settle nodes in networkx's order: on graphs of
arcs without parallel links, the distance dict comes in the same order as
networkx's, and among equally short paths the same one is chosen, ties
(small integer weights, zero weights) included."""
import random

import networkx as nx
import pytest

from mivora import Graph


def tied_arcs(seed, n=40, m=160, weights=(0, 1, 1, 2, 3)):
    rng = random.Random(seed)
    labels = [f"n{i}" for i in range(n)]
    arcs = {}
    for _ in range(m):
        u, v = rng.choice(labels), rng.choice(labels)
        if u != v:
            arcs.setdefault((u, v), float(rng.choice(weights)))
    g, h = Graph(), nx.DiGraph()
    for label in labels:
        g.add_node(label)
        h.add_node(label)
    for (u, v), w in arcs.items():
        g.create_connection(u, v, w, True)
        h.add_edge(u, v, weight=w)
    return g, h, labels


@pytest.mark.parametrize("seed", range(6))
@pytest.mark.parametrize("weighted", [True, False])
def test_settling_order_and_tied_paths_match_networkx(seed, weighted):
    g, h, labels = tied_arcs(seed)
    for source in labels[::4]:
        if weighted:
            theirs = nx.single_source_dijkstra_path_length(h, source, weight="weight")
        else:
            theirs = nx.single_source_shortest_path_length(h, source)
        assert list(g.shortest_path_lengths(source, weighted).items()) == list(theirs.items())
        if not weighted:
            continue
        for target in labels[::3]:
            expected = nx.dijkstra_path(h, source, target, weight="weight") if target in theirs else []
            assert g.shortest_path(source, target) == expected


@pytest.mark.parametrize("seed", range(3))
def test_repeated_searches_reset_what_they_touched(seed):
    """Betweenness and closeness reuse one search across sources; with zero
    weights and ties a stale distance or count would change them."""
    g, h, _ = tied_arcs(seed, n=30, m=120, weights=(0, 0, 1, 2))
    ours = g.betweenness_centrality(weighted=True)
    theirs = nx.betweenness_centrality(h, weight="weight")
    assert ours == pytest.approx(theirs, rel=1e-9, abs=1e-12)
    ours = g.closeness_centrality(weighted=True)
    theirs = nx.closeness_centrality(h, distance="weight")
    assert ours == pytest.approx(theirs, rel=1e-9, abs=1e-12)
