"""Exporting the link table of a graph with attribute columns: mivora against igraph and networkx.

A graph of 200,000 nodes and 1,000,000 links with two numeric link attributes
(a float64 and an int64 column) is built once per library. The figure is the
CPU time (process time, median of several runs) of handing the whole link
table to pyarrow / pandas:

  mivora    pyarrow.table(g.edge_table())          (source, target, weight,
                                                    directed and both columns)
  igraph    g.get_edge_dataframe()                 (pandas; endpoints as ids)
  networkx  nx.to_pandas_edgelist(g)               (skipped above 200,000 links
                                                    unless --networkx)

    python benchmarks/attribute_tables.py [--nodes N] [--links M] [--runs R] [--networkx]
"""
import argparse
import statistics
import time

import numpy as np
import pyarrow as pa

import mivora


def cpu_median(action, runs):
    times = []
    for _ in range(runs):
        start = time.process_time()
        result = action()
        times.append(time.process_time() - start)
        del result
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=200_000)
    parser.add_argument("--links", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--networkx", action="store_true", help="also time networkx at any size")
    args = parser.parse_args()

    rng = np.random.default_rng(5)
    sources = rng.integers(0, args.nodes, args.links)
    targets = rng.integers(0, args.nodes, args.links)
    cost = rng.random(args.links)
    lanes = rng.integers(1, 5, args.links)

    graph = mivora.Graph.from_edges(sources, targets, directed=True)
    graph.set_edge_attribute("cost", cost[np.lexsort((np.arange(args.links), sources))])
    graph.set_edge_attribute("lanes", lanes[np.lexsort((np.arange(args.links), sources))])
    print(f"graph: {args.nodes:,} nodes, {args.links:,} links, two numeric link attributes; "
          f"CPU seconds, median of {args.runs}")

    results = {}
    results["mivora"] = cpu_median(lambda: pa.table(graph.edge_table()), args.runs)
    table = pa.table(graph.edge_table())
    assert table.num_rows == args.links and table.column_names[-2:] == ["cost", "lanes"]

    try:
        import igraph
        peer = igraph.Graph(n=args.nodes, edges=np.column_stack((sources, targets)).tolist(), directed=True)
        peer.es["cost"] = cost.tolist()
        peer.es["lanes"] = lanes.tolist()
        results["igraph"] = cpu_median(peer.get_edge_dataframe, max(1, args.runs // 2))
    except ImportError:
        pass

    if args.networkx or args.links <= 200_000:
        import networkx as nx
        peer = nx.MultiDiGraph()
        peer.add_nodes_from(range(args.nodes))
        peer.add_edges_from(
            (int(u), int(v), {"cost": float(c), "lanes": int(k)}) for u, v, c, k in zip(sources, targets, cost, lanes)
        )
        results["networkx"] = cpu_median(lambda: nx.to_pandas_edgelist(peer), max(1, args.runs // 3))

    print(f"{'library':<10}{'ms':>10}{'x mivora':>10}")
    for library, seconds in results.items():
        print(f"{library:<10}{seconds * 1000:>10.1f}{seconds / results['mivora']:>10.1f}")


if __name__ == "__main__":
    main()
