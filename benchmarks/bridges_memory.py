"""Peak memory of Graph.from_edges against the graph it builds and its inputs.

In a fresh process: two int64 NumPy arrays of random arcs (and float64
weights with --weights) are made, then the resident set's peak is reset
(/proc/self/clear_refs) and Graph.from_edges runs. Printed, in MB: the
inputs, the final graph (resident growth that stays), and the growth at the
peak; the goal is peak growth <= final graph + inputs, i.e. whatever the call
holds on the side stays below the size of the arrays it was given.

    python benchmarks/bridges_memory.py [--nodes N] [--arcs M] [--weights]
"""
import argparse
import gc


def status(field):
    with open("/proc/self/status") as status_file:
        for line in status_file:
            if line.startswith(field + ":"):
                return int(line.split()[1]) * 1024
    raise RuntimeError(f"no {field} in /proc/self/status")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nodes", type=int, default=1_000_000)
    parser.add_argument("--arcs", type=int, default=10_000_000)
    parser.add_argument("--weights", action="store_true")
    args = parser.parse_args()

    import numpy as np

    import mivora
    rng = np.random.default_rng(5)
    sources = rng.integers(0, args.nodes, args.arcs)
    targets = rng.integers(0, args.nodes, args.arcs)
    weights = rng.random(args.arcs) if args.weights else None
    inputs = sources.nbytes + targets.nbytes + (weights.nbytes if weights is not None else 0)
    gc.collect()
    with open("/proc/self/clear_refs", "w") as clear:
        clear.write("5")  # the peak (VmHWM) starts again from the current resident set
    before = status("VmRSS")
    graph = mivora.Graph.from_edges(sources, targets, weights, directed=True)
    peak = status("VmHWM") - before
    final = status("VmRSS") - before
    mb = 1 << 20
    print(f"{args.arcs:,} arcs, {args.nodes:,} nodes{' with weights' if weights is not None else ''}: "
          f"inputs {inputs / mb:.0f} MB, final graph {final / mb:.0f} MB, peak growth {peak / mb:.0f} MB "
          f"(side memory at the peak {(peak - final) / mb:.0f} MB = {(peak - final) / inputs:.2f} x inputs)")
    assert graph.get_edge_count() == args.arcs


if __name__ == "__main__":
    main()
