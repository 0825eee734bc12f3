"""The WebGL viewer page (Graph.output_webgl) and notebook display, driven in headless Chromium."""
import html
import inspect
import io
import json
import math
import re

import pytest
from PIL import Image

import mivora
from browser_support import TIMEOUT_MS, browser, graph_from  # noqa: F401 (browser is a fixture)

VIEWPORT = {"width": 1000, "height": 600}


# ---- graphs --------------------------------------------------------------------

TRIANGLE = (
    [("A", 400.0, 200.0), ("B", 1000.0, 300.5), ("C", 700.0, 550.0)],
    [("A", "B", 2.5, True), ("B", "C", 1.0, False), ("C", "A", 0.1, True)],
)
ODD_LABELS = (
    [("New York", 100.0, 100.0), ('say "hi"', 1400.0, 650.0), ("a&b<c></script>", 750.0, 350.0),
     ("ünï €", 20.0, 700.0), ("", 600.0, 123.456789), ("lonely", 1200.0, 100.0)],
    [("New York", 'say "hi"', 3.0, False), ('say "hi"', "a&b<c></script>", 0.5, True),
     ("a&b<c></script>", "a&b<c></script>", 7.0, False), ("ünï €", "New York", 1e30, True),
     ("", "New York", 1e-7, False)],
)
# Two triangles and a pair: three components, the largest two of equal size.
COMPONENTS = (
    [("a", 100.0, 100.0), ("b", 200.0, 100.0), ("c", 150.0, 200.0), ("d", 800.0, 100.0), ("e", 900.0, 100.0),
     ("f", 850.0, 200.0), ("g", 500.0, 600.0), ("h", 600.0, 600.0), ("i", 1400.0, 650.0)],
    [("a", "b", 1.0, False), ("b", "c", 1.0, False), ("c", "a", 1.0, False), ("d", "e", 1.0, True),
     ("e", "f", 1.0, True), ("f", "d", 1.0, True), ("g", "h", 1.0, False)],
)


def write_page(tmp_path, drawing, name="page.html"):
    path = tmp_path / name
    graph_from(tmp_path, *drawing).output_webgl(str(path))
    return path


# ---- browser -------------------------------------------------------------------

class Viewer:
    """One page in its own context; every request and console error recorded."""

    def __init__(self, browser, path):
        self.context = browser.new_context(viewport=VIEWPORT, accept_downloads=True)
        self.context.set_default_timeout(TIMEOUT_MS)
        self.page = self.context.new_page()
        self.errors, self.requests = [], []
        self.page.on("console", lambda message: message.type == "error" and self.errors.append(message.text))
        self.page.on("pageerror", lambda error: self.errors.append(str(error)))
        self.page.on("request", lambda request: self.requests.append(request.url))
        self.page.goto(path.as_uri(), wait_until="load")
        self.settle()

    def js(self, expression, arg=None):
        return self.page.evaluate(expression, arg)

    def settle(self):
        self.page.wait_for_function("window.mivoraViewer && mivoraViewer.ready && mivoraViewer.settled")

    def screen_of(self, i):
        return self.js("i => mivoraViewer.screenOf(i)", i)

    def world_at(self, x, y):
        camera = self.js("mivoraViewer.camera()")
        return (x - camera["x"]) / camera["scale"], (y - camera["y"]) / camera["scale"]

    def pixel(self, x, y, spread=1):
        """The darkest channel sum around window point (x, y)."""
        image = Image.open(io.BytesIO(self.page.screenshot())).convert("RGB")
        return min(sum(image.getpixel((int(x) + dx, int(y) + dy)))
                   for dx in range(-spread, spread + 1) for dy in range(-spread, spread + 1))

    def drag(self, start, end, steps=4):
        self.page.mouse.move(*start)
        self.page.mouse.down()
        self.page.mouse.move(*end, steps=steps)
        self.page.mouse.up()

    def download(self, button):
        self.page.click(".menu-btn")
        page = self.page._target

        async def click_and_wait():
            async with page.expect_download() as info:
                await page.click("#" + button)
            return await info.value

        return self.page._wrap(self.page._loop.run_until_complete(click_and_wait()))


