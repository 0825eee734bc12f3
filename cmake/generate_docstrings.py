"""Turn the docstrings of the type stub into C++ string literals.

The stub (src/mivora.pyi) is the one place a docstring is written. For every
class, method and property that carries one, this writes a macro holding the
docstring as inspect.cleandoc leaves it, so that a method table can append it
to the method's text signature by literal concatenation:

    {"to_csr", ..., "to_csr($self)\\n--\\n\\n" MIVORA_DOC_Graph_to_csr}

Usage: generate_docstrings.py STUB OUTPUT
"""
import ast
import inspect
import pathlib
import sys


def c_literal(text):
    """A C++ string literal of text, one source line per docstring line."""
    if not text:
        return '""'
    escaped = []
    for line in text.split("\n"):
        line = line.replace("\\", "\\\\").replace('"', '\\"')
        escaped.append(line)
    pieces = [f'"{line}\\n"' for line in escaped[:-1]] + [f'"{escaped[-1]}"']
    return " \\\n    ".join(pieces)


def documented(tree):
    """(macro suffix, docstring) of every documented class and member, in stub order."""
    for node in tree.body:
        if not isinstance(node, ast.ClassDef):
            continue
        doc = ast.get_docstring(node, clean=False)
        if doc:
            yield node.name, doc
        for member in node.body:
            if isinstance(member, ast.FunctionDef):
                doc = ast.get_docstring(member, clean=False)
                if doc:
                    yield f"{node.name}_{member.name}", doc


def main():
    stub, output = map(pathlib.Path, sys.argv[1:3])
    tree = ast.parse(stub.read_text(encoding="utf-8"))
    lines = [
        "// Generated from src/mivora.pyi by cmake/generate_docstrings.py: edit the stub, not this file.",
        "#pragma once",
        "",
    ]
    seen = set()
    for name, doc in documented(tree):
        if name in seen:  # a property's setter repeats its getter
            continue
        seen.add(name)
        lines.append(f"#define MIVORA_DOC_{name} \\\n    {c_literal(inspect.cleandoc(doc))}")
    text = "\n".join(lines) + "\n"
    # Rewriting an unchanged header would recompile every method table.
    if not output.exists() or output.read_text(encoding="utf-8") != text:
        output.parent.mkdir(parents=True, exist_ok=True)
        output.write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
