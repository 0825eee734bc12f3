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

Also reported per file: the attribute columns read (node and edge, with how
many values each holds), checked against what networkx reads from the same
file where it reads the format (GraphML, GEXF, GML); --no-attributes skips
this.

Usage: tools/check_real_files.py [--data DIR ...] [--no-attributes]
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


# ---- attribute columns ---------------------------------------------------------------------

# What the model holds itself (labels, positions, weights, directions, ids):
# networkx reports these as attributes, the graph does not keep them as columns.
MODEL_NODE_KEYS = {"label", "x", "y", "graphics"}
MODEL_EDGE_KEYS = {"weight", "directed", "source", "target"}


def column_counts(graph):
    """{"node"|"edge": {name: values present}} of the graph's attribute columns."""
    def present(values):
        return len(values) if hasattr(values, "dtype") else sum(v is not None for v in values)
    return {"node": {name: present(graph.node_attribute(name)) for name in graph.node_attribute_names()},
            "edge": {name: present(graph.edge_attribute(name)) for name in graph.edge_attribute_names()}}


def networkx_counts(path, fmt):
    """The same counts as networkx reads the file (None where it does not read it).
    Defaults a GraphML key declares count for every node or edge, as the columns
    fill them in; GEXF's viz colour and size count as viz:color and viz:size."""
    import networkx as nx  # noqa: PLC0415
    readers = {"graphml": nx.read_graphml, "gexf": nx.read_gexf, "gml": lambda p: nx.read_gml(p, label="id")}
    if fmt not in readers:
        return None
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            peer = readers[fmt](str(path))
    except Exception:  # noqa: BLE001 - networkx refusing a file is reported, not fatal
        return None
    result = {"node": defaultdict(int), "edge": defaultdict(int)}
    edges = peer.edges(data=True)
    for domain, items, defaults, model in (
            ("node", peer.nodes(data=True), peer.graph.get("node_default", {}), MODEL_NODE_KEYS),
            ("edge", edges, peer.graph.get("edge_default", {}), MODEL_EDGE_KEYS)):
        for item in items:
            data = item[-1]
            keys = set(data) | set(defaults)
            for key in keys - model:
                if key == "viz":
                    for part in ("color", "size", "thickness"):
                        if part in data["viz"]:
                            result[domain]["viz:" + part] += 1
                elif isinstance(data.get(key, defaults.get(key)), dict):
                    continue  # nested lists: our columns hold them flattened
                else:
                    result[domain][key] += 1
    if fmt == "gml":
        result["edge"].pop("value", None)  # the weight when there is no other
        result["node"].pop("name", None)   # the label when there is no other
    if fmt == "graphml":
        result["node"].pop("name", None)
    if fmt == "gexf":
        result["edge"].pop("id", None)  # an edge's XML id is the file's structure, as a node's is
    return result


def attribute_report(path, fmt, graph):
    """One line naming the attribute columns read (and how many values each
    holds), and the differences from networkx's reading of the same file."""
    ours = column_counts(graph)
    shown = "; ".join(f"{domain} " + ", ".join(f"{name} {count}" for name, count in ours[domain].items())
                      for domain in ("node", "edge") if ours[domain])
    lines = [f"columns {path.name}: {shown or 'none'}"]
    peer = networkx_counts(path, fmt)
    problems = []
    if peer is not None:
        for domain in ("node", "edge"):
            for name in sorted(set(ours[domain]) | set(peer[domain])):
                if name in ("name",) and name not in peer[domain]:
                    continue
                if domain == "edge" and name == "id" and name not in ours[domain]:
                    continue  # networkx keeps an edge's XML id, which is the file's structure
                if ours[domain].get(name, 0) != peer[domain].get(name, 0):
                    problems.append(f"{domain} column {name!r}: networkx reads {peer[domain].get(name, 0)} values, "
                                    f"we read {ours[domain].get(name, 0)}")
    return lines, problems


def relative(key):
    """The file's path inside its folder: keys name it from the shared folder or from the folder itself."""
    parts = Path(key).parts
    return Path(*parts[3:]) if parts[:2] == ("shared", "data") else Path(key)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", type=Path, action="append")
    parser.add_argument("--no-attributes", dest="attributes", action="store_false",
                        help="skip the attribute columns (their report and the comparison with networkx)")
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
            if arguments.attributes:
                column_lines, column_problems = attribute_report(path, fmt, graph)
                print("\n".join(column_lines))
                problems += column_problems
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
