#!/usr/bin/env python3
"""Renders an HTML file (such as the viewer page from Graph.output_html) to a PNG.

    python3 tools/screenshot.py demo.html docs/demo.png [--width 1500 --height 700]

Uses Playwright with Debian's Chromium (/usr/bin/chromium), headless.
"""
import argparse
import sys
from pathlib import Path

from playwright.sync_api import sync_playwright

CHROMIUM = "/usr/bin/chromium"


def screenshot(html, png, width, height, open_menu=False):
    with sync_playwright() as playwright:
        browser = playwright.chromium.launch(executable_path=CHROMIUM, headless=True, args=["--no-sandbox"])
        try:
            page = browser.new_page(viewport={"width": width, "height": height})
            page.goto(Path(html).resolve().as_uri(), wait_until="load")
            if open_menu:
                page.click(".menu-btn")
                # The menu slides in; wait until it is fully on screen.
                page.wait_for_function(
                    "() => document.getElementById('sideMenu').getBoundingClientRect().right <= window.innerWidth + 0.5")
            Path(png).parent.mkdir(parents=True, exist_ok=True)
            page.screenshot(path=str(png))
        finally:
            browser.close()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("html", help="the HTML file to render")
    parser.add_argument("png", help="where to write the PNG")
    parser.add_argument("--width", type=int, default=1500)
    parser.add_argument("--height", type=int, default=700)
    parser.add_argument("--open-menu", action="store_true", help="open the side menu first")
    args = parser.parse_args(argv)
    if not Path(args.html).is_file():
        parser.error(f"no such file: {args.html}")
    screenshot(args.html, args.png, args.width, args.height, args.open_menu)
    print(f"wrote {args.png}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