@pytest.fixture
def open_viewer(browser):
    viewers = []

    def open_(path):
        viewers.append(Viewer(browser, path))
        return viewers[-1]

    yield open_
    for viewer in viewers:
        viewer.context.close()


# ---- the page ------------------------------------------------------------------

@pytest.mark.parametrize("drawing", [([], []), TRIANGLE, ODD_LABELS], ids=["empty", "triangle", "odd-labels"])
def test_page_loads_with_webgl_and_requests_nothing(open_viewer, tmp_path, drawing):
    path = write_page(tmp_path, drawing)
    viewer = open_viewer(path)
    assert viewer.js("[mivoraViewer.webgl, mivoraViewer.nodeCount, mivoraViewer.linkCount]") == [
        True, len(drawing[0]), len(drawing[1])]
    assert viewer.requests == [path.as_uri()]
    assert viewer.errors == []


@pytest.mark.parametrize("drawing", [TRIANGLE, ODD_LABELS], ids=["triangle", "odd-labels"])
def test_fitted_view_shows_every_node_with_its_label(open_viewer, tmp_path, drawing):
    viewer = open_viewer(write_page(tmp_path, drawing))
    for i in range(len(drawing[0])):
        x, y = viewer.screen_of(i)
        assert 0 < x < VIEWPORT["width"] and 0 < y < VIEWPORT["height"]
    assert viewer.js("mivoraViewer.labelsShown") == len(drawing[0])
    x, y = viewer.screen_of(0)
    assert viewer.pixel(x, y) < 600  # a coloured disc, not the white background


@pytest.mark.parametrize("node, dx, dy", [(0, 90, 70), (2, -120, -60)])
def test_drag_moves_the_node_and_its_links(open_viewer, tmp_path, node, dx, dy):
    viewer = open_viewer(write_page(tmp_path, TRIANGLE))
    before = viewer.js("i => mivoraViewer.positionOf(i)", node)
    neighbour = (node + 1) % 3
    x, y = viewer.screen_of(node)
    viewer.drag((x, y), (x + dx, y + dy))
    scale = viewer.js("mivoraViewer.camera().scale")
    after = viewer.js("i => mivoraViewer.positionOf(i)", node)
    assert after == pytest.approx([before[0] + dx / scale, before[1] + dy / scale], abs=1e-6)
    assert viewer.js("mivoraViewer.selected") == -1  # a drag is not a click
    viewer.settle()
    assert viewer.pixel(x + dx, y + dy) < 600
    assert viewer.pixel(x, y, spread=0) == 765  # nothing left behind
    nx, ny = viewer.screen_of(neighbour)
    assert viewer.pixel((x + dx + nx) / 2, (y + dy + ny) / 2) < 700  # the link follows


@pytest.mark.parametrize("steps, factor", [(-100, 1 / 0.9), (100, 0.9), (-300, (1 / 0.9) ** 3)])
def test_wheel_zooms_around_the_pointer(open_viewer, tmp_path, steps, factor):
    viewer = open_viewer(write_page(tmp_path, TRIANGLE))
    point = (310, 220)
    scale = viewer.js("mivoraViewer.camera().scale")
    world = viewer.world_at(*point)
    viewer.page.mouse.move(*point)
    viewer.page.mouse.wheel(0, steps)
    viewer.page.wait_for_function("s => mivoraViewer.camera().scale !== s", arg=scale)
    assert viewer.js("mivoraViewer.camera().scale") == pytest.approx(scale * factor)
    assert viewer.world_at(*point) == pytest.approx(world)
    viewer.settle()
    assert viewer.errors == []


