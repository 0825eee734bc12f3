"""The graph store under its storage choices: nodes carved from shared blocks
that outlive their graph piecemeal, and file readers that add every
connection after the whole file is read."""
import gc

import pytest

import mivora


@pytest.mark.parametrize("made_by", ["calls", "edge-list read"])
def test_nodes_kept_from_dropped_graphs_stay_whole(made_by, tmp_path):
    kept = []
    for round_ in range(3):
        links = [(f"{round_}-{i}", f"{round_}-{(i * 13) % 3000}", float(i)) for i in range(0, 3000, 7)]
        if made_by == "calls":
            g = mivora.Graph()
            for i in range(3000):  # several storage blocks per graph
                g.add_node(f"{round_}-{i}")
            for source, target, weight in links:
                g.create_connection(source, target, weight, int(weight) % 2 == 0)
        else:  # nodes made while the file is parsed
            path = tmp_path / f"{round_}.edges"
            path.write_text("".join(f"{round_}-{i}\n" for i in range(3000)) +
                            "".join(f"{s} {t} {w}\n" for s, t, w in links))
            g = mivora.Graph.read(str(path))
        kept += [g.node_by_label(f"{round_}-{i}") for i in (0, 1499, 2999)]
        del g
        gc.collect()
    assert [node.label for node in kept] == [f"{r}-{i}" for r in range(3) for i in (0, 1499, 2999)]
    holder = mivora.Graph()
    holder.add_node("h")
    for node in kept:  # connections to nodes whose graph is gone
        holder.node_by_label("h").add_connection(node, 1.0, True)
    assert [c["to"] for c in holder.get_connections()] == [node.label for node in kept]
    del kept, node
    gc.collect()
    assert {c["to"] for c in holder.get_connections()} == {"[Removed]"}


NET = """*Vertices 4
1 "a"
2 "b"
3 "c"
*Arcs
1 2 1.5
3 1 2
*Edges
1 3 3
2 2 4
*Arcs
1 3 5
*Vertices 1
4 "d"
"""


def test_pajek_sections_keep_each_node_s_connection_order(tmp_path):
    path = tmp_path / "mixed.net"
    path.write_text(NET)
    g = mivora.Graph.from_net_file(str(path))
    assert [(c["from"], c["to"], c["weight"], c["directed"]) for c in g.get_connections()] == [
        ("a", "b", 1.5, True), ("a", "c", 3.0, False), ("a", "c", 5.0, True),
        ("b", "b", 4.0, False), ("c", "a", 2.0, True)]


@pytest.mark.parametrize("source, target, message", [
    ("x", "a", "Node 'from' not found"), ("a", "x", "Node 'to' not found")])
def test_json_reader_reports_the_first_unknown_label(tmp_path, source, target, message, panics):
    path = tmp_path / "bad.json"
    path.write_text('{"nodes": [{"label": "a", "x": null, "y": null}], '
                    '"edges": [{"source": "a", "target": "a", "weight": 1}], '
                    f'"arcs": [{{"source": "{source}", "target": "{target}", "weight": 1}}, '
                    '{"source": "y", "target": "y", "weight": 1}]}')
    with panics(part=message):
        mivora.Graph.from_json_file(str(path))


def test_json_round_trip_keeps_connection_order(tmp_path):
    g = mivora.Graph()
    for label in "abcd":
        g.add_node(label)
    for a, b, w, d in [("c", "a", 1, True), ("a", "b", 2, False), ("c", "d", 3, False), ("a", "a", 4, True)]:
        g.create_connection(a, b, w, d)
    g.output_json_file(str(tmp_path / "g.json"))
    again = mivora.Graph.from_json_file(str(tmp_path / "g.json"))
    # The file lists edges before arcs; each node keeps that order.
    assert [(c["from"], c["to"], c["weight"]) for c in again.get_connections()] == [
        ("a", "b", 2.0), ("a", "a", 4.0), ("c", "d", 3.0), ("c", "a", 1.0)]


# Labels of up to 15 bytes lie inside the node, longer ones on the heap: the
# lengths around that edge, in bytes of UTF-8, with a NUL inside.
LABELS = ["", "a" * 14, "b" * 15, "c" * 16, "d" * 17, "é" * 7 + "e", "é" * 8, "f\x00" * 8, "g" * 300]


@pytest.mark.parametrize("made_by", ["calls", "edge-list read"])
def test_labels_of_every_length_survive_store_and_lookup(made_by, tmp_path):
    labels = LABELS if made_by == "calls" else LABELS[1:6] + LABELS[8:]  # a file's ids hold no NUL and are not empty
    if made_by == "calls":
        g = mivora.Graph()
        for label in labels:
            g.add_node(label)
        for source, target in zip(labels, labels[1:]):
            g.create_connection(source, target, 1.0, True)
    else:
        path = tmp_path / "labels.edges"
        path.write_text("".join(f"{s} {t}\n" for s, t in zip(labels, labels[1:])), encoding="utf-8")
        g = mivora.Graph.read(str(path))
    assert g.labels() == labels
    assert [g.node_by_label(label).label for label in labels] == labels
    assert [(c["from"], c["to"]) for c in g.get_connections()] == list(zip(labels, labels[1:]))
    assert [g.index_of(label) for label in labels] == list(range(len(labels)))
    with pytest.raises(KeyError):
        g.index_of("c" * 15 + "x")  # same length, same start
    kept = g.node_by_label(labels[-1])
    del g
    gc.collect()
    assert kept.label == labels[-1]
