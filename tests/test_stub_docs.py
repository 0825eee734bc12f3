"""The stubs document everything public, and where the module carries a
docstring of its own the stub says the same."""
import ast
import pathlib

import pytest

import mivora

STUB = pathlib.Path(__file__).resolve().parent.parent / "src" / "mivora.pyi"
TREE = ast.parse(STUB.read_text(encoding="utf-8"))
CLASSES = [node for node in TREE.body if isinstance(node, ast.ClassDef) and not node.name.startswith("_")]
METHODS = [(cls.name, node) for cls in CLASSES for node in cls.body
           if isinstance(node, ast.FunctionDef) and not (node.name.startswith("__") and node.name != "__new__")]


def runtime_text(doc):
    """A runtime docstring without its text signature."""
    return (doc or "").split("--\n\n", 1)[-1].strip()


@pytest.mark.parametrize("cls", CLASSES, ids=lambda c: c.name)
def test_every_class_is_documented(cls):
    assert ast.get_docstring(cls)


@pytest.mark.parametrize("owner, method", METHODS, ids=lambda m: m if isinstance(m, str) else m.name)
def test_every_method_is_documented_as_at_run_time(owner, method):
    stub = ast.get_docstring(method)
    assert stub, f"{owner}.{method.name} has no docstring in the stub"
    runtime = runtime_text(getattr(getattr(mivora, owner), method.name).__doc__)
    if runtime and method.name != "__new__":  # __new__'s runtime text is the interpreter's
        assert " ".join(stub.split()) == " ".join(runtime.split())
