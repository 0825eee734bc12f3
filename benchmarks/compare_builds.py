"""Two builds of mivora side by side: the ratio of their medians per workload.

Save the figures of each build with peers.py, then compare:

    PYTHONPATH=build python3 benchmarks/peers.py --quick --libraries mivora --json gcc.json
    wheel-venv/bin/python benchmarks/peers.py --quick --libraries mivora --json zig.json
    python3 benchmarks/compare_builds.py gcc.json zig.json

Several files of one build go comma-separated (gcc1.json,gcc2.json): each
workload's figure is then the median of all that build's runs. A ratio
below 1: the second build is faster.
"""
import json
import statistics
import sys


def runs_by_workload(files: str) -> dict[str, list[float]]:
    """Every timed run of mivora per workload, over the comma-separated files."""
    runs: dict[str, list[float]] = {}
    for name in files.split(","):
        with open(name) as file:
            for row in json.load(file)["rows"]:
                runs.setdefault(row["workload"], []).extend(row["runs"].get("mivora", []))
    return runs


def spread(times: list[float]) -> float:
    """(slowest - fastest) / median."""
    return (max(times) - min(times)) / statistics.median(times)


def main(first: str, second: str) -> None:
    a, b = runs_by_workload(first), runs_by_workload(second)
    print(f"{'workload':<28}{'first s':>11}{'second s':>11}{'ratio':>8}{'spread 1':>10}{'spread 2':>10}")
    ratios = []
    for workload, times in a.items():
        if not times or not b.get(workload):
            continue
        median_a, median_b = statistics.median(times), statistics.median(b[workload])
        ratio = median_b / median_a
        ratios.append(ratio)
        print(f"{workload:<28}{median_a:>11.6f}{median_b:>11.6f}{ratio:>8.2f}"
              f"{spread(times) * 100:>9.0f}%{spread(b[workload]) * 100:>9.0f}%")
    print(f"median of the ratios (second / first): {statistics.median(ratios):.3f} over {len(ratios)} workloads; "
          "figures are medians of every timed run; spread: (slowest - fastest) / median")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
