"""Screenshots of the WebGL page as it first opens, for docs/: the karate
club, a 1,000-node and a 100,000-node network, each laid out with the
default layout (Layout.Force) and drawn with the page's own sizes.

    python benchmarks/page_screenshots.py [--folder docs]
"""
import argparse
import asyncio
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "build"))

import mivora  # noqa: E402
import networkx  # noqa: E402
from playwright.async_api import async_playwright  # noqa: E402


def from_networkx(graph):
    out = mivora.Graph()
    for node in graph.nodes:
        out.add_node(str(node))
    for a, b in graph.edges:
        out.create_connection(str(a), str(b), 1.0)
    return out


def largest_component(graph):
    return graph.subgraph(max(networkx.connected_components(graph), key=len)).copy()


GRAPHS = {
    "webgl-karate": lambda: networkx.karate_club_graph(),
    "webgl-1000": lambda: networkx.powerlaw_cluster_graph(1000, 2, 0.3, seed=1),
    # 200 groups of 500 nodes, about 2.4 links a node, one in fifty between
    # groups; its largest component (all but a few dozen nodes).
    "webgl-100000": lambda: largest_component(networkx.random_partition_graph([500] * 200, 0.0095, 0.000_001, seed=1)),
}


async def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--folder", default="docs")
    parser.add_argument("--only")
    arguments = parser.parse_args()
    async with async_playwright() as playwright:
        browser = await playwright.chromium.launch(executable_path="/usr/bin/chromium", headless=True,
                                                   args=["--no-sandbox"])
        page = await browser.new_page(viewport={"width": 1280, "height": 720})
        with tempfile.TemporaryDirectory() as folder:
            for name, make in GRAPHS.items():
                if arguments.only and arguments.only not in name:
                    continue
                graph = from_networkx(make())
                graph.compute_layout(seed=1)
                path = os.path.join(folder, name + ".html")
                graph.output_webgl(path)
                await page.goto("file://" + path)
                await page.wait_for_function("mivoraViewer.ready && mivoraViewer.settled", timeout=300_000)
                await page.screenshot(path=os.path.join(arguments.folder, name + ".png"))
                print(name, graph.get_node_count(), graph.get_edge_count())
        await browser.close()


if __name__ == "__main__":
    asyncio.run(main())
