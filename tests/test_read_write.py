"""Graph.read / Graph.write, the Pajek format in full, and file safety (replacement, interruption)."""
import json
import math
import os
import random
import resource
import shutil
import stat
import subprocess
import sys
import tempfile
import threading
import warnings
from pathlib import Path

import igraph
import networkx as nx
import pytest

import mivora
from mivora import Graph

DATA = Path(__file__).parent / "data"


def connections(graph):
    return [(c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections()]


def labels(graph):
    return [node.label for node in graph.nodes]


def positions(graph, tmp_path):
    """[(label, x, y)] in node order, None where absent (through our own JSON)."""
    path = tmp_path / "positions.json"
    graph.write(path)
    return [(n["label"], n["x"], n["y"]) for n in json.loads(path.read_text())["nodes"]]


def random_graph(seed, nodes=40, links=120):
    rng = random.Random(seed)
    graph = Graph()
    names = [f"n {i}" if i % 3 else f"n{i}" for i in range(nodes)]
    for name in names:
        graph.add_node(name)
    directed = rng.random() < 0.5
    for _ in range(links):
        graph.create_connection(rng.choice(names), rng.choice(names), round(rng.uniform(0.1, 9), 2), directed)
    return graph


# ---- the Pajek format ---------------------------------------------------------------------


@pytest.mark.parametrize("name, expected_labels, expected_connections", [
    ("padded.net", ["Alpha  One", "B", "C", "D  "],
     [("Alpha  One", "B", 2.5, True), ("B", "C", 1.5, True), ("C", "D  ", 1.0, False), ("D  ", "D  ", -1.0, False)]),
    ("two_mode.net", ["p1", "p2", "c1", "c2"], [("p1", "c1", 1.0, False), ("p2", "c1", 1.0, False), ("p2", "c2", 2.0, False)]),
    ("matrix.net", ["a", "b", "c"], [("a", "b", 1.0, True), ("b", "c", 3.0, True), ("c", "a", 1.0, True), ("c", "c", 1.0, True)]),
    ("lists.net", ["1", "2", "3", "4", "5"],
     [("1", "2", 1.0, True), ("1", "3", 1.0, True), ("4", "5", 1.0, False), ("4", "1", 1.0, False)]),
    ("project.paj", ["x", "y"], [("x", "y", 1.0, False)]),
    ("unquoted.net", ["zero", "one", "2"], [("zero", "one", 1.0, False), ("one", "2", 1.0, False)]),
    ("relations.net", ["Hainault", "b", "c"], [("Hainault", "b", 1.0, True), ("b", "c", 0.25, False)]),
    ("cr_only.net", ["a", "a", "b"], [("a", "a", 1.0, False), ("a", "b", 1.0, False)]),
])
def test_pajek_features(name, expected_labels, expected_connections):
    with warnings.catch_warnings(record=True):
        warnings.simplefilter("always")
        graph = Graph.read(DATA / "pajek" / name)
    assert labels(graph) == expected_labels
    assert connections(graph) == expected_connections


@pytest.mark.parametrize("ending", ["\n", "\r\n", "\r"])
@pytest.mark.parametrize("shift", [-2, -1, 0, 1])
def test_line_ends_across_read_chunks(tmp_path, ending, shift):
    # Long labels put line ends (and the two halves of a CRLF) on every side
    # of the 64 KiB chunk boundary, for the first chunk and for later ones.
    head = "*Vertices 3" + ending
    k = 65536 - len(head) - 4 + shift  # the first line's ending lands at the boundary
    text = (head + f'1 "{"a" * k}"' + ending + f'2 "{"b" * 70000}"' + ending + '3 "c"' + ending
            + "*Edges" + ending + "1 3 2" + ending + "2 3 1")
    (tmp_path / "g.net").write_bytes(text.encode())
    for graph in [Graph.read(tmp_path / "g.net"), Graph.from_net_file(str(tmp_path / "g.net"))]:
        assert [len(label) for label in labels(graph)] == [k, 70000, 1]
        assert [c[2] for c in connections(graph)] == [2.0, 1.0]


def test_pajek_positions_on_canvas_and_in_file_units(tmp_path):
    path = DATA / "pajek" / "padded.net"
    placed = positions(Graph.read(path), tmp_path)
    assert placed[:3] == [("Alpha  One", pytest.approx(168.0), pytest.approx(156.0)),
                          ("B", pytest.approx(464.0), pytest.approx(292.0)),
                          ("C", pytest.approx(760.0), pytest.approx(428.0))]
    assert placed[3] == ("D  ", None, None)
    assert positions(Graph.read(path, positions="file"), tmp_path)[0] == ("Alpha  One", 0.1, 0.2)


def test_pajek_positions_outside_the_unit_square_fit_the_canvas(tmp_path):
    text = '*Vertices 3\n1 "a" -100 0\n2 "b" 100 50\n3 "c" 0 25\n'
    (tmp_path / "g.net").write_text(text)
    placed = positions(Graph.read(tmp_path / "g.net"), tmp_path)
    # Width 200 and height 50 scaled by one factor (1480 / 200) and centred vertically.
    scale = 1480 / 200
    top = 20 + (680 - 50 * scale) / 2
    assert placed == [("a", pytest.approx(20.0), pytest.approx(top)), ("b", pytest.approx(1500.0), pytest.approx(top + 50 * scale)),
                      ("c", pytest.approx(760.0), pytest.approx(top + 25 * scale))]


def test_pajek_repeated_labels_are_kept_with_a_warning():
    with pytest.warns(UserWarning, match=r"cr_only\.net: 1 vertex repeats the label of an earlier vertex \(first: 'a'\)"):
        graph = Graph.read(DATA / "pajek" / "cr_only.net")
    assert graph.get_node_count() == 3 and graph.node_by_label("a") is not None


def test_pajek_encodings():
    assert labels(Graph.read(DATA / "pajek" / "cp1252.net", encoding="cp1252"))[0] == "Café – ü"
    assert labels(Graph.read(DATA / "pajek" / "cp1252.net", encoding="latin-1"))[0] == "Caf\xe9 \x96 \xfc"
    with pytest.raises(mivora.FormatError, match="line 2: stream did not contain valid UTF-8"):
        Graph.read(DATA / "pajek" / "cp1252.net", encoding="utf-8")
    with pytest.warns(UserWarning, match="not UTF-8; read as cp1252"):
        assert labels(Graph.read(DATA / "pajek" / "cp1252.net"))[0] == "Café – ü"
    with pytest.raises(ValueError, match="unknown encoding 'ebcdic'"):
        Graph.read(DATA / "pajek" / "cp1252.net", encoding="ebcdic")


def expected_failures(folder):
    for line in (DATA / folder / "EXPECTED.txt").read_text().splitlines():
        name, message = line.split("\t")
        yield pytest.param(DATA / folder / name, message, id=name)


@pytest.mark.parametrize("path, message", list(expected_failures("bad_pajek")))
def test_pajek_refuses_bad_files(path, message):
    with pytest.raises(mivora.FormatError) as raised:
        Graph.read(path, encoding="utf-8")  # told: no encoding guess
    assert str(raised.value) == f"{path}, {message}"
    error = raised.value
    assert isinstance(error, ValueError) and error.file_name == str(path)
    assert error.line == int(message.split(":")[0].split()[1]) and error.column == 0


@pytest.mark.parametrize("text, line, column, what", [
    ('{"nodes": [\n  {"label": 3}]}', 2, 13, "invalid type: integer `3`, expected a string"),
    ('{"nodes": [{"label": "a"}],\n "arcs": [{"source": "a", "target": "b", "weight": 1}]}', 0, 0,
     "the target 'b' of a connection names no node"),
])
def test_json_format_errors_say_where(tmp_path, text, line, column, what):
    path = tmp_path / "g.json"
    path.write_text(text)
    with pytest.raises(mivora.FormatError) as raised:
        Graph.read(path)
    where = f", line {line}, column {column}" if line else ""
    assert str(raised.value) == f"{path}{where}: {what}"
    assert (raised.value.line, raised.value.column, raised.value.file_name) == (line, column, str(path))


def test_large_vertex_count_in_a_tiny_file_reserves_nothing_big(tmp_path):
    path = tmp_path / "big.net"
    path.write_text("*Vertices 4194304\n1 \"a\"\n")  # a count only, for from_net_file
    script = ("import mivora, sys\n"
              "def peak():\n"
              "    return next(int(l.split()[1]) for l in open('/proc/self/status') if l.startswith('VmPeak'))\n"
              "before = peak()\n"
              f"for _ in range(4): mivora.Graph.from_net_file({str(path)!r})\n"
              "print(peak() - before)\n")
    grown_kib = int(subprocess.run([sys.executable, "-c", script], check=True, capture_output=True, text=True,
                                   env={**os.environ}).stdout)
    assert grown_kib < 16 * 1024


# ---- Graph.read / Graph.write -------------------------------------------------------------


@pytest.mark.parametrize("seed", range(4))
@pytest.mark.parametrize("fmt, suffix", [("pajek", ".net"), ("json", ".json"), ("pajek", ".PAJ")])
def test_write_read_round_trip(tmp_path, seed, fmt, suffix):
    graph = random_graph(seed)
    path = tmp_path / f"g{suffix}"
    graph.write(path)
    again = Graph.read(str(path))
    assert labels(again) == labels(graph)
    assert connections(again) == connections(graph)


def test_pajek_special_weights_round_trip(tmp_path):
    graph = Graph()
    graph.add_node("a")
    for weight in [math.inf, -math.inf, math.nan, 1e20, -0.0, 1.5e-7]:
        graph.create_connection("a", "a", weight, True)
    graph.write(tmp_path / "g.net")
    assert [repr(c[2]) for c in connections(Graph.read(tmp_path / "g.net"))] == [repr(c[2]) for c in connections(graph)]


def test_round_trip_keeps_positions_and_our_own_files_read_back(tmp_path):
    graph = Graph.read(DATA / "pajek" / "padded.net")
    expected = positions(graph, tmp_path)
    for name, write in [("a.net", graph.write), ("b.json", graph.write), ("c.net", graph.output_net_file)]:
        write(str(tmp_path / name))
        again = Graph.read(tmp_path / name)
        assert positions(again, tmp_path) == [(l, pytest.approx(x), pytest.approx(y)) if x is not None else (l, x, y)
                                              for l, x, y in expected]
        assert connections(again) == connections(graph)


@pytest.mark.parametrize("seed", range(3))
def test_peers_read_our_pajek(tmp_path, seed):
    graph = random_graph(seed)
    path = tmp_path / "g.net"
    graph.write(path)
    total = sum(c[2] for c in connections(graph))
    theirs = nx.read_pajek(path)
    assert theirs.number_of_nodes() == graph.get_node_count()
    assert theirs.number_of_edges() == graph.get_edge_count()
    assert sum(w for *_, w in theirs.edges(data="weight")) == pytest.approx(total, rel=1e-5)
    assert sorted(theirs.nodes) == sorted(labels(graph))
    other = igraph.Graph.Read_Pajek(str(path))
    assert (other.vcount(), other.ecount()) == (graph.get_node_count(), graph.get_edge_count())
    assert sum(other.es["weight"]) == pytest.approx(total, rel=1e-5)
    assert other.is_directed() == connections(graph)[0][3]


@pytest.mark.parametrize("seed", range(3))
def test_we_read_peers_pajek(tmp_path, seed):
    rng = random.Random(seed)
    theirs = nx.gnm_random_graph(30, 80, seed=seed, directed=seed % 2 == 1)
    for u, v in theirs.edges:
        theirs[u][v]["weight"] = round(rng.uniform(0.5, 5), 3)
    nx.relabel_nodes(theirs, {n: f"v {n}" for n in theirs}, copy=False)
    nx.write_pajek(theirs, tmp_path / "nx.net")
    ours = Graph.read(tmp_path / "nx.net")
    assert sorted(labels(ours)) == sorted(theirs.nodes)
    assert sorted((a, b, pytest.approx(w)) for a, b, w, _ in connections(ours)) == sorted(
        (a, b, w) if theirs.is_directed() or a <= b else (a, b, w) for a, b, w in theirs.edges(data="weight")
    ) or ours.get_edge_count() == theirs.number_of_edges()
    assert ours.get_total_weight() == pytest.approx(theirs.size(weight="weight"), rel=1e-5)
    other = igraph.Graph.Erdos_Renyi(n=25, m=60, directed=seed % 2 == 0)
    other.vs["name"] = [f"w{i}" for i in range(25)]
    other.es["weight"] = [float(i % 7 + 1) for i in range(60)]
    other.write_pajek(str(tmp_path / "ig.net"))
    ours = Graph.read(tmp_path / "ig.net")
    assert (ours.get_node_count(), ours.get_edge_count()) == (25, 60)
    assert ours.get_total_weight() == pytest.approx(sum(other.es["weight"]))
    assert all(c[3] == other.is_directed() for c in connections(ours))


@pytest.mark.parametrize("call, error, message", [
    (lambda p: Graph.read(p / "missing.net"), FileNotFoundError, "missing.net"),
    (lambda p: Graph.read(p / "dir.net"), IsADirectoryError, "dir.net"),
    (lambda p: Graph.read(p / "file.net" / "x.net"), NotADirectoryError, "x.net"),
    (lambda p: Graph().write(p / "missing" / "x.net"), FileNotFoundError, "x.net"),
    (lambda p: Graph().write(p / "dir.net"), IsADirectoryError, "dir.net"),
    (lambda p: Graph().write("/dev/full", format="pajek"), OSError, "No space left"),
    (lambda p: Graph.read(p / "a.foo"), FileNotFoundError, "a.foo"),  # an unknown extension: the content decides
    (lambda p: Graph.read(p / "file.net", format="dot"), ValueError, "unknown format 'dot': expected 'pajek'"),
    (lambda p: Graph.read(p / "file.net", directed=True), ValueError, "directed= applies to edge lists only"),
    (lambda p: Graph.read(p / "file.net", positions="screen"), ValueError, "positions must be 'canvas' or 'file'"),
    (lambda p: Graph.read("a\0.net"), ValueError, "NUL byte"),
    (lambda p: Graph.read(p / "file.net", "pajek", "utf-8"), TypeError, "takes from 1 to 2 positional arguments but 3 were given"),
    (lambda p: Graph.read(3), TypeError, "file_path"),
    (lambda p: Graph().write(p / "x.net", sync=None), TypeError,
     "argument 'sync': 'NoneType' object cannot be converted to 'PyBool'"),
    (lambda p: Graph().write(p / "x.net", sync=0), TypeError, "argument 'sync': 'int' object cannot be converted to 'PyBool'"),
    (lambda p: Graph().write(p / "x.net", "pajek", True), TypeError, "takes from 1 to 2 positional arguments but 3 were given"),
])
def test_read_write_errors(tmp_path, call, error, message):
    (tmp_path / "dir.net").mkdir()
    (tmp_path / "file.net").write_text("*Vertices 1\n1 \"a\"\n")
    with pytest.raises(error, match=message):
        call(tmp_path)


# ---- mended faults -----------------------------------------------------------------------


def test_pajek_numbers_are_written_with_the_fewest_digits(tmp_path):
    (tmp_path / "g.json").write_text(json.dumps({"nodes": [{"label": "a", "x": 1.48e24 + 20, "y": 20.0}],
                                                 "arcs": [{"source": "a", "target": "a", "weight": 1e20}]}))
    graph = Graph.from_json_file(str(tmp_path / "g.json"))
    graph.output_net_file(str(tmp_path / "g.net"))
    assert (tmp_path / "g.net").read_text() == '*Vertices\n0 "a" 1000000000000000000000 0\n*Arcs\n0 0 100000000000000000000\n'


@pytest.mark.parametrize("label", ["a\nb", "a\rb", "x *Arcs", "*edges", "*VERTICES 3"])
@pytest.mark.parametrize("writer", ["output_net_file", "write"])
def test_pajek_writers_refuse_labels_that_break_the_file(tmp_path, label, writer):
    path = tmp_path / "g.net"
    path.write_text("old")
    graph = Graph()
    graph.add_node(label)
    with pytest.raises(ValueError, match="label"):
        getattr(graph, writer)(str(path))
    assert path.read_text() == "old" and os.listdir(tmp_path) == ["g.net"]


def test_foreign_targets_are_written_by_label(tmp_path):
    graph, other = Graph(), Graph()
    graph.add_node("first")
    a = graph.add_node("a")
    x = other.add_node("x")
    graph.add_node("x")
    a.add_connection(x, 2.0, True)  # x is node 0 of `other` but node 2 here
    for name in ["g.net", "h.net", "g.json"]:
        (graph.output_net_file if name == "g.net" else graph.write)(str(tmp_path / name))
        assert connections(Graph.read(tmp_path / name)) == [("a", "x", 2.0, True)]
    lonely = Graph()
    lonely.add_node("a").add_connection(x, 1.0, False)
    with pytest.raises(ValueError, match="node 'x' of another graph"):
        lonely.write(tmp_path / "lonely.net")


def test_json_null_weight_reads_as_nan(tmp_path):
    graph = Graph()
    graph.add_node("a")
    graph.create_connection("a", "a", math.inf, True)
    graph.create_connection("a", "a", math.nan, False)
    graph.output_json_file(str(tmp_path / "g.json"))
    for again in [Graph.from_json_file(str(tmp_path / "g.json")), Graph.read(tmp_path / "g.json")]:
        assert [math.isnan(c[2]) for c in connections(again)] == [True, True]


def open_descriptors():
    return len(os.listdir("/proc/self/fd"))


@pytest.fixture(params=["disk", "shm"])
def any_directory(request, tmp_path):
    """A directory on disk, or one in /dev/shm (a tmpfs under /dev)."""
    if request.param == "disk":
        yield tmp_path
        return
    if not os.path.isdir("/dev/shm"):
        pytest.skip("no /dev/shm")
    with tempfile.TemporaryDirectory(dir="/dev/shm") as directory:
        yield Path(directory)


@pytest.mark.parametrize("writer", ["output_net_file", "output_json_file", "output_html", "write_net", "write_json"])
def test_failed_writes_leave_the_old_file_and_no_descriptor(any_directory, writer):
    tmp_path = any_directory
    graph = random_graph(1, nodes=3000, links=20000)
    path = tmp_path / ("g.html" if writer == "output_html" else "g.json" if "json" in writer else "g.net")
    path.write_text("the old content")
    os.chmod(path, 0o640)
    call = (lambda: graph.write(str(path))) if writer.startswith("write") else (lambda: getattr(graph, writer)(str(path)))
    before = open_descriptors()
    soft, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
    resource.setrlimit(resource.RLIMIT_FSIZE, (64 * 1024, hard))
    try:
        with pytest.raises(BaseException, match="File too large"):
            call()
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, (soft, hard))
    assert path.read_text() == "the old content" and os.listdir(tmp_path) == [path.name]
    assert open_descriptors() == before
    call()
    assert path.stat().st_size > 64 * 1024 and stat.S_IMODE(path.stat().st_mode) == 0o640
    assert os.listdir(tmp_path) == [path.name]


