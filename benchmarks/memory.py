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


def worker(library, path):
    __import__(IMPORTS[library])
    gc.collect()
    before = rss_bytes()
    start = time.perf_counter()
    graph = LOADERS[library](path)
    seconds = time.perf_counter() - start
    gc.collect()
    after = rss_bytes()
    print(json.dumps({"library": library, "bytes": after - before, "seconds": seconds}))
    del graph


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=1_000_000)
    parser.add_argument("--arcs", type=int, default=5_000_000)
    parser.add_argument("--libraries", default="mivora,igraph,networkx")
    parser.add_argument("--file", help="use this Pajek file instead of generating one")
    parser.add_argument("--json", metavar="FILE", help="save the figures as JSON")
    parser.add_argument("--worker", nargs=2, metavar=("LIBRARY", "PATH"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.worker:
        worker(*args.worker)
        return

    with tempfile.TemporaryDirectory() as folder:
        path = args.file or os.path.join(folder, "big.net")
        if not args.file:
            generate_pajek(path, args.nodes, args.arcs)
        label_bytes = sum(len(f"n{i}") for i in range(args.nodes))
        print(f"graph: {args.nodes:,} nodes, {args.arcs:,} weighted arcs; "
              f"{os.path.getsize(path) / 1e6:.0f} MB of Pajek text; labels {label_bytes / 1e6:.1f} MB of text")
        print(f"{'library':<10}{'RSS delta MB':>14}{'B/arc':>8}{'B/node':>8}{'load s':>9}")
        results = []
        for library in args.libraries.split(","):
            output = subprocess.run([sys.executable, __file__, "--worker", library, path],
                                    check=True, capture_output=True, text=True).stdout
            result = json.loads(output.strip().splitlines()[-1])
            results.append(result)
            per_arc = f"{result['bytes'] / args.arcs:.1f}" if args.arcs else "-"
            print(f"{library:<10}{result['bytes'] / 1e6:>14.1f}{per_arc:>8}{result['bytes'] / args.nodes:>8.1f}"
                  f"{result['seconds']:>9.2f}", flush=True)
        if args.json:
            with open(args.json, "w") as out:
                json.dump({"nodes": args.nodes, "arcs": args.arcs, "label_bytes": label_bytes,
                           "results": results}, out, indent=2)


if __name__ == "__main__":
    main()