def test_pan_moves_the_view_by_the_pointer_motion(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path, TRIANGLE))
    before = viewer.js("mivoraViewer.camera()")
    assert viewer.js("mivoraViewer.pick(20, 580)") == -1
    viewer.drag((20, 580), (150, 500))
    after = viewer.js("mivoraViewer.camera()")
    assert (after["x"] - before["x"], after["y"] - before["y"], after["scale"]) == pytest.approx(
        (130, -80, before["scale"]))
    viewer.settle()
    x, y = viewer.screen_of(2)
    assert viewer.pixel(x, y) < 600  # drawn where the camera says


@pytest.mark.parametrize("drawing, node, text", [
    (TRIANGLE, 0, "A\ndegree 2 (in 1, out 1)\ncomponent 1 of 1 (3 nodes)"),
    (TRIANGLE, 1, "B\ndegree 2 (in 1, out 0, undirected 1)\ncomponent 1 of 1 (3 nodes)"),
    (COMPONENTS, 6, "g\ndegree 1\ncomponent 3 of 4 (2 nodes)"),
    (COMPONENTS, 8, "i\ndegree 0\ncomponent 4 of 4 (1 nodes)"),
])
def test_hover_shows_label_degrees_and_component(open_viewer, tmp_path, drawing, node, text):
    viewer = open_viewer(write_page(tmp_path, drawing))
    x, y = viewer.screen_of(node)
    viewer.page.mouse.move(x + 1, y)
    viewer.page.wait_for_selector("#tooltip", state="visible")
    assert viewer.page.inner_text("#tooltip") == text
    viewer.page.mouse.move(5, VIEWPORT["height"] - 5)
    viewer.page.wait_for_selector("#tooltip", state="hidden")


def test_click_highlights_neighbours_and_clears(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path, COMPONENTS))
    marks = "() => Array.from({length: mivoraViewer.nodeCount}, (_, i) => mivoraViewer.mark(i))"
    viewer.page.mouse.click(*viewer.screen_of(3))
    assert viewer.js("mivoraViewer.selected") == 3
    assert viewer.js(marks) == [0, 0, 0, 2, 1, 1, 0, 0, 0]
    viewer.settle()
    dimmed = viewer.pixel(*viewer.screen_of(0))
    assert dimmed > viewer.pixel(*viewer.screen_of(4))  # others fade, neighbours keep their colour
    viewer.page.mouse.click(*viewer.screen_of(6))
    assert viewer.js(marks) == [0, 0, 0, 0, 0, 0, 2, 1, 0]
    viewer.page.mouse.click(20, 580)
    assert viewer.js("mivoraViewer.selected") == -1 and set(viewer.js(marks)) == {0}


@pytest.mark.parametrize("text, found", [("f", 5), ("H", 7), ("zzz", -1), ("", -1)])
def test_search_flies_to_the_node_and_selects_it(open_viewer, tmp_path, text, found):
    viewer = open_viewer(write_page(tmp_path, COMPONENTS))
    scale = viewer.js("mivoraViewer.camera().scale")
    viewer.page.fill("#search", text)
    viewer.page.press("#search", "Enter")
    viewer.settle()
    assert viewer.js("mivoraViewer.selected") == found
    assert ("miss" in (viewer.page.get_attribute("#search", "class") or "")) == (found < 0 and text != "")
    if found >= 0:
        assert viewer.screen_of(found) == pytest.approx([VIEWPORT["width"] / 2, VIEWPORT["height"] / 2], abs=0.5)
        assert viewer.js("mivoraViewer.camera().scale") > scale


def test_fit_returns_to_the_whole_graph(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path, COMPONENTS))
    fitted = viewer.js("mivoraViewer.camera()")
    viewer.page.mouse.move(100, 100)
    for _ in range(4):
        viewer.page.mouse.wheel(0, -200)
    viewer.drag((30, 590), (300, 400))
    viewer.settle()
    viewer.page.click("#fit")
    viewer.settle()
    assert viewer.js("mivoraViewer.camera()") == pytest.approx(fitted)


def read_back(path, kind):
    graph = mivora.Graph.from_net_file(str(path)) if kind == "net" else mivora.Graph.from_json_file(str(path))
    out = path.with_suffix(".check.json")
    graph.output_json_file(str(out))
    document = json.loads(out.read_text())
    return graph, document


