"""A small typed program over mivora; `mypy --strict` checks it against mivora.pyi."""
from __future__ import annotations

import sys
import tempfile
from pathlib import Path

import mivora


def build(edges: list[tuple[str, str, float]]) -> mivora.Graph:
    graph = mivora.Graph()
    for source, target, _ in edges:
        for label in (source, target):
            if label not in {node.label for node in graph.nodes}:
                graph.add_node(label)
    for source, target, weight in edges:
        graph.create_connection(source, target, weight, directed=True)
    return graph


def summary(graph: mivora.Graph, start: str) -> dict[str, float]:
    degrees = graph.compute_degrees(start)
    entropy = graph.compute_entropy()
    return {
        "nodes": graph.get_node_count(),
        "edges": graph.get_edge_count(),
        "out_degree": degrees["out_degree"],
        "out_entropy": entropy["out_entropy"],
        "density": graph.get_density(True),
        "reach": len(graph.bfs(start)),
        "farthest": max(graph.dijkstra(start).values()),
    }


def main() -> int:
    graph = build([("a", "b", 1.0), ("b", "c", 2.5), ("c", "a", 0.5), ("a", "d", 4.0)])
    for key, value in summary(graph, "a").items():
        print(f"{key}: {value:g}")
    for record in graph.get_connections():
        print(f"{record['from']} -> {record['to']} ({record['weight']:g})")

    style = mivora.GraphStyle(node_color="orange", node_radius=12)
    style.dynamic_line_size = False
    svg: str = graph.output_svg(mivora.Layout.Circular, style=style)
    print(f"svg: {len(svg)} characters, layout value {int(mivora.Layout.Circular)}")

    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "graph.json"
        graph.output_json_file(str(path))
        again = mivora.Graph.from_json_file(str(path))
        matrix = again.generate_adjacency_matrix()
        copy = mivora.Graph.from_adjacency_matrix(matrix, directed=True, custom_labels=[n.label for n in again.nodes])
        assert copy.get_edge_count() == graph.get_edge_count()
    return 0


if __name__ == "__main__":
    sys.exit(main())
