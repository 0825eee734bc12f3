"""Viewer page benchmark: writing the HTML page of a drawn graph (layout
excluded: circular positions) against what the peers offer for handing a
graph to a browser: python-igraph's SVG file, networkx's and rustworkx's
node-link JSON. Also shows what the page adds over mivora's own SVG text.

Run with PYTHONPATH=build python3 benchmarks/bench_viewer.py [--quick]
"""
import argparse
import json
import os
import random
import statistics
import tempfile
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


def bench(node_count, repeats, folder):
    rng = random.Random(node_count)
    edges = [(u, rng.randrange(node_count)) for u in range(node_count) for _ in range(3)]
    graph = mivora.Graph()
    for i in range(node_count):
        graph.add_node(str(i))
    for u, v in edges:
        graph.create_connection(str(u), str(v), 1.0, False)
    nx_graph = networkx.Graph()
    nx_graph.add_nodes_from(range(node_count))
    nx_graph.add_edges_from(edges)
    ig_graph = igraph.Graph(n=node_count, edges=edges)
    ig_layout = ig_graph.layout_circle()
    rx_graph = rustworkx.PyGraph()
    rx_graph.add_nodes_from(range(node_count))
    rx_graph.add_edges_from_no_data(edges)

    def path(name):
        return os.path.join(folder, name)

    def nx_json():
        with open(path("nx.json"), "w") as out:
            json.dump(networkx.node_link_data(nx_graph, edges="links"), out)

    contenders = {
        "mivora": lambda: graph.output_html(path("page.html"), mivora.Layout.Circular),
        "mivora svg only": lambda: graph.output_svg(mivora.Layout.Circular),
        "igraph svg": lambda: ig_graph.write_svg(path("ig.svg"), layout=ig_layout),
        "networkx json": nx_json,
        "rustworkx json": lambda: rustworkx.node_link_json(rx_graph, path=path("rx.json")),
    }
    times = {name: median_time(function, repeats) for name, function in contenders.items()}
    base = times["mivora"]
    print(f"{node_count} nodes, {len(edges)} edges (median of {repeats})")
    for name, seconds in times.items():
        print(f"  {name:16} {seconds * 1e3:9.2f} ms   x{seconds / base:6.2f} of mivora")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    sizes = [1_000, 10_000] if args.quick else [1_000, 10_000, 100_000]
    with tempfile.TemporaryDirectory() as folder:
        for node_count in sizes:
            bench(node_count, 5, folder)


if __name__ == "__main__":
    main()
