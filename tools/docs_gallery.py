"""Draws the gallery of the documentation site: networks that networkx ships,
drawn by mivora into docs/src/gallery/ (made at build time, not kept in git)."""
import pathlib
import sys

import networkx as nx

import mivora

OUT = pathlib.Path(__file__).resolve().parent.parent / "docs" / "src" / "gallery"


def to_mivora(graph: nx.Graph) -> mivora.Graph:
    result = mivora.Graph()
    for node in graph.nodes:
        result.add_node(str(node))
    for a, b, data in graph.edges(data=True):
        result.create_connection(str(a), str(b), float(data.get("weight", 1.0)))
    return result


GALLERY = {
    "karate": (nx.karate_club_graph(), mivora.Layout.Spring, mivora.GraphStyle(node_radius=9, node_color="#1f77b4", node_border="white", line_color="#999")),
    "les_miserables": (nx.les_miserables_graph(), mivora.Layout.Spring, mivora.GraphStyle(node_radius=7, node_color="#d62728", node_border="white", line_color="#aaa", line_max_width=6)),
    "florentine": (nx.florentine_families_graph(), mivora.Layout.Circular, mivora.GraphStyle(node_radius=14, node_color="#2ca02c", node_border="#145214", line_color="#555")),
    "davis": (nx.davis_southern_women_graph(), mivora.Layout.Spring, mivora.GraphStyle(node_radius=8, node_color="#9467bd", node_border="white", line_color="#bbb")),
}


def main() -> int:
    OUT.mkdir(parents=True, exist_ok=True)
    for name, (network, layout, style) in GALLERY.items():
        svg = to_mivora(network).output_svg(layout, style=style)
        (OUT / f"{name}.svg").write_text(svg, encoding="utf-8")
    print(f"gallery: {len(GALLERY)} drawings in {OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
