"""mivora demo: load a network, measure it, walk it, save it and draw it.

    python examples/demo.py [network.net]

Without an argument it uses Zachary's karate club (34 members of a university
karate club and their friendships, from the 1977 study), saved as a Pajek file
and read back.
"""
import os
import sys
import tempfile

import mivora


# Zachary's karate club (W. W. Zachary, "An information flow model for conflict
# and fission in small groups", 1977): members 0 to 33 and their 78
# friendships, "a b w" with w the number of contexts in which a and b met
# (Zachary's matrix C). Kept here so that the demo needs no other package.
KARATE_CLUB = """
0 1 4   0 2 5   0 3 3   0 4 3   0 5 3   0 6 3   0 7 2   0 8 2   0 10 2  0 11 3
0 12 1  0 13 3  0 17 2  0 19 2  0 21 2  0 31 2  1 2 6   1 3 3   1 7 4   1 13 5
1 17 1  1 19 2  1 21 2  1 30 2  2 3 3   2 7 4   2 8 5   2 9 1   2 13 3  2 27 2
2 28 2  2 32 2  3 7 3   3 12 3  3 13 3  4 6 2   4 10 3  5 6 5   5 10 3  5 16 3
6 16 3  8 30 3  8 32 3  8 33 4  9 33 2  13 33 3 14 32 3 14 33 2 15 32 3 15 33 4
18 32 1 18 33 2 19 33 1 20 32 3 20 33 1 22 32 2 22 33 3 23 25 5 23 27 4 23 29 3
23 32 5 23 33 4 24 25 2 24 27 3 24 31 2 25 31 7 26 29 4 26 33 2 27 33 4 28 31 2
28 33 2 29 32 4 29 33 2 30 32 3 30 33 3 31 32 4 31 33 4 32 33 5
"""


def karate_club_links():
    """The club's friendships as (member, member, weight) triples."""
    numbers = [int(word) for word in KARATE_CLUB.split()]
    return list(zip(numbers[0::3], numbers[1::3], numbers[2::3]))


def karate_club_file(directory):
    graph = mivora.Graph()
    for member in range(34):
        graph.add_node(f"member {member}")
    for a, b, weight in karate_club_links():
        graph.create_connection(f"member {a}", f"member {b}", weight)
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