@pytest.mark.parametrize("drawing", [TRIANGLE, ODD_LABELS], ids=["triangle", "odd-labels"])
@pytest.mark.parametrize("button, kind, tolerance", [("downloadJson", "json", 0), ("downloadPajek", "net", 1e-9)])
def test_downloads_read_back_as_the_same_graph(open_viewer, tmp_path, drawing, button, kind, tolerance):
    viewer = open_viewer(write_page(tmp_path, drawing))
    x, y = viewer.screen_of(0)
    viewer.drag((x, y), (x + 40, y + 25))
    moved = viewer.js("mivoraViewer.positionOf(0)")
    target = tmp_path / ("data." + kind)
    viewer.download(button).save_as(str(target))
    graph, document = read_back(target, kind)
    nodes, connections = drawing
    assert [node["label"] for node in document["nodes"]] == [label for label, _, _ in nodes]
    expected_positions = [moved] + [[x, y] for _, x, y in nodes[1:]]
    for node, (x, y) in zip(document["nodes"], expected_positions):
        assert (node["x"], node["y"]) == pytest.approx((x, y), abs=tolerance)
    assert sorted((c["from"], c["to"], c["directed"], c["weight"]) for c in graph.get_connections()) == sorted(
        (a, b, d, pytest.approx(w, rel=1e-6)) for a, b, w, d in connections)
    assert viewer.errors == []


def test_png_download_is_the_view(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path, TRIANGLE))
    target = tmp_path / "view.png"
    viewer.download("downloadPng").save_as(str(target))
    image = Image.open(target).convert("RGB")
    assert image.size == (VIEWPORT["width"], VIEWPORT["height"])
    x, y = viewer.screen_of(1)
    assert sum(image.getpixel((int(x), int(y)))) < 600
    assert image.getpixel((3, VIEWPORT["height"] - 3)) == (255, 255, 255)


# ---- the method ----------------------------------------------------------------

def page_data(path):
    text = path.read_text(encoding="utf-8")
    block = re.search(r'<script type="application/json" id="graph-data">(.*?)</script>', text, re.S).group(1)
    return json.loads(block)


