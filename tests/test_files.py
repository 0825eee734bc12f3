"""Pajek and JSON graph files: reading, writing, round trips and bad input."""
import json
import math
import os
import random
from pathlib import Path

import pytest

import mivora
from mivora import Graph

DATA = Path(__file__).parent / "data"


def write(tmp_path, name, content):
    path = tmp_path / name
    path.write_bytes(content if isinstance(content, bytes) else content.encode())
    return str(path)


def positions(graph, tmp_path):
    """{label: (x, y)} as written to a JSON file (None where absent)."""
    path = str(tmp_path / "positions.json")
    graph.output_json_file(path)
    return {node["label"]: (node["x"], node["y"]) for node in json.loads(Path(path).read_text())["nodes"]}


def connections(graph):
    return [(c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections()]


def expected_failures(folder):
    for line in (DATA / folder / "EXPECTED.txt").read_text().splitlines():
        name, message = line.split("\t")
        yield pytest.param(DATA / folder / name, message, id=name)


# ---- Pajek reader ---------------------------------------------------------------


def test_net_reads_vertices_edges_and_arcs(tmp_path):
    path = write(tmp_path, "g.net", '*Vertices 3\n1 "a"\n2 "b"\n3 "c"\n*Edges\n1 2 1\n*Arcs\n2 3 2.5 extra\n')
    graph = Graph.from_net_file(path)
    assert [node.label for node in graph.nodes] == ["a", "b", "c"]
    assert connections(graph) == [("a", "b", 1.0, False), ("b", "c", 2.5, True)]
    assert positions(graph, tmp_path) == {"a": (None, None), "b": (None, None), "c": (None, None)}


def test_net_maps_unit_square_onto_canvas(tmp_path):
    path = write(tmp_path, "g.net", '*Vertices\n1 "a" 0 0\n2 "b" 1 1\n3 "c" 0.5 0.5\n4 "New York" 0.1 0.2\n5 "o" -1 2\n')
    assert positions(Graph.from_net_file(path), tmp_path) == {
        "a": (20.0, 20.0), "b": (1500.0, 700.0), "c": (760.0, 360.0),
        "New York": (0.1 * 1480 + 20, 0.2 * 680 + 20), "o": (-1460.0, 1380.0)}


@pytest.mark.parametrize("vertex_line, label, position", [
    ('1 "New York"', "New York", (None, None)),  # quoted span is one token
    ('1 "a b c"', "a b c", (None, None)),
    ('1 "x "y" z" 0 1', 'x "y" z', (20.0, 700.0)),  # first to last quote
    ('1 ""', "", (None, None)),
    ('1 "a" 1 2 0.5 0.5', "a", (760.0, 360.0)),  # last two tokens are x and y
])
def test_net_vertex_line_forms(tmp_path, vertex_line, label, position):
    graph = Graph.from_net_file(write(tmp_path, "g.net", f"*Vertices\n{vertex_line}\n*Edges\n1 1 1\n"))
    assert positions(graph, tmp_path) == {label: position}
    assert connections(graph) == [(label, label, 1.0, False)]


@pytest.mark.parametrize("vertex_line", ['1 "a" 0.5', "1\t\"a\"", '"a"'])
def test_net_lines_of_one_or_three_tokens_add_nothing(tmp_path, vertex_line, panics):
    path = write(tmp_path, "g.net", f'*Vertices\n{vertex_line}\n*Edges\n1 1 1\n')
    with panics(match="^no entry found for key$"):
        Graph.from_net_file(path)


def test_net_dialect_details(tmp_path, panics):
    text = ("ignored before any header\r\n"
            "*VERTICES is no header\r\n"
            "\u3000 *vertices \u00a0\r\n"          # Unicode white space is trimmed, lower case header
            '1 "a"\r\n2 "b"\r\n'
            '3 "a"\r\n'                            # same label: one node, both ids reach it
            "\r\n   \r\n"
            "*arcs\n3 2 -1E+1\n1\t2 3 4\n")     # a tab is not a separator: "1\t2" is unknown
    with panics(match="no entry found for key"):
        Graph.from_net_file(write(tmp_path, "g.net", text))
    graph = Graph.from_net_file(write(tmp_path, "g.net", text.rsplit("1\t2", 1)[0]))
    assert [node.label for node in graph.nodes] == ["a", "b"]
    assert connections(graph) == [("a", "b", -10.0, True)]


def test_net_label_with_header_text_stays_a_vertex(tmp_path):
    # Only a line that starts with '*' is a section header.
    path = write(tmp_path, "g.net", '*Vertices\n1 "a"\n2 "x*edges"\n*Edges\n1 2 1\n')
    graph = Graph.from_net_file(path)
    assert [node.label for node in graph.nodes] == ["a", "x*edges"]
    assert connections(graph) == [("a", "x*edges", 1.0, False)]


@pytest.mark.parametrize("text, weight", [
    ("0.1", 0.10000000149011612), ("+.5", 0.5), ("5.", 5.0), ("2E+2", 200.0), ("1e-3", 0.0010000000474974513),
    ("1e999", math.inf), ("-1e39", -math.inf), ("1e-999", 0.0), ("-INFINITY", -math.inf), ("inf", math.inf),
    ("3.4028235677973366e38", 3.4028234663852886e38),  # rounds to the largest float, not to inf
    ("1.00000005960464477539062500001", 1.0000001192092896),  # rounded once, at single precision
])
def test_net_weight_numbers(tmp_path, text, weight):
    graph = Graph.from_net_file(write(tmp_path, "g.net", f'*Vertices\n1 "a"\n*Edges\n1 1 {text}\n'))
    assert connections(graph)[0][2] == weight


def test_net_nan_weight_and_extreme_coordinates(tmp_path):
    graph = Graph.from_net_file(write(tmp_path, "g.net", '*Vertices\n1 "a" 1e-400 1e400\n*Edges\n1 1 NaN\n'))
    assert math.isnan(connections(graph)[0][2])
    assert positions(graph, tmp_path) == {"a": (20.0, None)}  # infinite y is written as null


@pytest.mark.parametrize("path, message", list(expected_failures("bad_net")))
def test_net_refuses_bad_files(path, message, panics):
    with panics() as failure:
        Graph.from_net_file(str(path))
    assert message in str(failure.value)


def test_net_file_system_errors(tmp_path, panics):
    with panics(match=r"^Failed to open file: No such file or directory \(os error 2\)$"):
        Graph.from_net_file(str(tmp_path / "missing.net"))
    with panics(match=r"^Failed to read \.net file: Is a directory \(os error 21\)$"):
        Graph.from_net_file(str(tmp_path))


def test_net_empty_and_headerless_files(tmp_path):
    for text in ["", "\n\n", '1 "a"\n1 1 1\n']:
        assert Graph.from_net_file(write(tmp_path, "g.net", text)).get_node_count() == 0


def test_net_multi_megabyte_lines(tmp_path):
    label = "é" * 1_500_000 + "x" * 9000
    path = write(tmp_path, "g.net", f'*Vertices\n1 "{label}" 0 1\n2 "b"\n*Edges\n1 2 {"1" * 8200}\n')
    graph = Graph.from_net_file(path)
    assert graph.nodes[0].label == label
    assert connections(graph)[0][2] == math.inf


def test_net_binary_garbage_and_truncation_never_crash(tmp_path, panic_type):
    rng = random.Random(4)
    good = '*Vertices 3\n1 "a" 0.1 0.2\n2 "b c"\n3 "d"\n*Edges\n1 2 1.5\n*Arcs\n3 1 -2\n'.encode()
    samples = [good[:cut] for cut in range(len(good))]
    samples += [bytes(rng.randrange(256) for _ in range(rng.randrange(1, 300))) for _ in range(40)]
    samples += [b"*Vertices\n" + bytes(rng.choice(b'"* \n\t01.e"abc') for _ in range(200)) for _ in range(40)]
    for sample in samples:
        try:
            Graph.from_net_file(write(tmp_path, "g.net", sample))
        except panic_type:
            pass


# ---- Pajek writer ---------------------------------------------------------------


def graph_from_json(tmp_path, document):
    return Graph.from_json_file(write(tmp_path, "in.json", json.dumps(document)))


def test_net_writer_example(tmp_path):
    graph = graph_from_json(tmp_path, {"nodes": [{"label": "a", "x": 760, "y": 360}, {"label": "b"}],
                                       "edges": [["a", "b", 1]], "arcs": [["b", "a", 2.5]]})
    out = tmp_path / "out.net"
    graph.output_net_file(str(out))
    assert out.read_bytes() == b'*Vertices\n0 "a" 0.5 0.5\n1 "b"\n*Edges\n0 1 1\n*Arcs\n1 0 2.5\n'


@pytest.mark.parametrize("document, text", [
    ({"nodes": []}, "*Vertices\n"),
    ({"nodes": [{"label": "a", "x": 20, "y": 20}, {"label": "b", "x": 1500, "y": 700}]},
     '*Vertices\n0 "a" 0 0\n1 "b" 1 1\n'),
    ({"nodes": [{"label": "a", "x": 20}, {"label": "b"}], "arcs": [["a", "b", 0.1], ["b", "a", 3]]},
     '*Vertices\n0 "a"\n1 "b"\n*Arcs\n0 1 0.1\n1 0 3\n'),
    ({"nodes": [{"label": 'q"t', "x": 2980, "y": 20}], "edges": [['q"t', 'q"t', -0.0]]},
     '*Vertices\n0 "q"t" 2 0\n*Edges\n0 0 -0\n'),
])
def test_net_writer_text(tmp_path, document, text):
    out = tmp_path / "out.net"
    graph_from_json(tmp_path, document).output_net_file(str(out))
    assert out.read_text() == text


def test_net_round_trip_keeps_labels_weights_and_positions(tmp_path):
    source = write(tmp_path, "in.net", '*Vertices\n7 "New York" 0.25 0.75\n9 "a b"\n3 "ü \\"q\\""\n'
                                       '*Arcs\n7 9 0.1\n*Edges\n9 3 1e-7\n3 3 nan\n')
    first = Graph.from_net_file(source)
    out = str(tmp_path / "out.net")
    first.output_net_file(out)
    assert Path(out).read_text().startswith('*Vertices\n0 "New York" 0.25 0.75\n1 "a b"\n')
    second = Graph.from_net_file(out)
    assert [n.label for n in second.nodes] == [n.label for n in first.nodes]
    assert str(connections(second)) == str(connections(first))
    assert positions(second, tmp_path) == positions(first, tmp_path)


def test_net_writer_refuses_foreign_targets_it_cannot_name(tmp_path):
    graph = Graph()
    free = mivora.Node("free")  # kept alive, so the connection is written
    graph.add_node("a").add_connection(free, 1.0, True)
    out = tmp_path / "out.net"
    with pytest.raises(ValueError, match="node 'free' of another graph"):
        graph.output_net_file(str(out))
    assert not out.exists()


def test_writers_skip_removed_targets(tmp_path):
    graph = Graph()
    graph.add_node("a").add_connection(Graph().add_node("gone"), 1.0, False)
    graph.output_net_file(str(tmp_path / "out.net"))
    graph.output_json_file(str(tmp_path / "out.json"))
    assert (tmp_path / "out.net").read_text() == '*Vertices\n0 "a"\n'
    assert json.loads((tmp_path / "out.json").read_text())["edges"] == []


@pytest.mark.parametrize("method", ["output_net_file", "output_json_file"])
@pytest.mark.parametrize("target, reason", [
    ("missing/dir/out", r"No such file or directory \(os error 2\)"),
    ("/dev/full", r"No space left on device \(os error 28\)"),
])
def test_writers_report_write_failures(tmp_path, method, target, reason, panics):
    graph = Graph()
    for i in range(2000):  # more than one write buffer
        graph.add_node(f"node {i}")
    path = target if target.startswith("/") else str(tmp_path / target)
    with panics(match=f"^Error while creating the file: {reason}$"):
        getattr(graph, method)(path)


# ---- JSON ------------------------------------------------------------------------


def test_json_writer_example(tmp_path):
    graph = graph_from_json(tmp_path, {"nodes": [{"label": "a", "x": 20, "y": 30}, {"label": "b", "x": None}],
                                       "edges": [{"source": "a", "target": "b", "weight": 1}]})
    out = tmp_path / "out.json"
    graph.output_json_file(str(out))
    assert out.read_bytes() == (DATA / "example.json").read_bytes()


def test_json_empty_graph(tmp_path):
    out = tmp_path / "out.json"
    Graph().output_json_file(str(out))
    assert out.read_text() == '{\n  "nodes": [],\n  "edges": [],\n  "arcs": []\n}'
    assert Graph.from_json_file(str(out)).get_node_count() == 0


@pytest.mark.parametrize("x, weight, x_text, weight_text", [
    (1e16, 2, "1e+16", "2.0"),
    (1e15, 1e13, "1000000000000000.0", "1e+13"),
    (1.5e-7, 1e-6, "1.5e-7", "0.000001"),
    (0.00001, 1e-7, "0.00001", "1e-7"),
    (-0.0, 0.1, "-0.0", "0.1"),
    (123.456, 3.4e38, "123.456", "3.4e+38"),
    (5e-324, 1e39, "5e-324", "null"),
])
def test_json_number_forms(tmp_path, x, weight, x_text, weight_text):
    graph = graph_from_json(tmp_path, {"nodes": [{"label": "a", "x": x, "y": 1}], "arcs": [["a", "a", weight]]})
    out = tmp_path / "out.json"
    graph.output_json_file(str(out))
    text = out.read_text()
    assert f'"x": {x_text},' in text and f'"weight": {weight_text}\n' in text
    if weight_text != "null":
        again = Graph.from_json_file(str(out))
        assert connections(again) == connections(graph)
        assert positions(again, tmp_path)["a"][0] == x


def test_json_round_trip_of_odd_labels(tmp_path):
    labels = ['quote " and \\ back', "line\nfeed\ttab\r", "ctl \x01\x1f\x7f", "ünïcødé ✓ 𝄞", "", " a "]
    graph = Graph()
    for label in labels:
        graph.add_node(label)
    graph.create_connection(labels[0], labels[3], 0.1, True)
    out = tmp_path / "out.json"
    graph.output_json_file(str(out))
    text = out.read_text(encoding="utf-8")
    assert "\\u0001\\u001f" in text and "ünïcødé" in text
    again = Graph.from_json_file(str(out))
    assert [n.label for n in again.nodes] == labels
    assert connections(again) == connections(graph)


def test_json_reader_shapes(tmp_path):
    document = {
        "extra": {"ignored": [1, {"deep": None}]},
        "nodes": [{"label": "a", "x": 1, "y": 2, "colour": "red"}, {"label": "b", "x": 5},
                  ["c", None, None], {"label": "a"}],
        "edges": None,
        "arcs": [["a", "b", 2], {"weight": 0.5, "target": "c", "source": "b"}],
    }
    graph = graph_from_json(tmp_path, document)
    assert [n.label for n in graph.nodes] == ["a", "b", "c"]
    assert connections(graph) == [("a", "b", 2.0, True), ("b", "c", 0.5, True)]
    assert positions(graph, tmp_path) == {"a": (1.0, 2.0), "b": (None, None), "c": (None, None)}
    assert connections(graph_from_json(tmp_path, [[["a", 0, 0]], [["a", "a", 1]], None])) == [("a", "a", 1.0, False)]


@pytest.mark.parametrize("path, message", list(expected_failures("bad_json")))
def test_json_refuses_bad_files(path, message, panics):
    with panics() as failure:
        Graph.from_json_file(str(path))
    assert str(failure.value) == "Failed to read .json file: " + message


@pytest.mark.parametrize("edge, message", [(["q", "a", 1], "Node 'from' not found"), (["a", "q", 1], "Node 'to' not found")])
def test_json_unknown_labels_fail_without_prefix(tmp_path, edge, message, panics):
    with panics(match=f"^{message}$"):
        graph_from_json(tmp_path, {"nodes": [["a", None, None]], "edges": [edge]})


def test_json_file_system_errors(tmp_path, panics):
    with panics(match=r"^Failed to read \.json file: No such file or directory \(os error 2\)$"):
        Graph.from_json_file(str(tmp_path / "missing.json"))
    with panics(match=r"^Failed to read \.json file: Is a directory \(os error 21\)$"):
        Graph.from_json_file(str(tmp_path))


def test_json_garbage_and_truncation_never_crash(tmp_path, panic_type):
    good = (DATA / "example.json").read_bytes()
    rng = random.Random(7)
    samples = [good[:cut] for cut in range(len(good))]
    samples += [bytes(rng.choice(b'{}[]",:0123456789.eE-truefalsnl \n\\') for _ in range(120)) for _ in range(200)]
    for sample in samples:
        try:
            Graph.from_json_file(write(tmp_path, "g.json", sample))
        except panic_type:
            pass


def test_readers_and_writers_agree_across_formats(tmp_path):
    rng = random.Random(1)
    graph = Graph()
    for i in range(60):
        graph.add_node(f"n {i}")
    for _ in range(200):
        graph.create_connection(f"n {rng.randrange(60)}", f"n {rng.randrange(60)}", rng.uniform(-5, 5), rng.random() < 0.5)
    graph.output_json_file(str(tmp_path / "a.json"))
    via_json = Graph.from_json_file(str(tmp_path / "a.json"))
    via_json.output_net_file(str(tmp_path / "b.net"))
    via_net = Graph.from_net_file(str(tmp_path / "b.net"))
    # Files list edges before arcs, so only the grouping changes.
    assert connections(via_net) == connections(via_json)
    assert sorted(connections(via_json)) == sorted(connections(graph))
    assert [n.label for n in via_net.nodes] == [n.label for n in graph.nodes]
