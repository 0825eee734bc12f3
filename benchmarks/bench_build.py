"""Building a graph call by call: add_node and create_connection against the
same calls of networkx and rustworkx, in nanoseconds per call.

    python benchmarks/bench_build.py [--nodes N] [--edges E] [--repeat R]
"""
import argparse
import random
import statistics
import time

import mivora


def make_input(nodes, edges, seed=7):
    rng = random.Random(seed)
    labels = [f"n{i}" for i in range(nodes)]
    pairs = [(rng.randrange(nodes), rng.randrange(nodes), rng.random()) for _ in range(edges)]
    return labels, pairs


def build_mivora(labels, pairs):
    g = mivora.Graph()
    add_node, connect = g.add_node, g.create_connection
    t0 = time.perf_counter()
    for label in labels:
        add_node(label)
    t1 = time.perf_counter()
    for a, b, w in pairs:
        connect(labels[a], labels[b], w, True)
    t2 = time.perf_counter()
    return t1 - t0, t2 - t1


def build_networkx(labels, pairs):
    import networkx as nx

    g = nx.DiGraph()
    add_node, add_edge = g.add_node, g.add_edge
    t0 = time.perf_counter()
    for label in labels:
        add_node(label)
    t1 = time.perf_counter()
    for a, b, w in pairs:
        add_edge(labels[a], labels[b], weight=w)
    t2 = time.perf_counter()
    return t1 - t0, t2 - t1


def build_rustworkx(labels, pairs):
    import rustworkx as rx

    g = rx.PyDiGraph()
    add_node, add_edge = g.add_node, g.add_edge
    t0 = time.perf_counter()
    for label in labels:
        add_node(label)
    t1 = time.perf_counter()
    # rustworkx addresses nodes by index; the label lookup is the caller's.
    for a, b, w in pairs:
        add_edge(a, b, w)
    t2 = time.perf_counter()
    return t1 - t0, t2 - t1


LIBRARIES = {"mivora": build_mivora, "rustworkx": build_rustworkx, "networkx": build_networkx}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=200_000)
    parser.add_argument("--edges", type=int, default=1_000_000)
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()
    labels, pairs = make_input(args.nodes, args.edges)
    per_call = {}
    for name, build in LIBRARIES.items():
        runs = [build(labels, pairs) for _ in range(args.repeat)]
        per_call[name] = (
            statistics.median(r[0] for r in runs) / args.nodes * 1e9,
            statistics.median(r[1] for r in runs) / args.edges * 1e9,
        )
    print(f"build by calls: {args.nodes:,} nodes, {args.edges:,} directed connections, "
          f"median of {args.repeat} runs, ns per call")
    print(f"{'library':<12}{'add_node':>10}{'ratio':>8}{'add_edge':>10}{'ratio':>8}")
    mine = per_call["mivora"]
    for name, (node_ns, edge_ns) in per_call.items():
        print(f"{name:<12}{node_ns:>10.0f}{mine[0] / node_ns:>8.2f}{edge_ns:>10.0f}{mine[1] / edge_ns:>8.2f}")
    print("ratio = mivora time / library time (below 1: mivora is faster)")


if __name__ == "__main__":
    main()
