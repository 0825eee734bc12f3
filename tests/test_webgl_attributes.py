"""The WebGL page's arrowheads and attribute drawing, driven in headless Chromium."""
import math

import pytest

import mivora

from browser_support import browser, graph_from  # noqa: F401 (browser is a fixture)
from test_webgl_viewer import open_viewer  # noqa: F401 (a fixture)


def arrow_probe(viewer, source, target, back=6.0, aside=2.0):
    """The darkest pixel a little behind the rim of `target` on the link from
    `source`, off the line to one side: covered by an arrowhead, not by a line."""
    ax, ay = viewer.screen_of(source)
    bx, by = viewer.screen_of(target)
    r = viewer.js("i => mivoraViewer.screenRadius(i)", target)
    span = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / span, (by - ay) / span
    x, y = bx - ux * (r + back), by - uy * (r + back)
    return viewer.pixel(x - uy * aside, y + ux * aside, spread=0)


@pytest.mark.parametrize("directed", [True, False])
def test_arcs_have_arrowheads_at_their_target(open_viewer, tmp_path, directed):
    nodes = [("a", 200.0, 200.0), ("b", 800.0, 200.0), ("c", 200.0, 500.0), ("d", 800.0, 500.0)]
    path = tmp_path / "page.html"
    graph_from(tmp_path, nodes, [("a", "b", 1.0, directed), ("c", "d", 1.0, False)]).output_webgl(str(path))
    viewer = open_viewer(path)
    assert viewer.js("mivoraViewer.arrowCount") == (1 if directed else 0)
    assert (arrow_probe(viewer, 0, 1) < 700) == directed
    assert arrow_probe(viewer, 1, 0) == 765  # nothing at the source end
    assert arrow_probe(viewer, 2, 3) == 765  # an edge has no head
    # Dragging the source turns the arc: its head follows, during and after the drag.
    x, y = viewer.screen_of(0)
    viewer.drag((x, y), (x, y + 150))
    viewer.settle()
    assert (arrow_probe(viewer, 0, 1) < 700) == directed
    assert viewer.errors == []


ODD = (
    [("New York", 100.0, 100.0), ('say "hi"', 1400.0, 650.0), ("a&b<c></script>", 750.0, 350.0),
     ("ünï €", 20.0, 700.0), ("", 600.0, 123.456789)],
    [("New York", 'say "hi"', 3.0, False), ('say "hi"', "a&b<c></script>", 0.1, True),
     ("a&b<c></script>", "a&b<c></script>", 7.0, False), ("ünï €", "New York", 1e30, True)],
)


