"""Interactive graph pages side by side in headless Chromium: load time and
frame times of wheel zoom, pan and node drag.

Pages: mivora's SVG page (Graph.output_html), mivora's WebGL page
(Graph.output_webgl), pyvis (vis-network on a 2D canvas, its bundled script
inlined, physics off so that it draws the given positions) and ipysigma's
standalone HTML (which loads its widget manager from a CDN: without a
network it cannot start, and the table says so).

Graphs: random geometric networks, each node linked to about 2.5 nodes
nearby, positions stored on the 1500 x 700 canvas, so every page draws the
same picture and no layout is timed. With --far-links the links join random
nodes across the whole canvas instead (the worst case for line drawing).

Method: Playwright drives Chromium (/usr/bin/chromium, headless, its software
WebGL) in a 1280 x 720 window. Load is the time from navigation to the
page's first complete frame. A requestAnimationFrame recorder runs while
Playwright sends 10 wheel steps at the window centre (zoom), drags the
background 20 steps (pan) and drags a node 20 steps (drag); a frame's time is
the interval between two animation frames. Every page gets the same input
events; a page that cannot keep up shows long intervals. Figures are medians
over --runs runs. Timings depend on the machine's load: compare pages of one
run, not runs of different days.

    python benchmarks/pages.py [--sizes 1000,5000,20000,100000] [--pages svg,webgl,pyvis,ipysigma]
                               [--runs 3] [--million] [--far-links] [--json FILE]

The module must be importable: build it first (`make build`, which puts it in
build/).
"""
import argparse
import asyncio
import json
import math
import os
import random
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "build"))

import mivora  # noqa: E402
from playwright.async_api import async_playwright  # noqa: E402

CHROMIUM = "/usr/bin/chromium"
WIDTH, HEIGHT = 1280, 720
LOAD_TIMEOUT_S = 300
# A page whose requests beyond itself were refused gets this long to start anyway.
OFFLINE_TIMEOUT_S = 20

RECORDER = """() => {
    window.__frames = [];
    window.__recording = true;
    const tick = () => {
        if (!window.__recording) return;
        window.__frames.push(performance.now());
        requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
}"""
STOP = """() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => {
    window.__recording = false;
    const f = window.__frames;
    done(f.slice(1).map((t, i) => t - f[i]));
})))"""
TWO_FRAMES = "() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)))"


# ---- graphs --------------------------------------------------------------------

def geometric_network(n, per_node=2.5, far_links=False, seed=1):
    """(labels, xs, ys, links): n nodes on the canvas, each linked to nearby nodes."""
    rnd = random.Random(seed)
    xs = [20 + rnd.random() * 1480 for _ in range(n)]
    ys = [20 + rnd.random() * 680 for _ in range(n)]
    cell = math.sqrt(1480 * 680 / n) * 1.5
    grid = {}
    for i in range(n):
        grid.setdefault((int(xs[i] / cell), int(ys[i] / cell)), []).append(i)
    links = []
    for i in range(n):
        count = int(per_node) + (rnd.random() < per_node - int(per_node))
        if far_links:
            links.extend((i, rnd.randrange(n)) for _ in range(count))
            continue
        cx, cy = int(xs[i] / cell), int(ys[i] / cell)
        near = [j for dx in (-1, 0, 1) for dy in (-1, 0, 1) for j in grid.get((cx + dx, cy + dy), ()) if j != i]
        links.extend((i, j) for j in rnd.sample(near, min(count, len(near))))
    return [f"n{i}" for i in range(n)], xs, ys, links


def mivora_graph(network, folder):
    labels, xs, ys, links = network
    document = {
        "nodes": [{"label": label, "x": x, "y": y} for label, x, y in zip(labels, xs, ys)],
        "edges": [{"source": labels[a], "target": labels[b], "weight": 1.0} for a, b in links],
        "arcs": [],
    }
    path = os.path.join(folder, "graph.json")
    with open(path, "w") as out:
        json.dump(document, out)
    return mivora.Graph.from_json_file(path)


