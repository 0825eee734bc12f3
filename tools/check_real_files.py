#!/usr/bin/env python3
"""Load every published network file through Graph.read and compare it with groundtruth.json.

Each file is read as a new user reads it, Graph.read(path) with default options:
the format and the encoding are found from the content. Only an entry whose
ground truth gives "options" (a file that truly cannot tell, as its note says)
is read with those.

Compared per file: node count, connection count, directed connection count,
total weight (single-precision tolerance), the first labels in file order, the
number of distinct labels and their first ten in sorted order, how many
vertices carry a position, and the first position. Positions are compared in
the file's own units: the files are read with positions="file" (the canvas
placement is checked by the test suite instead).

Usage: tools/check_real_files.py [--data DIR ...]
DIR defaults to ../shared/data/networks and ../shared/data/networks-2 beside the
repository. Exit status 1 on any mismatch. A format whose reader is not part of this build is reported as
"not built" and does not fail the run.
"""
import argparse
import json
import math
import sys
import tempfile
import warnings
from collections import defaultdict
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "build"))
import mivora  # noqa: E402

def snapshot(graph):
    """Nodes (label, x, y) and connections (weight, directed) through our own JSON."""
    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "graph.json"
        graph.write(str(path))
        document = json.loads(path.read_text(encoding="utf-8"))
    connections = [(c["weight"], False) for c in document["edges"]] + [(c["weight"], True) for c in document["arcs"]]
    return document["nodes"], connections


def close(a, b, relative=1e-5, absolute=1e-3):
    return math.isclose(a, b, rel_tol=relative, abs_tol=absolute)


def compare(entry, graph):
    """The differences between a graph and its groundtruth entry, as text lines."""
    nodes, connections = snapshot(graph)
    labels = [node["label"] for node in nodes]
    weights = [w if w is not None else math.nan for w, _ in connections]
    placed = [node for node in nodes if node["x"] is not None and node["y"] is not None]
    found = {
        "nodes": len(nodes),
        "edges": len(connections),
        "arcs": sum(1 for _, directed in connections if directed),
        "total_weight": math.fsum(weights),
        "labels_first": labels[: len(entry.get("labels_first", []))],
        "labels_distinct": len(set(labels)),
        "labels_sorted_sample": sorted(set(labels))[: len(entry.get("labels_sorted_sample", []))],
        "vertices_with_xy": len(placed),
    }
    problems = []
    for key, value in found.items():
        if entry.get(key) is None:  # not established for this file
            continue
        expected = entry[key]
        same = close(value, expected) if key == "total_weight" else value == expected
        if not same:
            problems.append(f"{key}: expected {expected!r}, read {value!r}")
    if entry.get("xy_first"):
        label, (x, y) = entry["xy_first"]
        first = placed[0] if placed else None
        if first is None or first["label"] != label or not (close(first["x"], x, 1e-9, 1e-9) and close(first["y"], y, 1e-9, 1e-9)):
            shown = None if first is None else [first["label"], [first["x"], first["y"]]]
            problems.append(f"xy_first: expected {entry['xy_first']!r}, read {shown!r}")
    return problems


def relative(key):
    """The file's path inside its folder: keys name it from the shared folder or from the folder itself."""
    parts = Path(key).parts
    return Path(*parts[3:]) if parts[:2] == ("shared", "data") else Path(key)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=Path, action="append")
    arguments = parser.parse_args()
    folders = arguments.data or [REPO.parent / "shared" / "data" / name for name in ("networks", "networks-2")]
    tally = defaultdict(lambda: defaultdict(int))
    failed = False
    for folder in folders:
        truth = json.loads((folder / "groundtruth.json").read_text(encoding="utf-8"))
        for key, entry in sorted(truth.items(), key=lambda item: (item[1]["format"], item[0])):
            fmt = entry["format"]
            path = folder / relative(key)
            options = {"positions": "file", **(entry.get("options") or {})}
            try:
                with warnings.catch_warnings():
                    warnings.simplefilter("ignore")  # repeated labels and encoding guesses are expected
                    graph = mivora.Graph.read(str(path), **options)
            except NotImplementedError:
                tally[fmt]["not built"] += 1
                continue
            except Exception as error:  # noqa: BLE001 - every failure is reported
                tally[fmt]["failed"] += 1
                failed = True
                print(f"FAIL {folder.name}/{relative(key)}: {type(error).__name__}: {error}")
                continue
            problems = compare(entry, graph)
            if problems:
                tally[fmt]["failed"] += 1
                failed = True
                for problem in problems:
                    print(f"FAIL {folder.name}/{relative(key)}: {problem}")
            else:
                tally[fmt]["ok"] += 1
    for fmt in sorted(tally):
        counts = ", ".join(f"{count} {state}" for state, count in sorted(tally[fmt].items()))
        print(f"{fmt}: {counts}")
    total = sum(sum(states.values()) for states in tally.values())
    print(f"{sum(states['ok'] for states in tally.values())} of {total} files match")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
