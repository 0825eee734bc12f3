"""Graph files: mivora against networkx and python-igraph on one generated graph.

A graph of 200,000 nodes and 1,000,000 weighted arcs is written and read as
Pajek and as JSON by each library in the same run. Prints the median of
several runs per library, the throughput in MB/s of file text, and the
ratio of each peer's median to mivora's.

    PYTHONPATH=build python3 benchmarks/bench_files.py [--nodes N] [--arcs M] [--runs R]
"""
import argparse
import json
import os
import random
import statistics
import tempfile
import time

import igraph
import networkx as nx

import mivora


def median_time(function, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def generate_pajek(path, nodes, arcs, seed=42):
    rng = random.Random(seed)
    with open(path, "w") as out:
        out.write(f"*Vertices {nodes}\n")
        out.writelines(f'{i + 1} "n{i}"\n' for i in range(nodes))
        out.write("*Arcs\n")
        out.writelines(f"{rng.randrange(nodes) + 1} {rng.randrange(nodes) + 1} {rng.randrange(1, 10000) / 100}\n"
                       for _ in range(arcs))


def networkx_from_json(path):
    with open(path) as file:
        data = json.load(file)
    graph = nx.MultiDiGraph()
    graph.add_nodes_from((node["label"], {"x": node["x"], "y": node["y"]}) for node in data["nodes"])
    graph.add_weighted_edges_from((arc["source"], arc["target"], arc["weight"]) for arc in data["arcs"])
    graph.add_weighted_edges_from((edge["source"], edge["target"], edge["weight"]) for edge in data["edges"])
    return graph


def networkx_to_json(graph, path):
    with open(path, "w") as file:
        json.dump(nx.node_link_data(graph, edges="links"), file, indent=2)


def report(task, size, results, runs):
    base = next(seconds for name, seconds in results.items() if name.startswith("mivora"))
    print(f"\n{task} ({size / 1e6:.1f} MB; median of runs: {runs})")
    for name, seconds in results.items():
        ratio = "" if name.startswith("mivora") else f"  mivora is {seconds / base:6.1f}x faster"
        print(f"  {name:28s} {seconds * 1000:10.1f} ms {size / 1e6 / seconds:8.1f} MB/s{ratio}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nodes", type=int, default=200_000)
    parser.add_argument("--arcs", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5, help="runs of mivora and igraph")
    parser.add_argument("--slow-runs", type=int, default=3, help="runs of networkx")
    args = parser.parse_args()
    fast, slow = args.runs, args.slow_runs

    with tempfile.TemporaryDirectory() as folder:
        net_in = os.path.join(folder, "in.net")
        generate_pajek(net_in, args.nodes, args.arcs)
        graph = mivora.Graph.from_net_file(net_in)
        json_in = os.path.join(folder, "in.json")
        graph.output_json_file(json_in)
        nx_graph = nx.read_pajek(net_in)
        ig_graph = igraph.Graph.Read_Pajek(net_in)
        out = os.path.join(folder, "out")
        net_size, json_size = os.path.getsize(net_in), os.path.getsize(json_in)
        print(f"graph: {graph.get_node_count()} nodes, {graph.get_edge_count()} arcs")

        report("Pajek read", net_size, {
            "mivora from_net_file": median_time(lambda: mivora.Graph.from_net_file(net_in), fast),
            "igraph Read_Pajek": median_time(lambda: igraph.Graph.Read_Pajek(net_in), fast),
            "networkx read_pajek": median_time(lambda: nx.read_pajek(net_in), slow),
        }, f"{fast}/{fast}/{slow}")
        report("Pajek write", net_size, {
            "mivora output_net_file": median_time(lambda: graph.output_net_file(out), fast),
            "igraph write_pajek": median_time(lambda: ig_graph.write_pajek(out), fast),
            "networkx write_pajek": median_time(lambda: nx.write_pajek(nx_graph, out), slow),
        }, f"{fast}/{fast}/{slow}")
        report("JSON read", json_size, {
            "mivora from_json_file": median_time(lambda: mivora.Graph.from_json_file(json_in), fast),
            "json.load + networkx graph": median_time(lambda: networkx_from_json(json_in), slow),
        }, f"{fast}/{slow}")
        nx_from_json = networkx_from_json(json_in)
        report("JSON write", json_size, {
            "mivora output_json_file": median_time(lambda: graph.output_json_file(out), fast),
            "networkx node_link + json": median_time(lambda: networkx_to_json(nx_from_json, out), slow),
        }, f"{fast}/{slow}")


if __name__ == "__main__":
    main()
