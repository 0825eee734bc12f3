"""Small hostile files that used to cost time or memory out of proportion to
their size: each runs in a fresh interpreter, whose timeout only detects a hang."""
import os
import subprocess
import sys
import textwrap

import pytest

from mivora import Graph


def run_bounded(script, seconds=120):
    """Runs `script` in a fresh interpreter; a hang there fails the test."""
    subprocess.run([sys.executable, "-c", textwrap.dedent(script)], check=True, timeout=seconds,
                   env=dict(os.environ))


def test_gml_string_of_many_ampersands_is_decoded_in_linear_time(tmp_path):
    path = tmp_path / "amp.gml"
    path.write_text('graph [ node [ id 1 label "' + "&" * 8_000_000 + '&amp;" ] ]')
    run_bounded(f"""
        import mivora
        g = mivora.Graph.read({str(path)!r})
        assert g.nodes[0].label == "&" * 8_000_001
    """)


@pytest.mark.parametrize("raw, decoded", [
    ("a&amp;b", "a&b"),
    ("&&&lt;", "&&<"),
    ("&#x10FFFF;&#233;", "\U0010ffff\u00e9"),
    ("&#0000000233;", "\u00e9"),  # the longest reference: its semicolon 12 bytes after the &
    ("&#00000000233;", "&#00000000233;"),  # one byte more: not a reference
    ("& lt;&unknown;", "& lt;&unknown;"),
])
def test_gml_references_decoded(tmp_path, raw, decoded):
    path = tmp_path / "g.gml"
    path.write_text(f'graph [ node [ id 1 label "{raw}" ] ]')
    assert Graph.read(path).nodes[0].label == decoded
