"""Inputs the fuzzers of fuzz/ found to break the readers, kept as cases."""
import pytest

import mivora


@pytest.mark.parametrize(
    "text, lone",
    [
        ('{"nodes": [{"label": "\\udc00"}]}', "\\udc00"),
        ('{"nodes": [{"label": "a\\ud800\\udc00\\uDFFF"}]}', "\\uDFFF"),
        ('{"nodes": [], "\\udfff": 1}', "\\udfff"),
        ('{"nodes": [{"label": "a"}], "edges": [{"source": "a", "target": "\\udcaa", "weight": 1}]}', "\\udcaa"),
    ],
)
def test_json_lone_trailing_surrogate_is_refused(tmp_path, text, lone, panics):
    # It used to become a label that is not UTF-8, which no file written
    # from the graph could hold. Reported where the escape ends.
    column = text.index(lone) + len(lone)
    path = tmp_path / "graph.json"
    path.write_text(text)
    with panics() as raised:
        mivora.Graph.from_json_file(str(path))
    assert str(raised.value) == (
        f"Failed to read .json file: lone leading surrogate in hex escape at line 1 column {column}"
    )


def test_json_surrogate_pair_and_escaped_backslash_still_read(tmp_path):
    path = tmp_path / "graph.json"
    path.write_text('{"nodes": [{"label": "\\ud83d\\ude00 \\\\udc00"}]}')
    graph = mivora.Graph.from_json_file(str(path))
    assert [node.label for node in graph.nodes] == ["\U0001F600 \\udc00"]
    graph.output_json_file(str(path))
    assert [node.label for node in mivora.Graph.from_json_file(str(path)).nodes] == ["\U0001F600 \\udc00"]
