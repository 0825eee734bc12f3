"""Layouts and the SVG document of Graph.output_svg."""
import gc
import xml.etree.ElementTree as ET

import pytest

import mivora

SVG_NS = "{http://www.w3.org/2000/svg}"
OPEN = '<svg xmlns="http://www.w3.org/2000/svg" viewBox="20 20 1480 680" width="100%" height="100%">'
DEFS = (
    '<defs><marker id="marker" markerWidth="30" markerHeight="30" refX="29" refY="3" orient="auto" '
    'markerUnits="strokeWidth"><path d="M0,0 L0,6 L9,3 z" fill="black"/></marker></defs>'
)


def make_graph(labels, connections=()):
    graph = mivora.Graph()
    for label in labels:
        graph.add_node(label)
    for connection in connections:
        graph.create_connection(*connection)
    return graph


def parse(svg):
    return ET.fromstring(svg)


def lines(svg):
    return parse(svg).findall(f"{SVG_NS}line")


def positions(svg):
    """(cx, cy) of every circle, in node order."""
    return [(float(c.get("cx")), float(c.get("cy"))) for c in parse(svg).findall(f"{SVG_NS}circle")]


# ---- the document, byte for byte ------------------------------------------------


def test_two_node_document_is_exact():
    graph = make_graph(["A", "B"], [("A", "B", 1.0, True)])
    assert graph.output_svg(mivora.Layout.Circular) == (
        OPEN + DEFS
        + '<line x1="1000" y1="400" x2="600" y2="400" stroke="black" stroke-width="1" class="0line1"/>'
        + '<line x1="1000" y1="400" x2="600" y2="400" stroke="none" stroke-width="1" '
        'marker-end="url(#marker)" class="0line1"/>'
        + '<circle cx="1000" cy="400" stroke="blue" fill="blue" r="20" class="node0"/>'
        '<text text-anchor="middle" x="1000" y="435" class="label0">A</text>'
        + '<circle cx="600" cy="400" stroke="blue" fill="blue" r="20" class="node1"/>'
        '<text text-anchor="middle" x="600" y="435" class="label1">B</text>'
        + "</svg>"
    )


def test_shortest_coordinates_and_label_offset():
    svg = make_graph(["A", "B", "C"], [("B", "C", 2.0)]).output_svg(mivora.Layout.Circular)
    assert (
        '<line x1="700" y1="573.2050807568878" x2="699.9999999999999" y2="226.79491924311233" '
        'stroke="black" stroke-width="5" class="1line2"/>'
    ) in svg
    assert (
        '<circle cx="699.9999999999999" cy="226.79491924311233" stroke="blue" fill="blue" r="20" class="node2"/>'
        '<text text-anchor="middle" x="699.9999999999999" y="261.7949192431123" class="label2">C</text></svg>'
    ) in svg


def test_empty_graph():
    assert mivora.Graph().output_svg() == OPEN + DEFS + "</svg>"


def test_style_fields_reach_their_attributes():
    style = mivora.GraphStyle(
        node_color="red", node_border="green", node_radius=-5, marker_svg="M0,0 z", marker_fill="grey",
        marker_width=7, marker_height=-8, line_color="pink", dynamic_line_size=False,
    )
    svg = make_graph(["A", "B"], [("A", "B", 9.0, True)]).output_svg(mivora.Layout.Circular, style=style)
    assert '<marker id="marker" markerWidth="7" markerHeight="-8" refX="29"' in svg
    assert '<path d="M0,0 z" fill="grey"/>' in svg
    assert 'stroke="pink" stroke-width="1" class="0line1"' in svg
    assert '<circle cx="1000" cy="400" stroke="green" fill="red" r="-5" class="node0"/>' in svg


# ---- elements and their order ---------------------------------------------------


def test_nodes_without_connections():
    svg = make_graph(["A", "B", "C"]).output_svg()
    root = parse(svg)
    assert root.findall(f"{SVG_NS}line") == []
    assert [child.tag.removeprefix(SVG_NS) for child in root] == ["defs"] + ["circle", "text"] * 3
    assert [t.text for t in root.findall(f"{SVG_NS}text")] == ["A", "B", "C"]


def test_arrow_lines_follow_all_visible_lines():
    graph = make_graph(["A", "B", "C"], [("A", "B", 1.0, True), ("B", "C", 1.0, False), ("C", "A", 1.0, True)])
    found = [(line.get("class"), line.get("marker-end")) for line in lines(graph.output_svg())]
    assert found == [
        ("0line1", None), ("1line2", None), ("2line0", None),
        ("0line1", "url(#marker)"), ("2line0", "url(#marker)"),
    ]


def test_self_loop_has_zero_length():
    (line,) = lines(make_graph(["A", "B"], [("B", "B", 1.0)]).output_svg(mivora.Layout.Spring))
    assert (line.get("x1"), line.get("y1")) == (line.get("x2"), line.get("y2"))
    assert line.get("class") == "1line1"


