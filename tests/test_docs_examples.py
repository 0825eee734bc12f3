"""Every Python example of the documentation site runs: the blocks of one
page in order, in one namespace, in a fresh folder."""
import pathlib
import re

import pytest

PAGES = pathlib.Path(__file__).resolve().parent.parent / "docs" / "src"
BLOCK = re.compile(r"^```python\n(.*?)^```", re.S | re.M)


def pages_with_examples():
    return sorted(p for p in PAGES.rglob("*.md") if BLOCK.search(p.read_text(encoding="utf-8")))


def test_the_guide_has_examples():
    assert len(pages_with_examples()) >= 4


@pytest.mark.parametrize("page", pages_with_examples(), ids=lambda p: str(p.relative_to(PAGES)))
def test_examples_run(page, tmp_path, monkeypatch, capsys):
    monkeypatch.chdir(tmp_path)
    namespace = {"__name__": "__docs__"}
    for number, block in enumerate(BLOCK.findall(page.read_text(encoding="utf-8")), 1):
        exec(compile(block, f"{page.name}[{number}]", "exec"), namespace)