def positions(path):
    import base64
    import struct
    raw = base64.b64decode(page_data(path)["positions"])
    values = struct.unpack("<%dd" % (len(raw) // 8), raw)
    return list(zip(values[::2], values[1::2]))


def test_page_data_holds_labels_links_and_components(tmp_path):
    import base64
    import struct
    data = page_data(write_page(tmp_path, COMPONENTS))
    assert data["labels"] == list("abcdefghi")
    links = struct.unpack("<14I", base64.b64decode(data["links"]))
    assert list(zip(links[::2], links[1::2])) == [(0, 1), (1, 2), (2, 0), (3, 4), (4, 5), (5, 3), (6, 7)]
    assert list(base64.b64decode(data["directed"])) == [0, 0, 0, 1, 1, 1, 0]
    assert struct.unpack("<9I", base64.b64decode(data["components"])) == (0, 0, 0, 1, 1, 1, 2, 2, 3)


def test_stored_positions_are_drawn_and_layouts_replace_them_on_request(tmp_path):
    graph = graph_from(tmp_path, *TRIANGLE)
    graph.output_webgl(str(tmp_path / "kept.html"))
    assert positions(tmp_path / "kept.html") == [(x, y) for _, x, y in TRIANGLE[0]]
    graph.output_webgl(str(tmp_path / "ignored.html"), mivora.Layout.Circular)
    assert positions(tmp_path / "ignored.html") == [(x, y) for _, x, y in TRIANGLE[0]]
    graph.output_webgl(str(tmp_path / "circle.html"), mivora.Layout.Circular, override_positions=True)
    circle = positions(tmp_path / "circle.html")
    assert circle[0] == pytest.approx((1000, 400))
    assert all(math.hypot(x - 800, y - 400) == pytest.approx(200) for x, y in circle)
    graph.output_webgl(str(tmp_path / "again.html"))
    assert positions(tmp_path / "again.html") == circle  # new positions stay in the graph


def test_graph_without_positions_is_laid_out_once(tmp_path, triangle):
    triangle.output_webgl(str(tmp_path / "first.html"))
    first = positions(tmp_path / "first.html")
    assert all(20 <= x <= 1500 and 20 <= y <= 700 for x, y in first)
    triangle.output_webgl(str(tmp_path / "second.html"))
    assert positions(tmp_path / "second.html") == first


def test_arguments_and_write_failures(tmp_path, triangle):
    with pytest.raises(TypeError, match="takes from 1 to 2 positional arguments but 3 were given"):
        triangle.output_webgl(str(tmp_path / "x.html"), None, True)
    with pytest.raises(TypeError, match="argument 'layout'"):
        triangle.output_webgl(str(tmp_path / "x.html"), 1)
    with pytest.raises(TypeError, match="argument 'file_name'"):
        triangle.output_webgl(7)
    with pytest.raises(FileNotFoundError):
        triangle.output_webgl(str(tmp_path / "missing" / "x.html"))
    with pytest.raises(IsADirectoryError):
        triangle.output_webgl(str(tmp_path))
    with pytest.raises(ValueError, match="unexpected NUL byte"):
        triangle.output_webgl(str(tmp_path / "x\0.html"))
    assert str(inspect.signature(mivora.Graph.output_webgl)) == (
        "(self, /, file_name, layout=None, *, override_positions=False, color_by=None, size_by=None, file_style=False)")


# ---- notebooks -----------------------------------------------------------------

def test_small_graph_shows_inline_as_the_viewer(browser, tmp_path):
    graph = graph_from(tmp_path, *ODD_LABELS)
    markup = graph._repr_html_()
    assert markup.startswith("<iframe") and markup.endswith("</iframe>")
    context = browser.new_context(viewport=VIEWPORT)
    try:
        page = context.new_page()
        page.set_content("<!DOCTYPE html><body>" + markup + "</body>")
        frame = page.frame_locator("iframe.mivora-view")
        frame.locator("#menuButton").wait_for()
        inner = page._target.frames[1]
        page._loop.run_until_complete(inner.wait_for_function("window.mivoraViewer && mivoraViewer.ready"))
        labels = page._loop.run_until_complete(inner.evaluate("JSON.parse(document.getElementById('graph-data').textContent).labels"))
        assert labels == [label for label, _, _ in ODD_LABELS[0]]
    finally:
        context.close()


def test_large_graph_shows_a_summary_without_a_layout(tmp_path):
    graph = mivora.Graph()
    for i in range(2001):
        graph.add_node(str(i))
    for i in range(0, 1000, 2):
        graph.create_connection(str(i), str(i + 1), 1.0)
    graph.create_connection("0", "2", 1.0, True)
    markup = graph._repr_html_()
    cells = dict(re.findall(r"<th[^>]*>(.*?)</th><td[^>]*>(.*?)</td>", markup))
    assert cells == {
        "nodes": "2001", "edges (undirected)": "500", "arcs (directed)": "1",
        "density": "%.6g" % (501 / (2001 * 2000)), "weakly connected components": str(2001 - 501),
        "largest component (nodes)": "4",
    }
    graph.output_json_file(str(tmp_path / "after.json"))
    assert all(node["x"] is None for node in json.loads((tmp_path / "after.json").read_text())["nodes"])


@pytest.mark.parametrize("label", ['<b>"&', "a\nb"])
def test_summary_and_inline_view_escape_labels(label):
    graph = mivora.Graph()
    graph.add_node(label)
    markup = graph._repr_html_()
    srcdoc = html.unescape(re.search(r'srcdoc="(.*)"', markup, re.S).group(1))
    assert '"' not in re.search(r'srcdoc="(.*)"', markup, re.S).group(1)
    data = re.search(r'id="graph-data">(.*?)</script>', srcdoc, re.S).group(1)
    assert json.loads(data)["labels"] == [label]