def test_empty_label_is_open_and_close_text():
    svg = make_graph([""]).output_svg(mivora.Layout.Circular)
    assert svg.endswith('<text text-anchor="middle" x="1000" y="435" class="label0"></text></svg>')


# ---- line widths ------------------------------------------------------------------

NAN = float("nan")


@pytest.mark.parametrize(
    "weights, dynamic, widths",
    [
        ([1, 2, 3], True, ["1", "3", "5"]),
        ([1, 1.3], True, ["1", "5"]),
        ([2.5], True, ["5"]),
        ([1, 1], True, ["1", "1"]),
        ([0.5, 1], True, ["0.5", "1"]),
        ([0, 0], True, ["5", "5"]),
        ([0.5, 3], True, ["0", "5"]),
        ([-1, 3], True, ["-3", "5"]),
        ([1.3, 2], True, ["2.1999998092651367", "5"]),
        ([1, 2, 3], False, ["1", "1", "1"]),
        # Largest weight in IEEE total order: NaN above +inf, -NaN below -inf.
        ([NAN, 1], True, ["NaN", "NaN"]),
        ([-NAN, 1], True, ["NaN", "1"]),
        ([float("inf"), 1], True, ["NaN", "1"]),
    ],
)
def test_line_widths(weights, dynamic, widths):
    graph = make_graph(["A", "B"], [("A", "B", w) for w in weights])
    svg = graph.output_svg(mivora.Layout.Circular, style=mivora.GraphStyle(dynamic_line_size=dynamic))
    assert [line.get("stroke-width") for line in lines(svg)] == widths


def test_width_scale_follows_style_range():
    graph = make_graph(["A", "B"], [("A", "B", 1.0), ("A", "B", 2.0), ("A", "B", 3.0)])
    style = mivora.GraphStyle(line_min_width=10, line_max_width=2)
    assert [line.get("stroke-width") for line in lines(graph.output_svg(style=style))] == ["10", "6", "2"]


# ---- escaping ----------------------------------------------------------------------


def test_special_characters_are_escaped():
    label = 'a&b<c>"d\''
    style = mivora.GraphStyle(line_color='red" onload="alert(1)', node_color="<&>", marker_svg='M0,0 "z"')
    svg = make_graph([label, "B"], [(label, "B", 1.0)]).output_svg(mivora.Layout.Circular, style=style)
    assert 'class="label0">a&amp;b&lt;c&gt;"d\'</text>' in svg
    assert 'stroke="red&quot; onload=&quot;alert(1)"' in svg
    root = parse(svg)
    assert root.find(f"{SVG_NS}text").text == label
    assert root.find(f"{SVG_NS}line").get("stroke") == style.line_color
    assert root.find(f"{SVG_NS}line").get("onload") is None
    assert root.find(f"{SVG_NS}circle").get("fill") == "<&>"
    assert root.find(f".//{SVG_NS}path").get("d") == 'M0,0 "z"'


def test_non_ascii_label_round_trips():
    svg = make_graph(["Zürich ✓"]).output_svg()
    assert parse(svg).find(f"{SVG_NS}text").text == "Zürich ✓"


# ---- layouts --------------------------------------------------------------------------


def test_circular_positions():
    svg = make_graph(["A", "B", "C", "D"]).output_svg(mivora.Layout.Circular)
    expected = [(1000, 400), (800, 600), (600, 400), (800, 200)]
    assert positions(svg) == [pytest.approx(p, abs=1e-9) for p in expected]


@pytest.mark.parametrize("layout", [mivora.Layout.Random, mivora.Layout.Spring])
def test_layout_bounds(layout):
    labels = [str(i) for i in range(60)]
    graph = make_graph(labels, [(str(i), str((i * 7) % 60), 1.0) for i in range(60)])
    for _ in range(5):
        for x, y in positions(graph.output_svg(layout)):
            if layout == mivora.Layout.Random:
                assert 20 <= x < 1500 and 20 <= y < 700
            else:
                assert 20 <= x <= 1500 and 20 <= y <= 700


def test_spring_pulls_connected_nodes_together():
    # Twenty pairs: each pair is joined, the pairs repel each other.
    labels = [str(i) for i in range(40)]
    graph = make_graph(labels, [(str(i), str(i + 1), 1.0) for i in range(0, 40, 2)])
    spots = positions(graph.output_svg(mivora.Layout.Spring))
    joined = [abs(complex(*spots[i]) - complex(*spots[i + 1])) for i in range(0, 40, 2)]
    apart = [abs(complex(*spots[i]) - complex(*spots[i + 2])) for i in range(0, 38, 2)]
    assert sorted(joined)[10] < sorted(apart)[10]