def test_graphml_download_reads_back_with_labels_positions_weights_and_directions(open_viewer, tmp_path):
    path = tmp_path / "page.html"
    graph = graph_from(tmp_path, *ODD)
    graph.output_webgl(str(path))
    viewer = open_viewer(path)
    target = tmp_path / "data.graphml"
    viewer.download("downloadGraphml").save_as(str(target))
    back = mivora.Graph.read(str(target))
    assert [node.label for node in back.nodes] == [label for label, _, _ in ODD[0]]
    assert back.positions() == graph.positions()
    assert sorted((c["from"], c["to"], c["weight"], c["directed"]) for c in back.get_connections()) == sorted(
        (c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections())
    assert viewer.errors == []


# ---- attribute columns on the page ---------------------------------------------------------

PALETTE = [[31, 119, 180], [255, 127, 14], [44, 160, 44]]
RAMP_LOW, RAMP_HIGH = [68, 1, 84], [253, 231, 37]
MISSING = [205, 205, 205]
NODES = [("a", 100.0, 100.0), ("b", 400.0, 300.0), ("c", 700.0, 100.0), ("d", 1000.0, 300.0), ("e", 1300.0, 600.0)]
LINKS = [("a", "b", 1.0, True), ("b", "c", 2.0, False), ("c", "d", 0.5, True)]


def attributed_graph(tmp_path):
    graph = graph_from(tmp_path, NODES, LINKS)
    graph.set_node_attribute("party", ["red", "blue", "red", None, "green"])
    graph.set_node_attribute("score", [0.0, 2.5, 10.0, None, 5.0])
    graph.set_node_attribute("year", [1990, 1991, 1990, 1992, None])
    graph.set_node_attribute("note", ["ünï €", "", 'say "hi"</script>', None, "x"])
    graph.set_edge_attribute("since", [2001, None, 1999])
    return graph


def open_page(open_viewer, tmp_path, graph, **options):
    path = tmp_path / "page.html"
    graph.output_webgl(str(path), **options)
    return open_viewer(path)


@pytest.mark.parametrize("column, expected", [
    # most frequent first; a missing value is light grey
    ("party", [PALETTE[0], PALETTE[1], PALETTE[0], MISSING, PALETTE[2]]),
    # integers with few values are categories too
    ("year", [PALETTE[0], PALETTE[1], PALETTE[0], PALETTE[2], MISSING]),
    # numbers on the ramp, lowest to highest
    ("score", [RAMP_LOW, None, RAMP_HIGH, MISSING, None]),
])
def test_nodes_are_coloured_by_a_column_with_a_legend(open_viewer, tmp_path, column, expected):
    viewer = open_page(open_viewer, tmp_path, attributed_graph(tmp_path), color_by=column)
    for i, rgb in enumerate(expected):
        if rgb is not None:
            assert viewer.js("i => mivoraViewer.colourOf(i)", i) == rgb, i
    legend = viewer.js("mivoraViewer.legendText()")
    assert legend.startswith(column)
    if column == "party":
        assert legend.split("\n")[1:] == ["red (2)", "blue (1)", "green (1)"]
    if column == "score":
        assert "0" in legend and "10" in legend
    x, y = viewer.screen_of(0)
    assert viewer.pixel(x, y) < 600  # drawn in its colour
    assert viewer.errors == []


def test_nodes_are_sized_by_a_numeric_column(open_viewer, tmp_path):
    viewer = open_page(open_viewer, tmp_path, attributed_graph(tmp_path), size_by="score")
    radii = [viewer.js("i => mivoraViewer.radiusOf(i)", i) for i in range(5)]
    assert radii[0] < radii[1] < radii[4] < radii[2]
    assert radii[3] < radii[0]  # no value: drawn small


def test_tooltip_shows_the_node_attributes(open_viewer, tmp_path):
    viewer = open_page(open_viewer, tmp_path, attributed_graph(tmp_path))
    text = viewer.js("mivoraViewer.describe(2)")
    assert "party: red" in text and "score: 10" in text and "year: 1990" in text
    assert 'note: say "hi"</script>' in text
    assert "party" not in viewer.js("mivoraViewer.describe(3)")
    x, y = viewer.screen_of(2)
    viewer.page.mouse.move(x, y)
    assert "party: red" in viewer.page.inner_text("#tooltip")


@pytest.mark.parametrize("name, text, expected", [
    ("g.gexf", """<?xml version="1.0" encoding="UTF-8"?>
<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3"><graph>
<nodes><node id="0" label="a"><viz:color r="10" g="200" b="30"/><viz:size value="40"/></node>
<node id="1" label="b"><viz:size value="1"/></node></nodes>
<edges><edge source="0" target="1"/></edges></graph></gexf>""", [[10, 200, 30], None]),
    ("g.net", '*Vertices 2\n1 "a" 0.1 0.1 ic Red\n2 "b" 0.9 0.9 ic RoyalBlue\n*Edges\n1 2\n',
     [[255, 0, 0], [65, 105, 225]]),
])
def test_the_files_own_colours_and_sizes_on_request(open_viewer, tmp_path, name, text, expected):
    source = tmp_path / name
    source.write_text(text)
    graph = mivora.Graph.read(str(source))
    plain = open_page(open_viewer, tmp_path, graph)
    styled = open_page(open_viewer, tmp_path, graph, file_style=True)
    for i, rgb in enumerate(expected):
        if rgb is not None:
            assert styled.js("i => mivoraViewer.colourOf(i)", i) == rgb
            assert plain.js("i => mivoraViewer.colourOf(i)", i) != rgb
    if name.endswith(".gexf"):
        assert styled.js("mivoraViewer.radiusOf(0)") > styled.js("mivoraViewer.radiusOf(1)")


def test_graphml_download_carries_the_attributes(open_viewer, tmp_path):
    from attribute_access import link_columns, link_types, node_columns, node_types
    graph = attributed_graph(tmp_path)
    viewer = open_page(open_viewer, tmp_path, graph, color_by="party")
    target = tmp_path / "data.graphml"
    viewer.download("downloadGraphml").save_as(str(target))
    back = mivora.Graph.read(str(target))
    assert node_columns(back) == node_columns(graph) and node_types(back) == node_types(graph)
    assert link_columns(back) == link_columns(graph) and link_types(back) == link_types(graph)
    assert [node.label for node in back.nodes] == [label for label, _, _ in NODES]


@pytest.mark.parametrize("options, error, message", [
    ({"color_by": "nope"}, KeyError, "no node attribute 'nope'"),
    ({"size_by": "nope"}, KeyError, "no node attribute 'nope'"),
    ({"size_by": "party"}, TypeError, "holds str values, not numbers"),
    ({"file_style": "yes"}, TypeError, "file_style"),
])
def test_drawing_options_are_checked_before_anything_is_written(tmp_path, options, error, message):
    path = tmp_path / "page.html"
    path.write_text("old")
    with pytest.raises(error, match=message):
        attributed_graph(tmp_path).output_webgl(str(path), **options)
    assert path.read_text() == "old"