@pytest.mark.skipif(shutil.which("strace") is None, reason="needs strace")
@pytest.mark.parametrize("sync, synced", [("", ["fsync", "rename", "fsync"]), (", sync=False", ["rename"])])
def test_temporary_is_created_narrow_and_synced_before_and_after_the_rename(tmp_path, sync, synced):
    target = tmp_path / "secret.net"
    target.write_text("old")
    os.chmod(target, 0o600)
    trace = tmp_path / "trace"
    # The leak checker of a sanitized run cannot work under ptrace.
    env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
    # aarch64 has no rename system call: glibc's rename() is renameat there.
    subprocess.run(["strace", "-f", "-o", str(trace), "-e", "trace=openat,fchmod,write,fsync,rename,renameat,renameat2",
                    sys.executable, "-c", f"import mivora; g = mivora.Graph(); g.add_node('a'); g.write({str(target)!r}{sync})"],
                   check=True, env=env, capture_output=True)
    calls = [line.split(None, 1)[1] for line in trace.read_text().splitlines() if ".tmp" in line or "fsync" in line
             or "fchmod" in line or ("write(" in line and "Vertices" in line)]
    created = next(i for i, call in enumerate(calls) if call.startswith("openat") and "O_CREAT" in call)
    assert calls[created].rstrip().endswith("0600) = " + calls[created].rsplit("= ", 1)[1]), calls[created]
    same_call = {"renameat": "rename", "renameat2": "rename"}
    order = [same_call.get(name, name) for name in (call.split("(")[0] for call in calls[created:])]
    assert order == ["openat", "fchmod", "write"] + synced, calls
    assert stat.S_IMODE(target.stat().st_mode) == 0o600 and target.read_text().startswith("*Vertices 1")


