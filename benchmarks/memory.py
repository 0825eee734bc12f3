"""Resident memory of one large weighted graph: mivora against igraph and networkx.

A Pajek file of 1,000,000 nodes ("n0" .. "n999999", no positions) and
5,000,000 weighted arcs is generated once. Each library then loads it in a
fresh process, and the figure is the growth of that process's resident set
(VmRSS) from just before the load to just after it (after a garbage
collection), with the library already imported:

  mivora    Graph.from_net_file(path)
  igraph    Graph.Read_Pajek(path)         (vertex attribute "name" holds the labels,
                                            edge attribute "weight" a list of floats)
  networkx  MultiDiGraph with the same labels and a "weight" per arc, built
            from the file's lines as they are read (nx.read_pajek itself keeps
            every label twice and takes minutes at this size; see peers.py)

    python benchmarks/memory.py [--nodes N] [--arcs M] [--libraries mivora,igraph,networkx]

Memory per node alone: --nodes 10000000 --arcs 0 (a file of vertices only;
B/node is then the whole growth divided by the node count).

--from arrays builds the graph from integer arrays instead of the file (the
arrays themselves made before the count starts):

  mivora    Graph.from_edges(sources, targets, weights, directed=True, ids="positions")
  igraph    Graph(n=nodes, edges=..., directed=True), es["weight"] = weights
            (vertices are bare indices: no labels at all)
"""
import argparse
import gc
import json
import os
import random
import subprocess
import sys
import tempfile
import time


def rss_bytes():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError("no VmRSS in /proc/self/status")


def generate_pajek(path, nodes, arcs, seed=11):
    rng = random.Random(seed)
    randrange = rng.randrange
    with open(path, "w") as out:
        out.write(f"*Vertices {nodes}\n")
        out.writelines(f'{i + 1} "n{i}"\n' for i in range(nodes))
        out.write("*Arcs\n")
        chunk = 100_000
        for start in range(0, arcs, chunk):
            out.writelines(f"{randrange(nodes) + 1} {randrange(nodes) + 1} {randrange(1, 10000) / 100}\n"
                           for _ in range(min(chunk, arcs - start)))


def load_mivora(path):
    import mivora
    return mivora.Graph.from_net_file(path)


def load_igraph(path):
    import igraph
    return igraph.Graph.Read_Pajek(path)


def load_networkx(path):
    import networkx as nx
    graph = nx.MultiDiGraph()
    labels = {}
    with open(path) as file:
        next(file)
        for line in file:
            if line.startswith("*"):
                break
            number, label = line.rstrip("\n").split(" ", 1)
            labels[number] = label = label.strip('"')
            graph.add_node(label)
        for line in file:
            u, v, w = line.split()
            graph.add_edge(labels[u], labels[v], weight=float(w))
    return graph


LOADERS = {"mivora": load_mivora, "igraph": load_igraph, "networkx": load_networkx}
IMPORTS = {"mivora": "mivora", "igraph": "igraph", "networkx": "networkx"}


def edge_arrays(nodes, arcs, seed=11):
    import numpy as np
    rng = np.random.default_rng(seed)
    # One arc reaches the last node, so that every node up to it exists.
    sources = np.append(rng.integers(0, nodes, arcs), 0)
    targets = np.append(rng.integers(0, nodes, arcs), nodes - 1)
    return sources, targets, rng.random(arcs + 1).astype(np.float32) * 100


def build_mivora(arrays):
    import mivora
    sources, targets, weights = arrays
    return mivora.Graph.from_edges(sources, targets, weights, directed=True, ids="positions")


def build_igraph(arrays):
    import igraph
    sources, targets, weights = arrays
    graph = igraph.Graph(n=int(max(sources.max(), targets.max())) + 1,
                         edges=list(zip(sources.tolist(), targets.tolist())), directed=True)
    graph.es["weight"] = weights.tolist()
    return graph


BUILDERS = {"mivora": build_mivora, "igraph": build_igraph}


def worker(library, path, nodes=None, arcs=None):
    __import__(IMPORTS[library])
    arrays = edge_arrays(nodes, arcs) if nodes is not None else None
    gc.collect()
    before = rss_bytes()
    start = time.perf_counter()
    graph = BUILDERS[library](arrays) if arrays is not None else LOADERS[library](path)
    seconds = time.perf_counter() - start
    gc.collect()
    after = rss_bytes()
    print(json.dumps({"library": library, "bytes": after - before, "seconds": seconds}))
    del graph


def measure(args, path, extra, libraries):
    """Each library in its own process; prints and returns one row each."""
    print(f"{'library':<10}{'RSS delta MB':>14}{'B/arc':>8}{'B/node':>8}{'build s':>9}")
    results = []
    for library in libraries:
        command = [sys.executable, __file__, "--worker", library, path] + extra
        output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
        result = json.loads(output.strip().splitlines()[-1])
        results.append(result)
        per_arc = f"{result['bytes'] / args.arcs:.1f}" if args.arcs else "-"
        print(f"{library:<10}{result['bytes'] / 1e6:>14.1f}{per_arc:>8}{result['bytes'] / args.nodes:>8.1f}"
              f"{result['seconds']:>9.2f}", flush=True)
    return results


def save(args, record):
    if args.json:
        with open(args.json, "w") as out:
            json.dump(record, out, indent=2)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=1_000_000)
    parser.add_argument("--arcs", type=int, default=5_000_000)
    parser.add_argument("--libraries", default="mivora,igraph,networkx")
    parser.add_argument("--file", help="use this Pajek file instead of generating one")
    parser.add_argument("--from", dest="source", choices=["file", "arrays"], default="file",
                        help="build from the Pajek file (default) or from integer arrays")
    parser.add_argument("--json", metavar="FILE", help="save the figures as JSON")
    parser.add_argument("--worker", nargs=2, metavar=("LIBRARY", "PATH"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.worker:
        library, path = args.worker
        if args.source == "arrays":
            worker(library, None, args.nodes, args.arcs)
        else:
            worker(library, path)
        return
    libraries = args.libraries.split(",")
    print("load average (1/5/15 min) before: %.2f %.2f %.2f" % os.getloadavg())

    if args.source == "arrays":
        print(f"graph from arrays: {args.nodes:,} nodes, {args.arcs:,} weighted arcs (+1 reaching the last node)")
        extra = ["--from", "arrays", "--nodes", str(args.nodes), "--arcs", str(args.arcs)]
        results = measure(args, "-", extra, [library for library in libraries if library in BUILDERS])
        save(args, {"nodes": args.nodes, "arcs": args.arcs, "from": "arrays", "results": results})
    else:
        with tempfile.TemporaryDirectory() as folder:
            path = args.file or os.path.join(folder, "big.net")
            if not args.file:
                generate_pajek(path, args.nodes, args.arcs)
            label_bytes = sum(len(f"n{i}") for i in range(args.nodes))
            print(f"graph: {args.nodes:,} nodes, {args.arcs:,} weighted arcs; "
                  f"{os.path.getsize(path) / 1e6:.0f} MB of Pajek text; labels {label_bytes / 1e6:.1f} MB of text")
            results = measure(args, path, [], libraries)
            save(args, {"nodes": args.nodes, "arcs": args.arcs, "label_bytes": label_bytes, "results": results})
    print("load average after: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