def write_pyvis(network, path):
    from pyvis.network import Network
    labels, xs, ys, links = network
    net = Network(height="720px", width="100%", cdn_resources="in_line")
    net.add_nodes(list(range(len(labels))), label=labels, x=xs, y=ys)
    net.add_edges(links)
    net.toggle_physics(False)
    net.write_html(path)


def write_ipysigma(network, path):
    import networkx
    from ipysigma import Sigma
    labels, xs, ys, links = network
    graph = networkx.Graph()
    for label, x, y in zip(labels, xs, ys):
        graph.add_node(label, x=x, y=y)
    graph.add_edges_from((labels[a], labels[b]) for a, b in links)
    Sigma.write_html(graph, path)


def write_page(kind, network, folder):
    path = os.path.join(folder, f"{kind}.html")
    if kind in ("svg", "webgl"):
        graph = mivora_graph(network, folder)
        graph.output_html(path) if kind == "svg" else graph.output_webgl(path)
    elif kind == "pyvis":
        write_pyvis(network, path)
    else:
        write_ipysigma(network, path)
    return path


# ---- driving a page ------------------------------------------------------------

# JavaScript that tells whether the page has drawn its first full frame.
READY = {
    "svg": "() => document.querySelector('svg') !== null",
    "webgl": "() => window.mivoraViewer && mivoraViewer.ready && mivoraViewer.settled",
    "pyvis": "() => typeof network !== 'undefined' && network.body && Object.keys(network.body.nodes).length > 0",
    "ipysigma": "() => document.querySelector('canvas') !== null",
}

# A point of a node near the window centre, in window pixels.
NODE_NEAR_CENTRE = {
    "svg": """() => { let best = null, gap = Infinity;
        for (const c of document.querySelectorAll('circle')) { const b = c.getBoundingClientRect();
            const x = b.x + b.width / 2, y = b.y + b.height / 2, d = Math.hypot(x - 640, y - 360);
            if (d < gap) { gap = d; best = [x, y]; } if (gap < 20) break; } return best; }""",
    "webgl": """() => { for (let r = 0; r < 300; r += 2) for (let a = 0; a < 6.28; a += 0.3) {
            const x = 640 + r * Math.cos(a), y = 360 + r * Math.sin(a), i = mivoraViewer.pick(x, y);
            if (i >= 0) return mivoraViewer.screenOf(i); } return null; }""",
    "pyvis": """() => { const rect = document.getElementById('mynetwork').getBoundingClientRect();
        for (let r = 0; r < 300; r += 2) for (let a = 0; a < 6.28; a += 0.3) {
            const x = 640 + r * Math.cos(a), y = 360 + r * Math.sin(a);
            const id = network.getNodeAt({x: x - rect.left, y: y - rect.top});
            if (id !== undefined) return [x, y]; } return null; }""",
}


async def frames_of(page, action):
    await page.evaluate(RECORDER)
    await action()
    intervals = await page.evaluate(STOP)
    return intervals or [float("nan")]


async def measure(browser, kind, path):
    context = await browser.new_context(viewport={"width": WIDTH, "height": HEIGHT})
    page = await context.new_page()
    requests = []
    page.on("request", lambda request: requests.append(request.url))
    refused = lambda: any(not url.startswith("file:") for url in requests)  # noqa: E731
    # No network here: anything but the page itself fails at once.
    await page.route("**/*", lambda route: route.continue_() if route.request.url.startswith("file:")
                     else route.abort())
    result = {"page_mb": os.path.getsize(path) / 1e6}
    try:
        started = time.perf_counter()
        await page.goto("file://" + path, wait_until="load", timeout=LOAD_TIMEOUT_S * 1000)
        limit = OFFLINE_TIMEOUT_S if refused() else LOAD_TIMEOUT_S
        await page.wait_for_function(READY[kind], timeout=limit * 1000, polling=20)
        await page.evaluate(TWO_FRAMES)
        result["load_s"] = time.perf_counter() - started
    except Exception as error:  # the page never became ready
        result["error"] = "does not load offline" if refused() else type(error).__name__
        result["requests"] = len(requests)
        await context.close()
        return result
    result["requests"] = len(requests)
    mouse = page.mouse

    async def zoom():
        await mouse.move(WIDTH / 2, HEIGHT / 2)
        for step in range(10):
            await mouse.wheel(0, -100 if step < 5 else 100)

    async def pan():
        await mouse.move(6, HEIGHT - 6)
        await mouse.down()
        await mouse.move(206, HEIGHT - 156, steps=20)
        await mouse.up()

    result["zoom_ms"] = await frames_of(page, zoom)
    if kind == "webgl":
        await page.wait_for_function(READY[kind], timeout=LOAD_TIMEOUT_S * 1000, polling=20)
    result["pan_ms"] = await frames_of(page, pan)
    if kind == "webgl":
        await page.wait_for_function(READY[kind], timeout=LOAD_TIMEOUT_S * 1000, polling=20)
    point = await page.evaluate(NODE_NEAR_CENTRE[kind]) if kind in NODE_NEAR_CENTRE else None
    if point:
        async def drag():
            await mouse.move(*point)
            await mouse.down()
            await mouse.move(point[0] + 100, point[1] + 60, steps=20)
            await mouse.up()
        result["drag_ms"] = await frames_of(page, drag)
    await context.close()
    return result


