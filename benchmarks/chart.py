"""Bar chart of a peers.py run: each peer's time over mivora's, per workload.

    python benchmarks/peers.py --json results.json
    python benchmarks/chart.py results.json docs/benchmark.png [--markdown]

--markdown also prints the run as a Markdown table (the README's).

Bars above 1 (log scale) mean mivora is faster than that library; a missing
bar means the library has no equivalent call.
"""
import argparse
import json

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

from peers import format_seconds  # noqa: E402

COLORS = {"networkx": "#4c72b0", "igraph": "#dd8452", "rustworkx": "#55a868", "pandas": "#8172b3",
          "polars": "#937860"}


def print_markdown(report):
    libraries = report["libraries"]
    with_networkx = "networkx" in libraries
    print("| workload | size | " + " | ".join(f"{lib} (s)" for lib in libraries)
          + " | fastest peer | mivora / fastest peer | same, CPU time |" + (" networkx / mivora |" if with_networkx else ""))
    print("|---|---|" + "---:|" * len(libraries) + "---|---:|---:|" + ("---:|" if with_networkx else ""))
    for row in report["rows"]:
        cells = " | ".join(format_seconds(row["seconds"].get(lib)) for lib in libraries)
        ratio = "-" if row["ratio"] is None else f"**{row['ratio']:.2f}**"
        cpu_ratio = "-" if row.get("cpu_ratio") is None else f"{row['cpu_ratio']:.2f}"
        line = f"| {row['workload']} | {row['size']} | {cells} | {row['fastest_peer'] or '-'} | {ratio} | {cpu_ratio} |"
        if with_networkx:
            line += " - |" if row["networkx_speedup"] is None else f" {row['networkx_speedup']:.0f}x |"
        print(line)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("results", help="JSON file written by peers.py --json")
    parser.add_argument("output", help="PNG file to write")
    parser.add_argument("--markdown", action="store_true", help="print the figures as a Markdown table")
    args = parser.parse_args()
    with open(args.results) as file:
        report = json.load(file)
    if args.markdown:
        print_markdown(report)

    rows = [row for row in report["rows"] if "mivora" in row["seconds"]]
    peers = [lib for lib in report["libraries"] if lib != "mivora"]
    height = 0.8 / len(peers)
    fig, ax = plt.subplots(figsize=(10, 0.55 * len(rows) + 1.6))
    for k, lib in enumerate(peers):
        ys, speedups = [], []
        for i, row in enumerate(rows):
            if lib in row["seconds"]:
                ys.append(i + (k - (len(peers) - 1) / 2) * height)
                speedups.append(row["seconds"][lib] / row["seconds"]["mivora"])
        ax.barh(ys, speedups, height=height, color=COLORS.get(lib), label=lib)
    ax.axvline(1.0, color="black", linewidth=1)
    ax.set_xscale("log")
    ax.set_yticks(range(len(rows)))
    ax.set_yticklabels([f"{row['workload']}\n{row['size']}" for row in rows], fontsize=8)
    ax.invert_yaxis()
    ax.set_xlabel("peer time / mivora time (log scale; right of 1: mivora faster)")
    ax.set_title(f"mivora against its peers, {report['date']} (median of {report['runs']} runs)", fontsize=10)
    ax.grid(axis="x", which="both", alpha=0.3)
    ax.legend(loc="lower right", fontsize=8)
    fig.tight_layout()
    fig.savefig(args.output, dpi=110)


if __name__ == "__main__":
    main()
