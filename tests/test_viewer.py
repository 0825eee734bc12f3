"""The viewer page written by Graph.output_html, driven in headless Chromium."""
import json
import re
from pathlib import Path
from xml.etree import ElementTree

import numpy
import pytest

import mivora
from browser_support import TIMEOUT_MS, browser, graph_from  # noqa: F401 (browser is a fixture)

# Same proportions as the 1500 x 700 canvas, so the page's per-axis pixel to
# canvas conversion matches what the browser renders.
VIEWPORT = {"width": 1200, "height": 560}
SVG_NS = "{http://www.w3.org/2000/svg}"
SRC = Path(__file__).resolve().parent.parent / "src" / "pages"


# ---- pages ---------------------------------------------------------------------

def shortest32(value):
    """Shortest text of a single-precision value (small magnitudes only)."""
    text = str(numpy.float32(value))
    return text[:-2] if text.endswith(".0") else text


def write_page(path, nodes, connections):
    graph_from(path.parent, nodes, connections).output_html(str(path))
    return path


TRIANGLE = (
    [("A", 400.0, 200.0), ("B", 1000.0, 300.5), ("C", 700.0, 550.0)],
    [("A", "B", 2.5, True), ("B", "C", 1.0, False), ("C", "A", 0.1, True)],
)
ODD_LABELS = (
    [("New York", 100.0, 100.0), ('say "hi"', 1400.0, 650.0), ("a&b<c>", 750.0, 350.0), ("x", 20.0, 700.0)],
    [("New York", 'say "hi"', 3.0, False), ('say "hi"', "a&b<c>", 0.5, True), ("a&b<c>", "a&b<c>", 7.0, False),
     ("x", "New York", 1.0, True)],
)

# Labels that differ only by spaces at either end: six nodes, never fewer.
SPACED_LABELS = (
    [("a", 100.0, 100.0), (" a", 300.0, 150.0), ("a ", 500.0, 200.0), (" a ", 700.0, 250.0),
     ("  a", 900.0, 300.0), ("a\t", 1100.0, 350.0)],
    [(" a", "a ", 1.0, True), ("a", "  a", 2.0, False), ("a\t", " a ", 0.5, True)],
)


# ---- browser -------------------------------------------------------------------

class Viewer:
    """One page in its own browser context, with its console errors collected."""

    def __init__(self, browser, path, viewport=VIEWPORT):
        self.context = browser.new_context(viewport=viewport, accept_downloads=True)
        self.context.set_default_timeout(TIMEOUT_MS)
        self.page = self.context.new_page()
        self.errors = []
        self.page.on("console", lambda message: message.type == "error" and self.errors.append(message.text))
        self.page.on("pageerror", lambda error: self.errors.append(str(error)))
        self.page.goto(path.as_uri(), wait_until="load")

    def view_box(self):
        return [float(v) for v in self.page.get_attribute("svg", "viewBox").split()]

    def attributes(self, selector, names):
        return self.page.eval_on_selector(
            selector, "(e, names) => names.map((n) => parseFloat(e.getAttribute(n)))", names)

    def all_attributes(self, selector, names):
        return self.page.eval_on_selector_all(
            selector, "(es, names) => es.map((e) => names.map((n) => parseFloat(e.getAttribute(n))))", names)

    def screen_point(self, selector):
        box = self.page.locator(selector).bounding_box()
        return box["x"] + box["width"] / 2, box["y"] + box["height"] / 2

    def canvas_point(self, x, y):
        """The canvas point drawn at window pixel (x, y), as the browser renders it."""
        return self.page.evaluate("""([x, y]) => {
            const svg = document.querySelector("svg");
            const p = new DOMPoint(x, y).matrixTransform(svg.getScreenCTM().inverse());
            return [p.x, p.y];
        }""", [x, y])

    def wait_for_view_box_change(self, old):
        self.page.wait_for_function(
            "old => document.querySelector('svg').getAttribute('viewBox') !== old", arg=old)

    def download(self, button):
        self.page.click(".menu-btn")
        self.page.wait_for_function(
            "() => document.getElementById('sideMenu').getBoundingClientRect().right <= window.innerWidth + 0.5")
        page = self.page._target

        async def click_and_wait():
            async with page.expect_download() as info:
                await page.get_by_role("button", name=button).click()
            return await info.value

        return self.page._wrap(self.page._loop.run_until_complete(click_and_wait()))

    def close(self):
        self.context.close()


@pytest.fixture
def open_viewer(browser):
    viewers = []

    def open_(path, viewport=VIEWPORT):
        viewer = Viewer(browser, path, viewport)
        viewers.append(viewer)
        return viewer

    yield open_
    for viewer in viewers:
        viewer.close()


# ---- tests ---------------------------------------------------------------------

