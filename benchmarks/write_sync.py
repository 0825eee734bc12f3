"""What waiting for the disk costs Graph.write: sync=True (the default) against sync=False.

A graph of 100,000 labelled nodes and 1,000,000 weighted links is written
over the same file again and again, in each format asked for, alternating
the two settings; everything is flushed to the disk before each write, so
that neither pays for the writeback of the one before (as a single save
would not). The default calls fsync on the new file before its rename and
on the folder after it; sync=False leaves both to the system. Reported: the
median wall time of each, their ratio, and the median time of the same two
fsync calls made right after each sync=False write (what is left to wait
for by then: ext4 starts writing a file renamed over another at once).

    PYTHONPATH=build python benchmarks/write_sync.py [--folder DIR] [--runs 7]
                                                     [--links 1000000] [--formats edgelist,pajek]

DIR must be on the disk whose cost is wanted (a tmpfs folder makes fsync
free); the default is a temporary folder under the current one.
"""
import argparse
import os
import random
import statistics
import tempfile
import time

import mivora

EXTENSION = {"edgelist": ".csv", "pajek": ".net", "graphml": ".graphml", "gml": ".gml", "gexf": ".gexf"}


def build_graph(nodes, links, seed=5):
    chance = random.Random(seed)
    sources = [f"n{chance.randrange(nodes)}" for _ in range(links)]
    targets = [f"n{chance.randrange(nodes)}" for _ in range(links)]
    weights = [chance.random() for _ in range(links)]
    return mivora.Graph.from_edges(sources, targets, weights)


def sync_time(path):
    """The time of the two fsync calls the default makes, made after an unsynced write."""
    start = time.perf_counter()
    descriptor = os.open(path, os.O_RDONLY)
    try:
        os.fsync(descriptor)
    finally:
        os.close(descriptor)
    folder = os.open(os.path.dirname(path), os.O_RDONLY)
    try:
        os.fsync(folder)
    finally:
        os.close(folder)
    return time.perf_counter() - start


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--folder", default=".")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--links", type=int, default=1_000_000)
    parser.add_argument("--nodes", type=int, default=100_000)
    parser.add_argument("--formats", default="edgelist,pajek")
    args = parser.parse_args(argv)
    graph = build_graph(args.nodes, args.links)
    print(f"{graph.get_node_count():,} nodes, {graph.get_edge_count():,} links, {args.runs} runs of each")
    print(f"{'format':10} {'MB':>6} {'sync s':>8} {'no sync s':>10} {'ratio':>6} {'wait s':>7}")
    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        for fmt in args.formats.split(","):
            path = os.path.join(folder, "graph" + EXTENSION[fmt])
            graph.write(path, fmt)  # the file exists before the first timed write, as when a save is repeated
            times = {True: [], False: []}
            waits = []
            for run in range(args.runs):
                for sync in ((True, False) if run % 2 == 0 else (False, True)):
                    os.sync()  # each write starts with no dirty data of the one before
                    start = time.perf_counter()
                    graph.write(path, fmt, sync=sync)
                    times[sync].append(time.perf_counter() - start)
                    if not sync:
                        waits.append(sync_time(path))
            synced, unsynced = statistics.median(times[True]), statistics.median(times[False])
            wait = statistics.median(waits)
            size = os.path.getsize(path) / (1 << 20)
            print(f"{fmt:10} {size:6.1f} {synced:8.3f} {unsynced:10.3f} {synced / unsynced:6.2f} {wait:7.3f}")


if __name__ == "__main__":
    main()
