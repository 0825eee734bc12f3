"""The source folders are layers: a folder includes its own headers and those
of the folders below it, never one above. The core (every folder below
graph_py) knows nothing of Python."""
import pathlib
import re

SRC = pathlib.Path(__file__).resolve().parent.parent / "src"
# Bottom up. Folders on one level may include each other; none includes a higher one.
LAYERS = [["text_io"], ["graph_core"], ["measures", "layout", "formats"], ["svg_creation"], ["pages"], ["graph_py"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCES = sorted(path for path in SRC.rglob("*") if path.suffix in (".cpp", ".hpp", ".h"))


def folder_of(path):
    return path.relative_to(SRC).parts[0] if len(path.relative_to(SRC).parts) > 1 else None


def test_every_folder_has_a_layer():
    folders = {folder_of(path) for path in SOURCES} - {None}
    assert folders == set(LEVEL), "a new folder needs its place in LAYERS and in docs/architecture.md"


def test_no_folder_includes_one_above_it():
    above = []
    for path in SOURCES:
        level = LEVEL.get(folder_of(path), len(LAYERS))  # module.cpp sits on top
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            # Without a folder: a header generated at build time.
            if "/" in included and LEVEL[included.split("/")[0]] > level:
                above.append(f"{path.relative_to(SRC)} includes {included}")
    assert above == []


def test_the_core_knows_nothing_of_python():
    core = [path for path in SOURCES if folder_of(path) not in ("graph_py", None)]
    assert [str(path.relative_to(SRC)) for path in core
            if "Python.h" in (text := path.read_text(encoding="utf-8")) or "PyObject" in text] == []
