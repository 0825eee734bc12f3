"""The stubs document everything public, and where the module carries a
docstring of its own it is the stub's, generated from it at build time."""
import ast
import inspect
import pathlib
import re

import pytest

import mivora

STUB = pathlib.Path(__file__).resolve().parent.parent / "src" / "mivora.pyi"
TREE = ast.parse(STUB.read_text(encoding="utf-8"))
CLASSES = [node for node in TREE.body if isinstance(node, ast.ClassDef) and not node.name.startswith("_")]
METHODS = [(cls.name, node) for cls in CLASSES for node in cls.body
           if isinstance(node, ast.FunctionDef) and not (node.name.startswith("__") and node.name != "__new__")]
SECTIONS = ("Args:", "Returns:", "Raises:", "Example:")


@pytest.mark.parametrize("cls", CLASSES, ids=lambda c: c.name)
def test_every_class_is_documented(cls):
    lines = ast.get_docstring(cls).split("\n")
    assert len(lines) == 1 or lines[1] == ""


@pytest.mark.parametrize("owner, method", METHODS, ids=lambda m: m if isinstance(m, str) else m.name)
def test_every_method_is_documented_as_at_run_time(owner, method):
    stub = ast.get_docstring(method)
    assert stub, f"{owner}.{method.name} has no docstring in the stub"
    function = getattr(getattr(mivora, owner), method.name)
    runtime = function.__doc__  # the interpreter has taken the text signature off
    if runtime and method.name != "__new__":  # __new__'s runtime text is the interpreter's
        assert function.__text_signature__
        assert runtime == inspect.cleandoc(ast.get_docstring(method, clean=False))


@pytest.mark.parametrize("owner, method", METHODS, ids=lambda m: m if isinstance(m, str) else m.name)
def test_docstrings_follow_one_layout(owner, method):
    """A summary line, a blank line, then prose and Google sections only."""
    lines = ast.get_docstring(method).split("\n")
    if len(lines) > 1:
        assert lines[1] == "", f"{owner}.{method.name}: the summary is one line"
    headings = [line for line in lines if re.fullmatch(r"[A-Z][A-Za-z ]*:", line)]
    assert set(headings) <= set(SECTIONS), headings
    assert headings == sorted(headings, key=SECTIONS.index)


@pytest.mark.parametrize("name", ["FormatError", "PanicException"])
def test_the_exception_classes_carry_the_stub_text(name):
    stub = next(cls for cls in CLASSES if cls.name == name)
    assert getattr(mivora, name).__doc__ == inspect.cleandoc(ast.get_docstring(stub, clean=False))
