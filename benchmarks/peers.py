"""mivora side by side with networkx, python-igraph and rustworkx.

Every workload of benchmarks/workloads/ runs on the same generated inputs in
one process per library (a fresh interpreter that imports only that
library). Each figure is the median of --runs timed runs after one warm-up
run; the table shows seconds per library, the fastest peer, and the ratio
mivora / fastest peer (below 1: mivora is faster) and networkx / mivora.
Which call stands for which workload in each library, and where the
semantics differ, is written at the top of each workloads/ module.

    python benchmarks/peers.py [--quick] [--runs 5] [--json FILE]
                               [--only SUBSTRING ...] [--skip SUBSTRING ...]
                               [--libraries mivora,igraph,...]

The module must be importable: build it first (`make build`, which puts it
in build/; `make bench` does both).
"""
import argparse
import gc
import json
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from workloads import REPORTS, WORKLOADS  # noqa: E402
from workloads.common import FULL, QUICK, Context, write_inputs  # noqa: E402

# pandas: edge-list reading only; polars: edge-list writing only
LIBRARIES = ["mivora", "networkx", "igraph", "rustworkx", "pandas", "polars"]
PEERS = LIBRARIES[1:]

def median_seconds(case, runs):
    """Median wall time of `runs` timed calls after one warm-up, the runs'
    wall times, and the median CPU time of this process over the same calls
    (the machine may be shared: CPU time is what the call itself cost);
    setup is never timed."""
    setup, run = case if isinstance(case, tuple) else (None, None)
    if setup is None:
        setup, run = (lambda: None), (lambda _, call=case: call())
    times, cpu_times = [], []
    for i in range(runs + 1):
        state = setup()
        gc.collect()
        start, cpu_start = time.perf_counter(), time.process_time()
        result = run(state)
        elapsed, cpu = time.perf_counter() - start, time.process_time() - cpu_start
        del result, state
        if i > 0:
            times.append(elapsed)
            cpu_times.append(cpu)
    return statistics.median(times), times, statistics.median(cpu_times)


def library_version(library):
    if library == "mivora":
        return source_revision()
    return __import__(library).__version__