def test_writes_to_a_fifo_and_through_a_symbolic_link_happen_in_place(tmp_path):
    graph = random_graph(2)
    fifo = tmp_path / "pipe.net"
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(Path(fifo).read_bytes()))
    reader.start()
    graph.write(fifo)
    reader.join()
    assert received[0].startswith(b"*Vertices 40\n")
    (tmp_path / "real.net").write_text("old")
    os.symlink(tmp_path / "real.net", tmp_path / "link.net")
    graph.write(tmp_path / "link.net")
    assert (tmp_path / "link.net").is_symlink() and (tmp_path / "real.net").read_text().startswith("*Vertices 40")


@pytest.mark.parametrize("call", [
    lambda fifo: Graph.read(fifo, format="pajek"),
    lambda fifo: Graph.from_net_file(str(fifo)),
    lambda fifo: Graph.from_json_file(str(fifo)),
    lambda fifo: Graph().write(fifo, format="json"),
    lambda fifo: Graph().output_net_file(str(fifo)),
    lambda fifo: Graph.read("/dev/zero", format="pajek"),
    lambda fifo: Graph.read("/dev/zero", format="json"),
    lambda fifo: Graph.from_net_file("/dev/zero"),
])
def test_ctrl_c_ends_reads_and_writes_that_never_finish(tmp_path, call, ctrl_c_after):
    fifo = tmp_path / "nobody.net"
    os.mkfifo(fifo)  # no writer and no reader ever comes
    with pytest.raises(KeyboardInterrupt), ctrl_c_after(0.05):
        call(fifo)


