"""Opens pages of the built documentation site in headless Chromium, served
over HTTP from localhost, and fails if any page is missing or logs a console
error or an uncaught exception."""
import functools
import http.server
import pathlib
import sys
import threading

from playwright.sync_api import sync_playwright

PAGES = ["index.html", "guide/building.html", "reference.html", "gallery.html"]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass


class QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A page closed while a resource was still on its way: not the site's fault.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def main(site: pathlib.Path) -> int:
    handler = functools.partial(QuietHandler, directory=str(site))
    server = QuietServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    failures = []
    try:
        with sync_playwright() as p:
            browser = p.chromium.launch(executable_path="/usr/bin/chromium", args=["--no-sandbox"])
            for name in PAGES:
                page = browser.new_page()
                errors = []
                page.on("console", lambda m, errors=errors: m.type == "error" and errors.append(m.text))
                page.on("pageerror", lambda e, errors=errors: errors.append(str(e)))
                response = page.goto(base + name, wait_until="load")
                if response is None or not response.ok:
                    failures.append(f"{name}: HTTP {response.status if response else 'no response'}")
                failures.extend(f"{name}: {error}" for error in errors)
                if not page.title():
                    failures.append(f"{name}: no title")
                page.close()
            browser.close()
    finally:
        server.shutdown()
    for failure in failures:
        print("docs site:", failure, file=sys.stderr)
    print(f"docs site: {len(PAGES)} pages opened, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "docs/_build")))