@pytest.mark.parametrize("drawing", [([], []), TRIANGLE, ODD_LABELS], ids=["empty", "triangle", "odd-labels"])
def test_page_loads_clean_with_one_circle_per_node(open_viewer, tmp_path, drawing):
    viewer = open_viewer(write_page(tmp_path / "page.html", *drawing))
    nodes = drawing[0]
    assert viewer.page.title() == "Teste"
    assert viewer.page.locator("svg circle").count() == len(nodes)
    labels = viewer.page.eval_on_selector_all("svg text", "es => es.map((e) => e.textContent)")
    assert labels == [label for label, _, _ in nodes]
    assert viewer.view_box() == [0, 0, 1500, 700]
    assert viewer.errors == []


@pytest.mark.parametrize("drawing, index", [(TRIANGLE, 1), (ODD_LABELS, 2)], ids=["arcs-and-edge", "self-loop"])
def test_drag_moves_circle_label_and_lines(open_viewer, tmp_path, drawing, index):
    viewer = open_viewer(write_page(tmp_path / "page.html", *drawing))
    page = viewer.page
    before = {sel: viewer.all_attributes(sel, names) for sel, names in [
        ("line", ["x1", "y1", "x2", "y2"]), ("circle", ["cx", "cy"]), ("text", ["x", "y"])]}
    classes = page.eval_on_selector_all("line", "es => es.map((e) => e.getAttribute('class'))")
    x, y = viewer.screen_point(f".node{index}")
    dx, dy = 120, -80
    page.mouse.move(x, y)
    page.mouse.down()
    page.mouse.move(x + dx / 2, y + dy / 2, steps=3)
    page.mouse.move(x + dx, y + dy, steps=3)
    page.mouse.up()
    page.wait_for_function("([i, x]) => document.querySelector('.node' + i).getAttribute('cx') !== x",
                           arg=[index, shortest32(drawing[0][index][1])])

    width, height = page.evaluate("() => { const s = document.querySelector('svg'); return [s.clientWidth, s.clientHeight]; }")
    cdx, cdy = dx * 1500 / width, dy * 700 / height

    def moved(old, shift):
        return [pytest.approx(v + s, abs=1e-6) for v, s in zip(old, shift)]

    for kind, names in [("circle", ["cx", "cy"]), ("text", ["x", "y"])]:
        for i, (old, new) in enumerate(zip(before[kind], viewer.all_attributes(kind, names))):
            assert new == (moved(old, (cdx, cdy)) if i == index else old), (kind, i)
    for cls, old, new in zip(classes, before["line"], viewer.all_attributes("line", ["x1", "y1", "x2", "y2"])):
        source, target = cls.split("line")
        shift = [cdx, cdy] if source == str(index) else [0, 0]
        shift += [cdx, cdy] if target == str(index) else [0, 0]
        assert new == moved(old, shift), cls
    assert viewer.errors == []


@pytest.mark.parametrize("delta, factor", [(-100, 0.9), (100, 1 / 0.9)], ids=["in", "out"])
def test_wheel_zoom_keeps_the_point_under_the_pointer(open_viewer, tmp_path, delta, factor):
    viewer = open_viewer(write_page(tmp_path / "page.html", *TRIANGLE))
    pointer = (300, 200)
    viewer.page.mouse.move(*pointer)
    under = viewer.canvas_point(*pointer)
    for step in range(1, 3):
        old = viewer.page.get_attribute("svg", "viewBox")
        viewer.page.mouse.wheel(0, delta)
        viewer.wait_for_view_box_change(old)
        box = viewer.view_box()
        assert box[2:] == [pytest.approx(1500 * factor ** step), pytest.approx(700 * factor ** step)]
        assert viewer.canvas_point(*pointer) == [pytest.approx(under[0]), pytest.approx(under[1])]
    assert viewer.page.evaluate("() => [window.scrollX, window.scrollY]") == [0, 0]
    assert viewer.errors == []


def test_panning_moves_the_view_box(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path / "page.html", *TRIANGLE))
    page = viewer.page
    start = (100, 500)
    assert page.evaluate("([x, y]) => document.elementFromPoint(x, y).tagName", list(start)) == "svg"
    dx, dy = 150, 60
    page.mouse.move(*start)
    page.mouse.down()
    page.mouse.move(start[0] + dx, start[1] + dy, steps=4)
    page.mouse.up()
    page.wait_for_function("() => document.querySelector('svg').getAttribute('viewBox') !== '0 0 1500 700'")
    inner = page.evaluate("() => [window.innerWidth, window.innerHeight]")
    assert viewer.view_box() == [pytest.approx(-dx * 1500 / inner[0]), pytest.approx(-dy * 700 / inner[1]), 1500, 700]
    # Nothing was dragged.
    assert viewer.all_attributes("circle", ["cx", "cy"]) == [[x, y] for _, x, y in TRIANGLE[0]]


