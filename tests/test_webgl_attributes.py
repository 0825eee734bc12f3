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
