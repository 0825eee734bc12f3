"""What every area shares: the workload record, the input sizes, the context
a library's cases are prepared in, and the generated inputs.

All inputs come from fixed seeds, so the parent process and each library's
process generate exactly the same edge lists; the graph files are written
once by the parent and read by every library.
"""
import json
import os
import random
from dataclasses import dataclass, field
from typing import Any, Callable

# A case is either the timed call `run()` or a pair `(setup, run)`: setup()
# runs before every timed run, untimed, and its result is passed to run.
Case = Callable[[], Any] | tuple[Callable[[], Any], Callable[[Any], Any]]


@dataclass
class Workload:
    name: str
    size: Callable[[dict], str]                         # sizes -> "200,000 nodes, ..."
    cases: dict[str, Callable[["Context"], Case]]       # library -> factory
    unit: Callable[[dict], tuple[float, str]] | None = None  # sizes -> (count, "MB") for a rate


FULL = {
    "build_nodes": 200_000, "build_edges": 1_000_000,
    "file_nodes": 200_000, "file_arcs": 1_000_000,
    "analysis_nodes": 100_000, "analysis_edges": 500_000,
    "matrix_nodes": 3_000,
    "spring_small": 1_000, "spring_large": 3_000,
    "svg_nodes": 100_000, "svg_edges": 500_000,
    "diameter_nodes": 20_000, "diameter_edges": 100_000,
    "layout_small": 3_000, "layout_large": 100_000, "layout_huge": 1_000_000,
}
QUICK = {
    "build_nodes": 2_000, "build_edges": 10_000,
    "file_nodes": 2_000, "file_arcs": 10_000,
    "analysis_nodes": 2_000, "analysis_edges": 10_000,
    "matrix_nodes": 200,
    "spring_small": 100, "spring_large": 300,
    "svg_nodes": 2_000, "svg_edges": 10_000,
    "diameter_nodes": 500, "diameter_edges": 2_500,
    "layout_small": 300, "layout_large": 2_000, "layout_huge": 5_000,
}


@dataclass
class Context:
    """One library's view of the inputs: sizes, the input folder, a scratch
    path for written files and a cache of prepared graphs."""
    sizes: dict
    folder: str
    cache: dict = field(default_factory=dict)

    def cached(self, key, make):
        if key not in self.cache:
            self.cache[key] = make()
        return self.cache[key]

    def path(self, name):
        return os.path.join(self.folder, name)

    @property
    def out(self):
        return self.path("out.tmp")


def n(count):
    return f"{count:,}"


# ---- generated inputs ---------------------------------------------------------

def labelled_edges(nodes, edges, seed, prefix="v"):
    """Labels and (u, v, weight) triples by position; weights in [0.1, 10)."""
    rng = random.Random(seed)
    labels = [f"{prefix}{i}" for i in range(nodes)]
    triples = [(rng.randrange(nodes), rng.randrange(nodes), rng.randrange(10, 1000) / 100) for _ in range(edges)]
    return labels, triples


def file_graph(sizes):
    """The graph of the file workloads: labels, unit-square positions, arcs."""
    nodes, arcs = sizes["file_nodes"], sizes["file_arcs"]
    labels, triples = labelled_edges(nodes, arcs, seed=42, prefix="n")
    rng = random.Random(43)
    positions = [(rng.randrange(10_000) / 10_000, rng.randrange(10_000) / 10_000) for _ in range(nodes)]
    return labels, positions, triples


def write_inputs(folder, sizes):
    """The Pajek and JSON files every library reads (same graph in both)."""
    labels, positions, triples = file_graph(sizes)
    with open(os.path.join(folder, "graph.net"), "w") as out:
        out.write(f"*Vertices {len(labels)}\n")
        out.writelines(f'{i + 1} "{label}" {x} {y}\n' for i, (label, (x, y)) in enumerate(zip(labels, positions)))
        out.write("*Arcs\n")
        out.writelines(f"{u + 1} {v + 1} {w}\n" for u, v, w in triples)
    # Canvas coordinates, as the Pajek reader maps the unit square.
    document = {
        "nodes": [{"label": label, "x": x * 1480 + 20, "y": y * 680 + 20}
                  for label, (x, y) in zip(labels, positions)],
        "edges": [],
        "arcs": [{"source": labels[u], "target": labels[v], "weight": w} for u, v, w in triples],
    }
    with open(os.path.join(folder, "graph.json"), "w") as out:
        json.dump(document, out, indent=2)