@pytest.mark.parametrize("width, height", [(1280, 720), (800, 1000)], ids=["wide", "tall"])
@pytest.mark.parametrize("zoomed", [False, True], ids=["whole", "zoomed"])
def test_drag_and_pan_keep_what_was_grabbed_under_the_pointer(open_viewer, tmp_path, width, height, zoomed):
    # Window proportions other than the canvas's: the drawing is scaled by one
    # factor and centred, with empty bands on two sides.
    viewer = open_viewer(write_page(tmp_path / "page.html", *TRIANGLE), {"width": width, "height": height})
    page = viewer.page
    if zoomed:
        page.mouse.move(width / 3, height / 2)
        page.mouse.wheel(0, -100)
        viewer.wait_for_view_box_change("0 0 1500 700")
    x, y = viewer.screen_point(".node1")
    page.mouse.move(x, y)
    page.mouse.down()
    for step in range(1, 4):
        page.mouse.move(x + 50 * step, y + 30 * step, steps=2)
        assert viewer.screen_point(".node1") == (pytest.approx(x + 50 * step, abs=0.5),
                                                 pytest.approx(y + 30 * step, abs=0.5))
    page.mouse.up()

    start = (10, height - 10)
    assert page.evaluate("([x, y]) => document.elementFromPoint(x, y).tagName", list(start)) == "svg"
    grabbed = viewer.canvas_point(*start)
    page.mouse.move(*start)
    page.mouse.down()
    old = page.get_attribute("svg", "viewBox")
    page.mouse.move(start[0] + 150, start[1] - 90, steps=3)
    page.mouse.up()
    viewer.wait_for_view_box_change(old)
    assert viewer.canvas_point(start[0] + 150, start[1] - 90) == [pytest.approx(grabbed[0]), pytest.approx(grabbed[1])]
    assert viewer.errors == []


def test_menu_button_toggles_the_side_menu(open_viewer, tmp_path):
    viewer = open_viewer(write_page(tmp_path / "page.html", *TRIANGLE))
    page = viewer.page
    assert page.locator("#sideMenu").bounding_box()["x"] >= VIEWPORT["width"]
    page.click(".menu-btn")
    page.wait_for_function(
        "() => document.getElementById('sideMenu').getBoundingClientRect().right <= window.innerWidth + 0.5")
    assert re.search(r"\bopen\b", page.get_attribute("#sideMenu", "class"))
    assert page.get_by_role("button", name="Download Json").is_visible()
    page.click(".menu-btn")
    page.wait_for_function("() => document.getElementById('sideMenu').getBoundingClientRect().left >= window.innerWidth")
    assert viewer.errors == []


# ---- downloads -----------------------------------------------------------------

