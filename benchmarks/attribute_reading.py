"""Reading GraphML with attribute columns: what the columns cost, and igraph beside it.

Two files of the same random graph (--nodes nodes, --links links): one with
only labels and weights, one with three node attributes (a string, an
integer, a double) and two edge attributes (a double, an integer) besides.
Each figure is the median CPU time (process time, so a loaded machine
inflates it less than wall time would) of --runs reads after one warm-up:
mivora's Graph.read of both files, and python-igraph's Read_GraphML of the
file with attributes. The ratios printed are with / without columns
(mivora) and mivora / igraph on the file with columns.

    python benchmarks/attribute_reading.py [--nodes 200000] [--links 1000000] [--runs 5]
"""
import argparse
import gc
import os
import random
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build"))

import mivora  # noqa: E402

CITIES = ["Ljubljana", "Zürich", "Kraków", "São Paulo", "Montréal", "Oslo", "Ōsaka", "Lagos"]


def write_graphml(path, nodes, links, attributes, seed=7):
    rng = random.Random(seed)
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<graphml xmlns="http://graphml.graphdrawing.org/xmlns">\n')
        out.write('<key id="label" for="node" attr.name="label" attr.type="string"/>\n')
        out.write('<key id="weight" for="edge" attr.name="weight" attr.type="double"/>\n')
        if attributes:
            out.write('<key id="d0" for="node" attr.name="city" attr.type="string"/>\n'
                      '<key id="d1" for="node" attr.name="year" attr.type="int"/>\n'
                      '<key id="d2" for="node" attr.name="score" attr.type="double"/>\n'
                      '<key id="d3" for="edge" attr.name="capacity" attr.type="double"/>\n'
                      '<key id="d4" for="edge" attr.name="since" attr.type="int"/>\n')
        out.write('<graph edgedefault="undirected">\n')
        for i in range(nodes):
            extra = (f'<data key="d0">{CITIES[i % len(CITIES)]}</data><data key="d1">{1900 + i % 120}</data>'
                     f'<data key="d2">{rng.random():.6g}</data>') if attributes else ""
            out.write(f'<node id="n{i}"><data key="label">v{i}</data>{extra}</node>\n')
        for _ in range(links):
            a, b = rng.randrange(nodes), rng.randrange(nodes)
            extra = (f'<data key="d3">{rng.random() * 100:.4g}</data><data key="d4">{rng.randrange(1950, 2025)}</data>'
                     if attributes else "")
            out.write(f'<edge source="n{a}" target="n{b}"><data key="weight">{rng.randrange(1, 9)}</data>{extra}</edge>\n')
        out.write("</graph>\n</graphml>\n")


def median_cpu(call, runs):
    times = []
    for i in range(runs + 1):
        gc.collect()
        start = time.process_time()
        result = call()
        elapsed = time.process_time() - start
        del result
        if i > 0:
            times.append(elapsed)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=200_000)
    parser.add_argument("--links", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        plain = os.path.join(folder, "plain.graphml")
        rich = os.path.join(folder, "attributes.graphml")
        write_graphml(plain, arguments.nodes, arguments.links, False)
        write_graphml(rich, arguments.nodes, arguments.links, True)
        figures = {
            "mivora, without attributes": median_cpu(lambda: mivora.Graph.read(plain), arguments.runs),
            "mivora, with attributes": median_cpu(lambda: mivora.Graph.read(rich), arguments.runs),
        }
        try:
            import igraph
            figures["igraph Read_GraphML, with attributes"] = median_cpu(lambda: igraph.Graph.Read_GraphML(rich),
                                                                         arguments.runs)
        except ImportError:
            pass
    print(f"{arguments.nodes} nodes, {arguments.links} links; median CPU seconds of {arguments.runs} runs")
    for name, seconds in figures.items():
        print(f"  {name:40s} {seconds:8.3f}")
    print(f"  with / without attributes: {figures['mivora, with attributes'] / figures['mivora, without attributes']:.2f}")
    if "igraph Read_GraphML, with attributes" in figures:
        print(f"  mivora / igraph (with attributes): "
              f"{figures['mivora, with attributes'] / figures['igraph Read_GraphML, with attributes']:.2f}")


if __name__ == "__main__":
    main()