def source_revision():
    """The commit the module was built from, marked when the tree has changes."""
    folder = os.path.dirname(os.path.abspath(__file__))
    try:
        commit = subprocess.run(["git", "-C", folder, "rev-parse", "--short", "HEAD"], check=True,
                                capture_output=True, text=True).stdout.strip()
        dirty = subprocess.run(["git", "-C", folder, "status", "--porcelain", "--untracked-files=no"],
                               check=True, capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown revision"
    return f"commit {commit}" + (" + uncommitted changes" if dirty else "")


def worker(library, folder, sizes, runs, only, skip):
    """Runs every selected workload for one library; prints one JSON line each."""
    ctx = Context(sizes, folder)
    print(json.dumps({"version": library_version(library)}), flush=True)
    for workload in selected(only, skip):
        factory = workload.cases.get(library)
        if factory is None:
            continue
        seconds, times, cpu = median_seconds(factory(ctx), runs)
        print(json.dumps({"workload": workload.name, "seconds": seconds, "runs": times, "cpu_seconds": cpu}),
              flush=True)
        print(f"  {library:10s} {workload.name:28s} {seconds:10.4f} s  cpu {cpu:10.4f} s", file=sys.stderr, flush=True)


def selected(only, skip=None):
    def named(w, parts):
        return any(part in w.name for part in parts or [])
    return [w for w in WORKLOADS if (not only or named(w, only)) and not named(w, skip)]


def run_library(library, folder, sizes, runs, only, skip):
    command = [sys.executable, os.path.abspath(__file__), "--worker", library, "--folder", folder,
               "--sizes", json.dumps(sizes), "--runs", str(runs)]
    for part in only or []:
        command += ["--only", part]
    for part in skip or []:
        command += ["--skip", part]
    output = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True).stdout
    version, results = None, {}
    for line in output.splitlines():
        record = json.loads(line)
        if "version" in record:
            version = record["version"]
        else:
            results[record["workload"]] = record
    return version, results


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as info:
            model = next(line.split(":", 1)[1].strip() for line in info if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, Python {platform.python_version()}"


def format_seconds(seconds):
    if seconds is None:
        return "-"
    return f"{seconds:.4f}" if seconds >= 0.01 else f"{seconds:.6f}"


def spread(times):
    """(slowest - fastest) / median of the timed runs."""
    return (max(times) - min(times)) / statistics.median(times)


def print_table(report):
    libraries = report["libraries"]
    header = f"{'workload':<26}{'size':<36}" + "".join(f"{lib:>11}" for lib in libraries)
    print(header + f"{'fastest peer':>14}{'mivora/peer':>12}{'cpu ratio':>10}{'nx/mivora':>11}{'spread':>8}")
    for row in report["rows"]:
        times = row["seconds"]
        cells = "".join(f"{format_seconds(times.get(lib)):>11}" for lib in libraries)
        ratio = "-" if row["ratio"] is None else f"{row['ratio']:.2f}"
        cpu_ratio = "-" if row.get("cpu_ratio") is None else f"{row['cpu_ratio']:.2f}"
        speedup = "-" if row["networkx_speedup"] is None else f"{row['networkx_speedup']:.0f}x"
        noise = f"{spread(row['runs']['mivora']) * 100:.0f}%" if "mivora" in row["runs"] else "-"
        print(f"{row['workload']:<26}{row['size']:<36}{cells}{row['fastest_peer'] or '-':>14}{ratio:>12}"
              f"{cpu_ratio:>10}{speedup:>11}{noise:>8}")
    print("seconds: median of", report["runs"], "runs after a warm-up, one process per library;",
          "mivora/peer below 1 means mivora is faster; cpu ratio: the same with the medians of CPU time",
          "(the fastest peer by CPU time); spread: (slowest - fastest) / median of mivora's runs")


def build_report(args, sizes, versions, results):
    rows = []
    for workload in selected(args.only, args.skip):
        seconds = {lib: results[lib][workload.name]["seconds"]
                   for lib in versions if workload.name in results[lib]}
        peers = {lib: t for lib, t in seconds.items() if lib != "mivora"}
        fastest = min(peers, key=peers.get) if peers else None
        ours = seconds.get("mivora")
        cpu = {lib: results[lib][workload.name].get("cpu_seconds")
               for lib in versions if workload.name in results[lib]}
        cpu_peers = {lib: t for lib, t in cpu.items() if lib != "mivora" and t}
        cpu_fastest = min(cpu_peers, key=cpu_peers.get) if cpu_peers else None
        rows.append({
            "workload": workload.name,
            "size": workload.size(sizes),
            "seconds": seconds,
            "runs": {lib: results[lib][workload.name]["runs"] for lib in seconds},
            "fastest_peer": fastest,
            "ratio": ours / peers[fastest] if ours and fastest else None,
            "cpu_seconds": cpu,
            "cpu_ratio": cpu["mivora"] / cpu_peers[cpu_fastest] if cpu.get("mivora") and cpu_fastest else None,
            "networkx_speedup": seconds["networkx"] / ours if ours and "networkx" in seconds else None,
        })
    return {
        "date": time.strftime("%Y-%m-%d %H:%M %Z"),
        "machine": machine(),
        "load_average_before": os.getloadavg(),
        "quick": args.quick,
        "runs": args.runs,
        "versions": versions,
        "libraries": list(versions),
        "rows": rows,
    }


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="CI-sized inputs")
    parser.add_argument("--runs", type=int, default=5, help="timed runs per figure (after one warm-up)")
    parser.add_argument("--json", metavar="FILE", help="save the figures as JSON")
    parser.add_argument("--only", action="append", metavar="SUBSTRING", help="workloads whose name contains this")
    parser.add_argument("--skip", action="append", metavar="SUBSTRING",
                        help="leave out workloads whose name contains this")
    parser.add_argument("--libraries", default=",".join(LIBRARIES))
    parser.add_argument("--worker", help=argparse.SUPPRESS)
    parser.add_argument("--folder", help=argparse.SUPPRESS)
    parser.add_argument("--sizes", help=argparse.SUPPRESS)
    args = parser.parse_args(argv)

    if args.worker:
        worker(args.worker, args.folder, json.loads(args.sizes), args.runs, args.only, args.skip)
        return

    sizes = QUICK if args.quick else FULL
    libraries = args.libraries.split(",")
    load_before = os.getloadavg()
    with tempfile.TemporaryDirectory(prefix="mivora-bench-") as folder:
        write_inputs(folder, sizes)
        versions, results = {}, {}
        for library in libraries:
            print(f"{library}:", file=sys.stderr, flush=True)
            versions[library], results[library] = run_library(library, folder, sizes, args.runs, args.only, args.skip)
    report = build_report(args, sizes, versions, results)
    report["load_average_before"] = load_before
    report["load_average_after"] = os.getloadavg()
    print(f"{report['date']}; {report['machine']}")
    print("versions: " + ", ".join(f"{lib} {v}" for lib, v in versions.items()))
    print("load average (1/5/15 min) before: %.2f %.2f %.2f" % load_before,
          "after: %.2f %.2f %.2f" % report["load_average_after"])
    print_table(report)
    for extra in REPORTS:
        extra(sizes, [workload.name for workload in selected(args.only, args.skip)])
    if args.json:
        with open(args.json, "w") as out:
            json.dump(report, out, indent=2)


if __name__ == "__main__":
    main()
