"""Drawing benchmarks: the spring layout against networkx, python-igraph and
rustworkx on the same random graphs, and the speed of SVG text output.

Run with PYTHONPATH=build python3 benchmarks/bench_drawing.py [--quick]
"""
import argparse
import random
import statistics
import time

import igraph
import networkx
import rustworkx

import mivora


def median_time(function, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def random_edges(node_count, per_node, seed):
    rng = random.Random(seed)
    return [(u, rng.randrange(node_count)) for u in range(node_count) for _ in range(per_node)]


def mivora_graph(node_count, edges, directed=False):
    graph = mivora.Graph()
    for i in range(node_count):
        graph.add_node(str(i))
    for u, v in edges:
        graph.create_connection(str(u), str(v), 1.0, directed)
    return graph


def bench_spring(node_count, repeats):
    edges = random_edges(node_count, 3, seed=node_count)
    graph = mivora_graph(node_count, edges)
    nx_graph = networkx.Graph()
    nx_graph.add_nodes_from(range(node_count))
    nx_graph.add_edges_from(edges)
    ig_graph = igraph.Graph(n=node_count, edges=edges)
    rx_graph = rustworkx.PyGraph()
    rx_graph.add_nodes_from(range(node_count))
    rx_graph.add_edges_from_no_data(edges)

    contenders = {
        "mivora": lambda: graph.output_svg(mivora.Layout.Spring),
        "networkx": lambda: networkx.spring_layout(nx_graph, iterations=50),
        # igraph switches to a grid approximation above 1,000 nodes; the
        # exact all-pairs variant is timed as well.
        "igraph": lambda: ig_graph.layout_fruchterman_reingold(niter=50),
        "igraph-exact": lambda: ig_graph.layout_fruchterman_reingold(niter=50, grid=False),
        "rustworkx": lambda: rustworkx.spring_layout(rx_graph, num_iter=50),
    }
    times = {}
    for name, function in contenders.items():
        peer_repeats = 1 if name == "networkx" and node_count > 1000 else repeats
        times[name] = median_time(function, peer_repeats)
    fastest_peer = min(t for name, t in times.items() if name != "mivora")
    print(f"spring layout, {node_count} nodes, {len(edges)} connections, 50 iterations (median seconds)")
    for name, seconds in times.items():
        ratio = seconds / times["mivora"]
        print(f"  {name:10s} {seconds:8.4f} s   {ratio:6.2f}x mivora's time")
    exact_peer = min(t for name, t in times.items() if name != "mivora" and (name != "igraph" or node_count <= 1000))
    print(f"  mivora / fastest peer: {times['mivora'] / fastest_peer:.2f}"
          f"   mivora / fastest all-pairs peer: {times['mivora'] / exact_peer:.2f}")


def bench_svg(node_count, connection_count, repeats):
    rng = random.Random(7)
    edges = [(rng.randrange(node_count), rng.randrange(node_count)) for _ in range(connection_count)]
    graph = mivora.Graph()
    for i in range(node_count):
        graph.add_node(str(i))
    for index, (u, v) in enumerate(edges):
        graph.create_connection(str(u), str(v), float(index % 7), index % 2 == 0)
    text = graph.output_svg(mivora.Layout.Circular)
    seconds = median_time(lambda: graph.output_svg(mivora.Layout.Circular), repeats)
    megabytes = len(text.encode()) / 1e6
    print(f"output_svg, circular layout, {node_count} nodes, {connection_count} connections (half directed)")
    print(f"  {megabytes:.1f} MB of SVG in {seconds:.4f} s (median): {megabytes / seconds:.0f} MB/s")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true", help="fewer repeats")
    options = parser.parse_args()
    repeats = 3 if options.quick else 7
    for node_count in (1000, 3000):
        bench_spring(node_count, repeats)
    bench_svg(100_000, 500_000, repeats)


if __name__ == "__main__":
    main()
