"""Analysis timings of mivora against networkx, python-igraph and rustworkx.

A random directed graph of 100,000 nodes and 500,000 weighted connections is
built once per library (the same edge list for all); the adjacency matrix is
timed on a 3,000-node graph of the same density. Each figure is the median of
several runs; ratios are the peer's time over mivora's (above 1: mivora faster).

Closest equivalent calls:
  degrees        mivora get_all_nodes_degrees()   dict label -> dict of 4 ints
                 networkx in_degree(), out_degree(), degree() as dicts
                 igraph   indegree(), outdegree(), degree()   (lists of ints)
                 rustworkx in_degree(i), out_degree(i) for every node (no bulk call)
  distribution   mivora get_degree_distribution() + compute_entropy()
                 peers: in/out degree lists as above, counted into histograms
                 (collections.Counter) and -sum(p ln p) in Python
  bfs            mivora bfs(label)                   list of labels
                 networkx bfs_edges (+ start)        igraph bfs(v)[0]
                 rustworkx bfs_successors(g, v)
  dfs            mivora dfs(label)                   networkx dfs_preorder_nodes
                 igraph dfs(v)[0]                    rustworkx dfs_edges(g, v)
  dijkstra       mivora dijkstra(label)              dict label -> distance
                 networkx single_source_dijkstra_path_length
                 igraph distances(source=v, weights="weight")
                 rustworkx digraph_dijkstra_shortest_path_lengths (weight callback)
  matrix         mivora generate_adjacency_matrix()  list of lists of floats
                 networkx to_numpy_array             igraph get_adjacency() (unweighted Matrix)
                 rustworkx digraph_adjacency_matrix (numpy)
  baseline       CPython alone building the dict that get_all_nodes_degrees
                 returns, from ready labels and ints (a dict comprehension).

Run: PYTHONPATH=build python3 benchmarks/bench_analysis.py [--runs 5]
"""
import argparse
import collections
import math
import random
import statistics
import sys
import time

import igraph as ig
import networkx as nx
import rustworkx as rx

import mivora

NODES, EDGES = 100_000, 500_000
MATRIX_NODES = 3_000


def edge_list(nodes, edges, seed):
    rng = random.Random(seed)
    return [(rng.randrange(nodes), rng.randrange(nodes), rng.uniform(0.1, 10.0)) for _ in range(edges)]


def build(nodes, edges):
    labels = [f"v{i}" for i in range(nodes)]
    m = mivora.Graph()
    for label in labels:
        m.add_node(label)
    for u, v, w in edges:
        m.create_connection(labels[u], labels[v], w, True)
    n = nx.DiGraph()
    n.add_nodes_from(range(nodes))
    n.add_weighted_edges_from(edges)
    i = ig.Graph(n=nodes, edges=[(u, v) for u, v, _ in edges], directed=True)
    i.es["weight"] = [w for _, _, w in edges]
    r = rx.PyDiGraph()
    r.add_nodes_from(range(nodes))
    r.add_edges_from(edges)
    return labels, m, n, i, r


def median_time(fn, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def entropy_of(degrees):
    counts = collections.Counter(degrees)
    total = len(degrees)
    return -sum(c / total * math.log(c / total) for c in counts.values())


def peer_distribution(in_degrees, out_degrees):
    return entropy_of(in_degrees), entropy_of(out_degrees), entropy_of([0] * len(in_degrees))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    runs = parser.parse_args().runs

    labels, m, n, i, r = build(NODES, edge_list(NODES, EDGES, 1))
    start = 0
    s = labels[start]
    degrees = m.get_all_nodes_degrees()
    rows = [(label, d["in_degree"], d["out_degree"], d["total_degree"], d["undirected_degree"])
            for label, d in degrees.items()]
    nodes = range(NODES)

    cases = {
        "degrees (all nodes)": {
            "mivora": m.get_all_nodes_degrees,
            "networkx": lambda: (dict(n.in_degree()), dict(n.out_degree()), dict(n.degree())),
            "igraph": lambda: (i.indegree(), i.outdegree(), i.degree()),
            "rustworkx": lambda: ([r.in_degree(k) for k in nodes], [r.out_degree(k) for k in nodes]),
            "CPython build only": lambda: {
                label: {"in_degree": a, "out_degree": b, "total_degree": c, "undirected_degree": d}
                for label, a, b, c, d in rows},
        },
        "distribution + entropy": {
            "mivora": lambda: (m.get_degree_distribution(), m.compute_entropy()),
            "networkx": lambda: peer_distribution([d for _, d in n.in_degree()], [d for _, d in n.out_degree()]),
            "igraph": lambda: peer_distribution(i.indegree(), i.outdegree()),
            "rustworkx": lambda: peer_distribution([r.in_degree(k) for k in nodes],
                                                   [r.out_degree(k) for k in nodes]),
        },
        "bfs": {
            "mivora": lambda: m.bfs(s),
            "networkx": lambda: [start] + [v for _, v in nx.bfs_edges(n, start)],
            "igraph": lambda: i.bfs(start)[0],
            "rustworkx": lambda: rx.bfs_successors(r, start),
        },
        "dfs": {
            "mivora": lambda: m.dfs(s),
            "networkx": lambda: list(nx.dfs_preorder_nodes(n, start)),
            "igraph": lambda: i.dfs(start)[0],
            "rustworkx": lambda: rx.dfs_edges(r, start),
        },
        "dijkstra": {
            "mivora": lambda: m.dijkstra(s),
            "networkx": lambda: nx.single_source_dijkstra_path_length(n, start),
            "igraph": lambda: i.distances(source=start, weights="weight"),
            "rustworkx": lambda: rx.digraph_dijkstra_shortest_path_lengths(r, start, edge_cost_fn=float),
        },
    }
    small_edges = edge_list(MATRIX_NODES, MATRIX_NODES * EDGES // NODES, 2)
    _, sm, sn, si, sr = build(MATRIX_NODES, small_edges)
    cases[f"adjacency matrix ({MATRIX_NODES} nodes)"] = {
        "mivora": sm.generate_adjacency_matrix,
        "networkx": lambda: nx.to_numpy_array(sn),
        "igraph": si.get_adjacency,
        "rustworkx": lambda: rx.digraph_adjacency_matrix(sr, weight_fn=float),
    }

    print(f"graph: {NODES} nodes, {EDGES} directed weighted connections; median of {runs} runs")
    print(f"{'operation':<30}{'library':<20}{'seconds':>12}{'vs mivora':>12}")
    for name, calls in cases.items():
        ours = median_time(calls["mivora"], runs)
        for library, fn in calls.items():
            t = ours if library == "mivora" else median_time(fn, runs)
            print(f"{name:<30}{library:<20}{t:>12.5f}{t / ours:>11.2f}x")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
