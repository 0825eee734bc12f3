"""The ids a file names its vertices by: sparse numbers cost no more than other names, and a Pajek
count of vertices that no line lists is bounded by the file's size."""
import os
import random
import subprocess
import sys
import textwrap
import threading

import pytest

import mivora
from mivora import Graph

SPARSE_IDS = {
    "edges.csv": "0 999999999\n999999999 4294967297\n",
    "g.gml": "graph [ node [ id 999999999 ] node [ id 0 ] edge [ source 0 target 999999999 ] ]",
    "g.graphml": '<graphml><graph edgedefault="undirected"><node id="999999999"/><node id="0"/>'
                 '<edge source="0" target="999999999"/></graph></graphml>',
    "g.gexf": '<gexf><graph><nodes><node id="999999999"/><node id="0"/></nodes>'
              '<edges><edge source="0" target="999999999"/></edges></graph></gexf>',
    "g.net": "*Vertices 2\n999999999\n0\n*Edges\n0 999999999\n",
    "g.json": '{"nodes": [{"label": "999999999"}, {"label": "0"}], "edges": [{"source": "0", "target": "999999999", "weight": 1}]}',
}


@pytest.mark.parametrize("name", SPARSE_IDS)
def test_a_large_numeric_id_costs_what_its_text_costs(tmp_path, name):
    path = tmp_path / name
    path.write_text(SPARSE_IDS[name])
    script = f"""
        import resource, mivora
        before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
        graph = mivora.Graph.read({str(path)!r})
        assert "999999999" in [node.label for node in graph.nodes], [node.label for node in graph.nodes]
        print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before)
    """
    grown_kib = int(subprocess.run([sys.executable, "-c", textwrap.dedent(script)], check=True, capture_output=True,
                                   text=True, env=dict(os.environ)).stdout)
    assert grown_kib < 64 * 1024


@pytest.mark.parametrize("prefix", ["", "n", "node "])
def test_numbered_ids_first_seen_sparse_and_then_dense_stay_one_vertex_each(tmp_path, prefix):
    # 300000 is first too large for the 300 ids around it and then, once
    # 80000 ids are held, small enough to be looked up by value. The ids of
    # other shapes (another prefix, a leading zero, no number) sit beside them.
    def id_(i):
        return f"{prefix}{i}"
    rows = [f"{id_(300000)},{id_(1)}"] + [f"{id_(i)},{id_(i + 1)}" for i in range(1, 80_000)]
    rows += [f"{id_(300001)},{id_(2)}", f"{id_(300000)},{id_(5)}", f"0{id_(300000)},{id_(7)}"]
    rng = random.Random(prefix)
    shapes = ["{}", "n{}", "n0{}", "node {}", "nn{}", "N{}", "{}x", "n", "n{}:", "n:{}", "n{}/7", "n4{}@"]
    rows += [",".join(rng.choice(shapes).format(rng.choice([rng.randrange(300), rng.randrange(10**10)]))
                      for _ in range(2)) for _ in range(3000)]
    path = tmp_path / "edges.csv"
    path.write_text("\n".join(rows) + "\n")
    graph = Graph.read(path)
    pairs = [row.split(",") for row in rows]
    labels = graph.labels()
    assert sorted(labels) == sorted({label for pair in pairs for label in pair})  # each id one vertex
    sources, targets, _, _ = graph.to_edges()
    assert sorted(sorted((labels[s], labels[t])) for s, t in zip(sources, targets)) == sorted(map(sorted, pairs))


@pytest.mark.parametrize("text, nodes", [
    ("*Vertices 65536\n*Edges\n1 65536\n", 65536),
    ("*Vertices 90000\n*Edges\n1 2\n" + "%" * 90_000 + "\n", 90000),  # one per byte of the file
    ("*Vertices 70000\n" + "".join(f"{i}\n" for i in range(1, 10_001)), 70000),  # 60000 unlisted
])
def test_pajek_vertices_without_lines_within_the_bound_are_read(tmp_path, text, nodes):
    path = tmp_path / "g.net"
    path.write_text(text)
    assert Graph.read(path).get_node_count() == nodes


@pytest.mark.parametrize("text, line, unlisted", [
    ("*Vertices 2000000000\n", 1, 2000000000),
    ("% a comment\n*Vertices 65537\n", 2, 65537),
    ("*Vertices 3000000\n1 \"a\"\n*Edges\n1 1\n", 1, 2999999),
])
def test_pajek_vertices_without_lines_beyond_the_file_are_refused(tmp_path, text, line, unlisted):
    path = tmp_path / "g.net"
    path.write_bytes(text.encode())
    with pytest.raises(mivora.FormatError) as raised:
        Graph.read(path)
    assert (raised.value.file_name, raised.value.line) == (str(path), line)
    assert f"leaves {unlisted} vertices without a line" in str(raised.value)
    assert f"a file of {len(text)} bytes" in str(raised.value)


def test_pajek_count_through_a_fifo_is_bounded_by_the_bytes_read(tmp_path):
    path = tmp_path / "pipe.net"
    os.mkfifo(path)
    writer = threading.Thread(target=lambda: path.write_bytes(b"*Vertices 2000000000\n*Edges\n"))
    writer.start()
    try:
        with pytest.raises(mivora.FormatError, match="more than the first 28 bytes may leave unlisted"):
            Graph.read(path)
    finally:
        if writer.is_alive():  # the read never opened the FIFO: let the writer's open return
            os.close(os.open(path, os.O_RDONLY | os.O_NONBLOCK))
        writer.join()
