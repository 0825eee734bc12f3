"""Opens every page of the built documentation site in headless Chromium the
way a reader does, from file://, and fails on a page that logs a console
error or an uncaught exception, an image that does not load, or a missing
search box. Then searches from file:// and expects results. Each page is
also fetched once over HTTP from localhost (the served site)."""
import functools
import http.server
import pathlib
import sys
import threading

from playwright.sync_api import sync_playwright

SEARCH_QUERY = "pagerank"  # a word the API reference is sure to hold

# Docstring text that the renderer left as prose: a Google section heading
# (Args:, Returns:, ...) or a reST / NumPy field in a paragraph means a
# docstring the reference did not turn into sections.
UNRENDERED_SECTIONS = r"""() => Array.from(document.querySelectorAll('.doc-contents p'))
    .map(p => p.textContent)
    .filter(text => /(^|\n)\s*(Args|Arguments|Returns|Raises|Yields|Examples?):\s/.test(text)
                 || /:(param|returns?|raises?|rtype)\b/.test(text) || /-{4,}/.test(text))
    .map(text => text.slice(0, 80))"""

# Every image element that finished loading without a picture.
BROKEN_IMAGES = """() => Array.from(document.images)
    .filter(image => image.complete && image.naturalWidth === 0)
    .map(image => image.getAttribute('src'))"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass


class QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A page closed while a resource was still on its way: not the site's fault.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def site_pages(site: pathlib.Path) -> list[str]:
    return sorted(str(path.relative_to(site)) for path in site.rglob("*.html") if "assets" not in path.parts)


def open_page(browser, url: str, name: str, failures: list[str]):
    page = browser.new_page()
    errors: list[str] = []
    page.on("console", lambda m: m.type == "error" and errors.append(m.text))
    page.on("pageerror", lambda e: errors.append(str(e)))
    page.on("requestfailed", lambda r: r.resource_type == "image" and errors.append(f"image not loaded: {r.url}"))
    response = page.goto(url, wait_until="load")
    if url.startswith("http") and (response is None or not response.ok):
        failures.append(f"{name}: HTTP {response.status if response else 'no response'}")
    page.wait_for_load_state("networkidle")
    failures.extend(f"{name}: {error}" for error in errors)
    failures.extend(f"{name}: broken image {src}" for src in page.evaluate(BROKEN_IMAGES))
    if not page.title():
        failures.append(f"{name}: no title")
    failures.extend(f"{name}: docstring not rendered as sections: {text!r}" for text in page.evaluate(UNRENDERED_SECTIONS))
    return page


def check_search(page, name: str, failures: list[str]) -> int:
    search_box = page.locator("input.md-search__input")
    if search_box.count() == 0 or not search_box.is_visible():
        failures.append(f"{name}: no search box")
        return 0
    search_box.click()
    # Typed once the index is loaded ("Initializing search" gone), as a reader would.
    page.wait_for_function(
        "() => !/initializ/i.test(document.querySelector('.md-search-result__meta')?.textContent ?? 'initializ')",
        timeout=15000)
    search_box.press_sequentially(SEARCH_QUERY)
    try:
        page.wait_for_selector(".md-search-result__item", timeout=15000)
    except Exception:  # playwright's TimeoutError
        failures.append(f"{name}: search for {SEARCH_QUERY!r} found nothing")
        return 0
    return page.locator(".md-search-result__item").count()


def main(site: pathlib.Path) -> int:
    site = site.resolve()
    pages = site_pages(site)
    handler = functools.partial(QuietHandler, directory=str(site))
    server = QuietServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    failures: list[str] = []
    hits = 0
    try:
        with sync_playwright() as p:
            browser = p.chromium.launch(executable_path="/usr/bin/chromium", args=["--no-sandbox"])
            for name in pages:
                # The not-found page is a server's: its links start at the site's root.
                if name != "404.html":
                    page = open_page(browser, (site / name).as_uri(), f"file://…/{name}", failures)
                    if name == "index.html":
                        hits = check_search(page, f"file://…/{name}", failures)
                    elif not page.locator("input.md-search__input").is_visible():
                        failures.append(f"file://…/{name}: no search box")
                    page.close()
                open_page(browser, base + name, f"http {name}", failures).close()
            browser.close()
    finally:
        server.shutdown()
    for failure in failures:
        print("docs site:", failure, file=sys.stderr)
    print(f"docs site: {len(pages)} pages opened from file:// and over HTTP, search from file:// "
          f"found {hits} results, {len(failures)} problems")
    return 1 if failures or not pages else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "docs/_build")))