def connection_set(graph):
    return sorted((c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections())


def positions(graph, tmp_path):
    path = tmp_path / "positions.json"
    graph.output_json_file(str(path))
    return [(node["x"], node["y"]) for node in json.loads(path.read_text())["nodes"]]


# Pajek positions carry 4 decimals of the unit square.
DOWNLOADS = [
    pytest.param("Download Pajek", "data.net", mivora.Graph.from_net_file, 0.5e-4 * 1480, id="pajek"),
    pytest.param("Download Json", "data.json", mivora.Graph.from_json_file, 1e-9, id="json"),
]
EMPTY_DOWNLOADS = {"data.net": "*Vertices 0\n", "data.json": '{"nodes":[],"edges":[],"arcs":[]}'}


@pytest.mark.parametrize("button, name, read, tolerance", DOWNLOADS)
@pytest.mark.parametrize("drawing", [([], []), TRIANGLE, ODD_LABELS, SPACED_LABELS],
                         ids=["empty", "triangle", "odd-labels", "spaced-labels"])
def test_download_reads_back_as_the_same_graph(open_viewer, tmp_path, drawing, button, name, read, tolerance):
    graph = graph_from(tmp_path, *drawing)
    graph.output_html(str(tmp_path / "page.html"))
    viewer = open_viewer(tmp_path / "page.html")
    if drawing[0]:
        x, y = viewer.screen_point(".node0")
        viewer.page.mouse.move(x, y)
        viewer.page.mouse.down()
        viewer.page.mouse.move(x + 90, y + 70, steps=5)
        viewer.page.mouse.up()
        start = repr(drawing[0][0][1]).removesuffix(".0")
        viewer.page.wait_for_function("x => document.querySelector('.node0').getAttribute('cx') !== x", arg=start)
    shown = [tuple(p) for p in viewer.all_attributes("circle", ["cx", "cy"])]

    download = viewer.download(button)
    assert download.suggested_filename == name
    saved = tmp_path / name
    download.save_as(saved)
    if not drawing[0]:
        assert saved.read_text() == EMPTY_DOWNLOADS[name]
    back = read(str(saved))

    assert [node.label for node in back.nodes] == [node.label for node in graph.nodes]
    assert connection_set(back) == connection_set(graph)
    assert positions(back, tmp_path) == [(pytest.approx(x, abs=tolerance), pytest.approx(y, abs=tolerance))
                                         for x, y in shown]
    if drawing[0]:
        assert shown[0] != (drawing[0][0][1], drawing[0][0][2])
    assert viewer.errors == []


# ---- the page file -------------------------------------------------------------

def data_block(page):
    match = re.search(r'<script type="application/json" id="graph-data">(.*?)</script>', page)
    return json.loads(match.group(1))


@pytest.mark.parametrize("label", ["plain", "ESCAPE_SCRIPT", "ESCAPE_SVG", "ESCAPE_DATA"])
def test_page_embeds_svg_data_and_script_once(tmp_path, label):
    graph = graph_from(tmp_path, [("A", 400.0, 200.0), (label, 1000.0, 300.5)], [("A", label, 0.1, True)])
    svg = graph.output_svg()
    graph.output_html(str(tmp_path / "page.html"))
    page = (tmp_path / "page.html").read_text()
    script = (SRC / "page.js").read_text()

    assert page.startswith('<!DOCTYPE html>\n<html lang="en">\n')
    assert page.endswith("</html>\n") and "\r" not in page
    assert "<title>Teste</title>" in page
    assert "\n    " + svg + "\n\n\n\n" in page
    assert page.count(svg) == 1 and page.count(script) == 1
    assert f"<script>{script}</script>" in page
    assert data_block(page) == {"connections": [[0, 1, "0.1", True]]}


def test_pages_of_stored_positions_repeat_and_fresh_layouts_differ(tmp_path):
    stored = graph_from(tmp_path, *TRIANGLE)
    fresh = mivora.Graph()
    for label in "ABC":
        fresh.add_node(label)
    pages = {}
    for name, graph in [("stored", stored), ("fresh", fresh)]:
        for i in range(2):
            graph.output_html(str(tmp_path / f"{name}{i}.html"))
            pages[name, i] = (tmp_path / f"{name}{i}.html").read_text()
    assert pages["stored", 0] == pages["stored", 1]
    assert pages["fresh", 0] != pages["fresh", 1]


@pytest.mark.parametrize("make", [
    lambda tmp_path: graph_from(tmp_path, *ODD_LABELS),
    # Repeated labels: the drawing takes the last node of a label for both ends.
    lambda tmp_path: mivora.Graph.from_adjacency_matrix([[0, 2, 0], [3, 0, 1], [0, 0.1, 0]], True, ["a", "a", "b"]),
], ids=["odd-labels", "repeated-labels"])
def test_data_block_follows_the_drawn_lines(tmp_path, make):
    graph = make(tmp_path)
    graph.output_html(str(tmp_path / "page.html"), mivora.Layout.Circular)
    page = (tmp_path / "page.html").read_text()
    data = data_block(page)["connections"]
    records = graph.get_connections()
    assert [(w, d) for _, _, w, d in data] == [(shortest32(c["weight"]), c["directed"]) for c in records]
    svg = ElementTree.fromstring(graph.output_svg())
    visible = [e.get("class") for e in svg.iter(SVG_NS + "line") if e.get("marker-end") is None]
    assert visible == [f"{a}line{b}" for a, b, _, _ in data]


@pytest.mark.parametrize("target", ["missing-dir/page.html", "/dev/full"])
def test_write_failure_raises_panic(tmp_path, target, panics):
    graph = graph_from(tmp_path, *TRIANGLE)
    path = target if target.startswith("/") else str(tmp_path / target)
    with panics(prefix="Error while creating the file: "):
        graph.output_html(path)


def test_drawing_failure_leaves_an_existing_file_untouched(tmp_path):
    graph = mivora.Graph()
    graph.add_node("A").add_connection(mivora.Node("outside"), 1.0, False)
    page = tmp_path / "page.html"
    page.write_text("old")
    with pytest.raises(BaseException, match="no entry found for key"):
        graph.output_html(str(page))
    assert page.read_text() == "old"


def test_arguments_are_checked(tmp_path):
    graph = mivora.Graph()
    with pytest.raises(TypeError, match="argument 'file_name'"):
        graph.output_html(5)
    with pytest.raises(TypeError, match="argument 'layout'"):
        graph.output_html(str(tmp_path / "p.html"), layout=1)
    graph.output_html(str(tmp_path / "p.html"), mivora.Layout.Circular, True, None)
    assert (tmp_path / "p.html").exists()