@pytest.mark.parametrize("side", ["read", "write"])
@pytest.mark.parametrize("delay", [0.0, 0.2])
def test_other_threads_run_while_a_fifo_waits_for_its_other_end(tmp_path, side, delay):
    # The other end is opened by the main thread after the worker started to
    # wait (delay 0.2) or while it opens, reads or writes (delay 0: several
    # rounds, so that the worker also blocks inside a read or a write).
    script = f"""
import os, threading, time, mivora
for round in range({1 if delay else 10}):
    fifo = os.path.join({str(tmp_path)!r}, f"pipe{{round}}.net")
    os.mkfifo(fifo)
    result = []
    if {side!r} == "read":
        worker = threading.Thread(target=lambda: result.append(mivora.Graph.read(fifo, format="pajek").get_node_count()))
        worker.start()
        time.sleep({delay})
        with open(fifo, "w") as end:
            end.write("*Vertices 2\\n1 \\"a\\"\\n2 \\"b\\"\\n*Arcs\\n1 2 1\\n")
        worker.join()
        assert result == [2]
    else:
        def write():
            g = mivora.Graph(); g.add_node("a"); g.write(fifo, format="pajek")
        worker = threading.Thread(target=write)
        worker.start()
        time.sleep({delay})
        with open(fifo) as end:
            assert end.read().startswith("*Vertices 1")
        worker.join()
"""
    subprocess.run([sys.executable, "-c", script], check=True, timeout=60)  # the timeout only detects the hang
