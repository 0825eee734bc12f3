"""MkDocs hook: the pictures that README sections show (included into pages
by pymdownx.snippets) point at docs/NAME.png from the repository root. The
site carries those pictures under images/ and the pages point there."""
import pathlib
import re

from mkdocs.structure.files import File

ROOT = pathlib.Path(__file__).resolve().parent.parent
README_IMAGE = re.compile(r'(src|href)="docs/([\w.-]+\.(?:png|svg|jpg))"')


def on_files(files, config):
    for image in sorted((ROOT / "docs").glob("*.png")):
        files.append(File.generated(config, f"images/{image.name}", abs_src_path=str(image)))
    return files


def on_page_content(html, page, config, files):
    up = "../" * page.file.src_uri.count("/")
    return README_IMAGE.sub(lambda m: f'{m.group(1)}="{up}images/{m.group(2)}"', html)