@pytest.mark.parametrize("layout", [mivora.Layout.Random, mivora.Layout.Spring])
def test_python_graphs_are_laid_out_on_every_call(layout):
    # Six nodes: three alone settle the spring layout into one of a few
    # shapes, so two calls could agree by chance.
    graph = make_graph(list("ABCDEF"), [("A", "B", 1.0), ("C", "D", 1.0)])
    assert positions(graph.output_svg(layout)) != positions(graph.output_svg(layout, False))
    assert positions(graph.output_svg(mivora.Layout.Circular, override_positions=True))[0] == (1000, 400)


def test_single_node_under_spring_stays_on_canvas():
    ((x, y),) = positions(make_graph(["only"]).output_svg(mivora.Layout.Spring))
    assert 20 <= x < 1500 and 20 <= y < 700


# ---- failures --------------------------------------------------------------------------


def test_connection_to_node_outside_graph(panics):
    graph = make_graph(["A", "B"])
    outsider = mivora.Node("Z")
    graph.node_by_label("A").add_connection(outsider, 1.0, True)
    with panics("no entry found for key"):
        graph.output_svg()


def test_outside_target_with_graph_label_is_drawn_to_that_node():
    graph = make_graph(["A", "B"])
    outsider = mivora.Node("B")
    graph.node_by_label("A").add_connection(outsider, 2.0, False)
    assert [line.get("class") for line in lines(graph.output_svg())] == ["0line1"]


def test_removed_target(panics):
    graph = make_graph(["A", "B"])
    graph.node_by_label("A").add_connection(mivora.Node("gone"), 1.0, False)
    gc.collect()
    assert graph.get_connections()[0]["to"] == "[Removed]"
    with panics("no entry found for key"):
        graph.output_svg()
    graph.add_node("[Removed]")  # a node of that label is not where a lost target leads
    with panics("no entry found for key"):
        graph.output_svg()


@pytest.mark.parametrize(
    "arguments, name",
    [
        ({"layout": 1}, "layout"),
        ({"override_positions": None}, "override_positions"),
        ({"override_positions": 1}, "override_positions"),
        ({"style": "blue"}, "style"),
    ],
)
def test_argument_errors(arguments, name):
    with pytest.raises(TypeError, match=f"^argument '{name}': "):
        make_graph(["A"]).output_svg(**arguments)


def test_too_many_arguments():
    with pytest.raises(TypeError, match=r"^Graph.output_svg\(\) takes from 0 to 3 positional arguments but 4 were given"):
        make_graph(["A"]).output_svg(mivora.Layout.Random, False, None, 1)


# ---- stored positions (graphs read from files) ---------------------------------------


def write_json(path, nodes, arcs=()):
    import json

    path.write_text(json.dumps({
        "nodes": [{"label": label, "x": x, "y": y} for label, x, y in nodes],
        "arcs": [{"source": s, "target": t, "weight": w} for s, t, w in arcs],
    }))
    return str(path)


def test_worked_example_from_stored_positions(tmp_path):
    graph = mivora.Graph.from_json_file(
        write_json(tmp_path / "g.json", [("A", 100, 200), ("B", 300, 400.5)], [("A", "B", 1)]))
    expected = (
        OPEN + DEFS
        + '<line x1="100" y1="200" x2="300" y2="400.5" stroke="black" stroke-width="1" class="0line1"/>'
        + '<line x1="100" y1="200" x2="300" y2="400.5" stroke="none" stroke-width="1" '
        'marker-end="url(#marker)" class="0line1"/>'
        + '<circle cx="100" cy="200" stroke="blue" fill="blue" r="20" class="node0"/>'
        '<text text-anchor="middle" x="100" y="235" class="label0">A</text>'
        + '<circle cx="300" cy="400.5" stroke="blue" fill="blue" r="20" class="node1"/>'
        '<text text-anchor="middle" x="300" y="435.5" class="label1">B</text>'
        + "</svg>"
    )
    assert graph.output_svg() == expected
    assert graph.output_svg(mivora.Layout.Spring) == expected  # stored positions are kept


def test_override_positions_lays_out_and_the_positions_stay(tmp_path):
    graph = mivora.Graph.from_json_file(write_json(tmp_path / "g.json", [("A", 100, 200), ("B", 300, 400)]))
    circular = graph.output_svg(mivora.Layout.Circular, True)
    assert positions(circular) == [(1000, 400), (600, 400)]
    assert positions(graph.output_svg()) == [(1000, 400), (600, 400)]


def test_partly_positioned_graph_needs_override(tmp_path, panics):
    path = tmp_path / "g.net"
    path.write_text('*Vertices 2\n1 "a" 0 0\n2 "b"\n*Arcs\n1 2 1\n')
    graph = mivora.Graph.from_net_file(str(path))
    with panics("called `Option::unwrap()` on a `None` value"):
        graph.output_svg()
    assert len(positions(graph.output_svg(mivora.Layout.Random, True))) == 2