def summary(runs):
    """Medians over runs of: load, and median / worst frame of each interaction."""
    good = [run for run in runs if "error" not in run]
    if not good:
        return {"page_mb": runs[0]["page_mb"], "error": runs[0]["error"]}
    out = {"page_mb": good[0]["page_mb"], "load_s": statistics.median(run["load_s"] for run in good)}
    for name in ("zoom_ms", "pan_ms", "drag_ms"):
        series = [run[name] for run in good if name in run]
        if series:
            out[name] = (statistics.median(statistics.median(s) for s in series),
                         statistics.median(max(s) for s in series))
    return out


def row(size, links, kind, figures):
    def cell(name):
        if name not in figures:
            return "-"
        median, worst = figures[name]
        return f"{median:.0f} / {worst:.0f}"
    if "error" in figures:
        return f"| {size:,} | {links:,} | {kind} | {figures['page_mb']:.2f} | {figures['error']} | | | |"
    return (f"| {size:,} | {links:,} | {kind} | {figures['page_mb']:.2f} | {figures['load_s']:.2f} | "
            f"{cell('zoom_ms')} | {cell('pan_ms')} | {cell('drag_ms')} |")


async def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sizes", default="1000,5000,20000,100000")
    parser.add_argument("--pages", default="svg,webgl,pyvis,ipysigma")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--million", action="store_true", help="also load and pan the WebGL page at 1,000,000 links")
    parser.add_argument("--far-links", action="store_true")
    parser.add_argument("--json")
    arguments = parser.parse_args()
    sizes = [int(size) for size in arguments.sizes.split(",") if size]
    kinds = arguments.pages.split(",")
    cases = [(size, kind) for size in sizes for kind in kinds]
    if arguments.million:
        cases.append((400_000, "webgl"))
    print("| nodes | links | page | MB | load s | zoom frame median / worst ms | pan ms | drag ms |")
    print("|---|---|---|---|---|---|---|---|")
    results = []
    async with async_playwright() as playwright:
        browser = await playwright.chromium.launch(executable_path=CHROMIUM, headless=True, args=["--no-sandbox"])
        with tempfile.TemporaryDirectory() as folder:
            networks = {}
            for size, kind in cases:
                if size not in networks:
                    networks.clear()
                    networks[size] = geometric_network(size, far_links=arguments.far_links)
                network = networks[size]
                path = write_page(kind, network, folder)
                runs = [await measure(browser, kind, path)]
                if "error" not in runs[0]:
                    runs += [await measure(browser, kind, path) for _ in range(arguments.runs - 1)]
                figures = summary(runs)
                results.append({"nodes": size, "links": len(network[3]), "page": kind, **figures})
                print(row(size, len(network[3]), kind, figures), flush=True)
        await browser.close()
    if arguments.json:
        with open(arguments.json, "w") as out:
            json.dump(results, out, indent=1)


if __name__ == "__main__":
    asyncio.run(main())
