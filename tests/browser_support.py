"""Headless Chromium for the viewer tests, and graphs with stored canvas positions."""
import asyncio
import inspect
import json

import pytest
from playwright.async_api import async_playwright

import mivora

CHROMIUM = "/usr/bin/chromium"
TIMEOUT_MS = 60_000


def graph_from(tmp_path, nodes, connections):
    """nodes: [(label, x, y)], connections: [(from, to, weight, directed)]; a
    graph with stored canvas positions, so the pages draw it where told."""
    document = {
        "nodes": [{"label": label, "x": x, "y": y} for label, x, y in nodes],
        "edges": [{"source": a, "target": b, "weight": w} for a, b, w, d in connections if not d],
        "arcs": [{"source": a, "target": b, "weight": w} for a, b, w, d in connections if d],
    }
    path = tmp_path / "source.json"
    path.write_text(json.dumps(document))
    return mivora.Graph.from_json_file(str(path))


class Blocking:
    """Playwright's asyncio objects driven call by call on one event loop.

    Playwright's own synchronous API switches stacks with greenlets, which
    AddressSanitizer cannot follow (the sanitized test run dies in it); this
    facade gives the tests the same blocking style without stack switching."""

    def __init__(self, target, loop):
        self._target, self._loop = target, loop

    def __getattr__(self, name):
        value = getattr(self._target, name)
        if not callable(value):
            return self._wrap(value)

        def call(*args, **kwargs):
            result = value(*args, **kwargs)
            if inspect.isawaitable(result):
                result = self._loop.run_until_complete(result)
            return self._wrap(result)

        return call

    def _wrap(self, value):
        if type(value).__module__.startswith("playwright."):
            return Blocking(value, self._loop)
        return value


@pytest.fixture(scope="module")
def browser():
    loop = asyncio.new_event_loop()
    playwright = loop.run_until_complete(async_playwright().start())
    chromium = loop.run_until_complete(
        playwright.chromium.launch(executable_path=CHROMIUM, headless=True, args=["--no-sandbox"]))
    yield Blocking(chromium, loop)
    loop.run_until_complete(chromium.close())
    loop.run_until_complete(playwright.stop())
    loop.close()
