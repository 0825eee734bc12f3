"""mivora demo: load a network, measure it, walk it, save it and draw it.

    python examples/demo.py [network.net]

Without an argument it uses Zachary's karate club (34 members of a university
karate club and their friendships, from networkx's bundled copy of the 1977
study), saved as a Pajek file and read back.
"""
import os
import sys
import tempfile

import mivora


def karate_club_file(directory):
    import networkx as nx

    club = nx.karate_club_graph()
    graph = mivora.Graph()
    for member in club.nodes:
        graph.add_node(f"member {member}")
    for a, b, data in club.edges(data=True):
        graph.create_connection(f"member {a}", f"member {b}", data.get("weight", 1))
    path = os.path.join(directory, "karate.net")
    graph.output_net_file(path)
    return path


def main():
    out_dir = os.getcwd()
    path = sys.argv[1] if len(sys.argv) > 1 else karate_club_file(tempfile.mkdtemp())
    graph = mivora.Graph.from_net_file(path)
    print(f"network: {path}")
    print(f"  nodes {graph.get_node_count()}, connections {graph.get_edge_count()}, "
          f"total weight {graph.get_total_weight():g}, mean weight {graph.get_mean_weight():.4g}")
    print(f"  average degree {graph.get_average_degree():.4g}, density {graph.get_density(False):.4g}")
    entropy = graph.compute_entropy()
    print(f"  undirected degree entropy {entropy['undirected_entropy']:.4g} nats "
          f"(at most {graph.get_max_possible_entropy():.4g})")
    skew = graph.get_skewness()
    print(f"  undirected skewness {skew['undirected_skewness']:.4g}")

    degrees = graph.get_all_nodes_degrees()
    hubs = sorted(degrees, key=lambda label: -degrees[label]["undirected_degree"])[:3]
    print("  best connected: " + ", ".join(f"{label} ({degrees[label]['undirected_degree']})" for label in hubs))

    start = graph.nodes[0].label
    print(f"  breadth-first from {start}: {' > '.join(graph.bfs(start)[:8])} ...")
    distances = graph.dijkstra(start)
    farthest = max((d, label) for label, d in distances.items() if d != float("inf"))
    print(f"  farthest by weight from {start}: {farthest[1]} at {farthest[0]:g}")

    svg_path = os.path.join(out_dir, "demo.svg")
    with open(svg_path, "w", encoding="utf-8") as svg:
        svg.write(graph.output_svg(mivora.Layout.Circular, True))
    html_path = os.path.join(out_dir, "demo.html")
    graph.output_html(html_path, mivora.Layout.Spring, True, mivora.GraphStyle(node_color="#4477aa",
                                                                              node_border="#223355"))
    print(f"wrote {svg_path} (circular layout)")
    print(f"wrote {html_path} (spring layout): open it in a browser to pan, zoom, drag nodes and download")
    webgl_path = os.path.join(out_dir, "demo-webgl.html")
    graph.output_webgl(webgl_path, mivora.Layout.Force, override_positions=True)
    print(f"wrote {webgl_path} (force layout, WebGL): search, hover, click a node for its neighbours")


if __name__ == "__main__":
    main()
