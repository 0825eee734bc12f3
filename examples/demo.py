"""mivora demo: build a small network, print a few statistics and draw it."""
import mivora

FRIENDS = [
    ("Ada", "Grace", 3.0), ("Ada", "Alan", 1.0), ("Grace", "Alan", 2.0), ("Alan", "Edsger", 1.0),
    ("Edsger", "Barbara", 4.0), ("Barbara", "Donald", 1.5), ("Donald", "Ada", 2.5), ("Grace", "Barbara", 1.0),
]


def main():
    graph = mivora.Graph()
    for label in sorted({label for a, b, _ in FRIENDS for label in (a, b)}):
        graph.add_node(label)
    for a, b, weight in FRIENDS:
        graph.create_connection(a, b, weight, directed=True)
    print(f"nodes: {graph.get_node_count()}, connections: {graph.get_edge_count()}, "
          f"total weight: {graph.get_total_weight()}")

    style = mivora.GraphStyle(node_color="#4c72b0", node_border="#1b2a49", line_color="#888888")
    with open("demo.svg", "w", encoding="utf-8") as file:
        file.write(graph.output_svg(mivora.Layout.Spring, style=style))
    print("wrote demo.svg")


if __name__ == "__main__":
    main()
