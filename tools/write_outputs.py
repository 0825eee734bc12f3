"""Writes what the importable mivora makes of a few seeded graphs into a folder:
every layout drawn as SVG, page and WebGL page, every file format (and each
file read back, written as JSON), and the measures as text. Two builds (the gcc one and a wheel) must write the same
bytes:

    PYTHONPATH=build python3 tools/write_outputs.py /tmp/out-gcc
    some-venv/bin/python tools/write_outputs.py /tmp/out-wheel
    diff -r /tmp/out-gcc /tmp/out-wheel
"""
import pathlib
import sys

import networkx as nx

import mivora

LAYOUTS = {"random": mivora.Layout.Random, "circular": mivora.Layout.Circular,
           "spring": mivora.Layout.Spring, "force": mivora.Layout.Force}
FORMATS = ["gml", "graphml", "gexf", "net", "json", "csv"]


def graphs() -> dict[str, mivora.Graph]:
    weighted = nx.gnm_random_graph(60, 150, seed=7)
    for number, (u, v) in enumerate(weighted.edges):
        weighted.edges[u, v]["weight"] = 0.5 + (number * 37 % 11) / 3
    return {
        "karate": mivora.Graph.from_networkx(nx.karate_club_graph()),
        "miserables": mivora.Graph.from_networkx(nx.les_miserables_graph()),
        "weighted": mivora.Graph.from_networkx(weighted),
        "directed": mivora.Graph.from_networkx(nx.gnp_random_graph(120, 0.03, seed=3, directed=True)),
        "grid": mivora.Graph.from_networkx(nx.convert_node_labels_to_integers(nx.grid_2d_graph(17, 13))),
        "large": mivora.Graph.from_networkx(nx.barabasi_albert_graph(2500, 2, seed=11)),
    }


def measures(graph: mivora.Graph) -> str:
    rows = [
        ("pagerank", graph.pagerank()),
        ("betweenness", graph.betweenness_centrality()),
        ("closeness", graph.closeness_centrality()),
        ("harmonic", graph.harmonic_centrality()),
        ("clustering", graph.clustering()),
        ("average_clustering", graph.average_clustering()),
        ("transitivity", graph.transitivity()),
        ("core_number", graph.core_number()),
        ("communities", graph.communities(seed=5)),
        ("entropy", graph.compute_entropy()),
        ("max_entropy", graph.get_max_possible_entropy()),
        ("skewness", graph.get_skewness()),
        ("density", graph.get_density(False)),
        ("degree_distribution", graph.get_degree_distribution()),
    ]
    return "".join(f"{name}: {value!r}\n" for name, value in rows)


def main(folder: pathlib.Path) -> None:
    folder.mkdir(parents=True, exist_ok=True)
    for name, graph in graphs().items():
        (folder / f"{name}.measures.txt").write_text(measures(graph))
        for layout_name, layout in LAYOUTS.items():
            if layout_name == "spring" and graph.get_node_count() > 1000:
                continue  # O(N^2) a step: the smaller graphs show it
            stem = folder / f"{name}.{layout_name}"
            graph.compute_layout(layout, seed=17)
            (stem.parent / f"{stem.name}.svg").write_text(graph.output_svg())
            graph.output_html(str(stem) + ".html")
            graph.output_webgl(str(stem) + ".webgl.html")
            for extension in FORMATS:
                graph.write(str(stem) + "." + extension)
                # Read back, so the readers' number parsing is compared too.
                again = mivora.Graph.read(str(stem) + "." + extension, positions="file")
                again.output_json_file(str(stem) + "." + extension + ".read.json")
            graph.output_net_file(str(stem) + ".mivora.net")
            graph.output_json_file(str(stem) + ".mivora.json")
    print(f"{mivora.__file__}: {len(list(folder.iterdir()))} files in {folder}")


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]))
