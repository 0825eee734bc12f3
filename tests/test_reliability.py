"""Faults a hostile tester found: Python code run by the garbage collector in
the middle of a call, objects whose constructor never ran, calls that ignore
Ctrl-C, duplicate labels that cost memory or reach the terminal raw, targets
that are gone, and drawings that are not well-formed XML."""
import contextlib
import io
import os
import subprocess
import sys
import textwrap
import xml.etree.ElementTree as ET

import pytest

import mivora
from mivora import Graph, GraphStyle, Layout, Node
from sanitized_run import SANITIZED


def run_isolated(script):
    """Runs `script` in a fresh interpreter (a crash there fails the test, not the run)."""
    env = dict(os.environ)
    if SANITIZED:  # freed memory held in quarantine would read as growth
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"
    result = subprocess.run([sys.executable, "-c", textwrap.dedent(script)], capture_output=True,
                            text=True, timeout=300, env=env)
    assert result.returncode == 0, result.stderr[-3000:]
    return result.stdout


# ---- Python code run by a collection inside a call ----------------------------------------

# Ways a collection runs Python code; each calls `act()` while `armed`.
HOOKS = {
    "gc_callback": """
        gc.callbacks.append(lambda phase, info: phase == "start" and fire())
        def prime(): pass
    """,
    "finalizer": """
        class Cycle:
            def __del__(self): fire()
        def prime():
            c = Cycle(); c.me = c
    """,
    "weakref_callback": """
        class Cycle: pass
        refs = []
        def prime():
            c = Cycle(); c.me = c; refs.append(weakref.ref(c, lambda r: fire()))
    """,
}

# What the callback does to the graph while a result is being built, the call
# that builds it, and the sizes the result may have: the graph's before the
# call or, where collections run between calls (3.12 on), after the callback.
ATTACKS = {
    "nodes_grow_during_nodes": ("for i in range(3000): g.add_node(f'x{next(serial)}')",
                                "(g.nodes, g.nodes, g.nodes)", "g.get_node_count()"),
    "connections_grow_during_get_connections": ("for _ in range(3000): a.add_connection(b, 1.0, True)",
                                                "(g.get_connections(),)", "g.get_edge_count()"),
    "matrix_lists_walked_while_built": (
        "[len(x) for o in gc.get_objects() if type(o) is list for x in o if type(x) is list]",
        "(g.generate_adjacency_matrix(),)", "g.get_node_count()"),
    "community_lists_walked_while_built": (
        "[len(x) for o in gc.get_objects() if type(o) is list for x in o if type(x) is list]",
        "([m for c in g.communities(seed=1) for m in c],)", "g.get_node_count()"),
}


@pytest.mark.parametrize("hook", sorted(HOOKS))
@pytest.mark.parametrize("attack", sorted(ATTACKS))
def test_collection_calling_back_into_the_graph(hook, attack):
    act, call, size = ATTACKS[attack]
    run_isolated(f"""
        import gc, itertools, weakref
        import mivora
        g = mivora.Graph()
        for i in range(40): g.add_node(str(i))
        for i in range(39): g.create_connection(str(i), str(i + 1), 1.0, True)
        a, b = g.node_by_label('0'), g.node_by_label('1')
        serial = itertools.count()
        armed = False
        refused = []
        def fire():
            global armed
            if not armed: return
            armed = False
            try:
                {act}
            except RuntimeError as error:  # the graph is in use: refused
                refused.append(str(error))
        {textwrap.indent(textwrap.dedent(HOOKS[hook]), ' ' * 8).strip()}
        gc.set_threshold(1, 1, 1)
        kept = []  # nothing is freed meanwhile: the lists the calls make are new, not reused
        class Blob: pass
        for round in range(40):
            kept.append([[] for _ in range(100)])
            kept.append([Blob() for _ in range(round % 3)])  # shifts where the next collection falls
            prime()  # fresh garbage, collected by the first collection from here
            before = {size}
            armed = True
            result = {call}
            armed = False
            kept.append(result)
            assert {{len(r) for r in result}} <= {{before, before + 3000}}, (before, [len(r) for r in result])
        assert set(refused) <= {{'Already borrowed', 'Already mutably borrowed'}}, refused
        print('ok')
    """)


# ---- objects whose constructor never ran ----------------------------------------------------

# Replacing __new__ cannot be undone cleanly within one interpreter: each case
# runs in its own. `bare` is an instance whose constructor never ran; every
# use listed must raise the TypeError, and freeing it must not crash.
PRELUDE = """
    import inspect, mivora, tempfile
    from mivora import Graph, GraphStyle, Node
    def bare(cls):  # the type stays patched: genuine objects are made before
        cls.__new__ = lambda c, *a, **k: object.__new__(c)
        return cls()
    def refused(use):
        try:
            use()
        except TypeError as error:
            assert str(error).endswith("object was not initialised by its constructor"), error
        else:
            raise AssertionError("accepted")
"""

UNCONSTRUCTED_USES = {
    "Graph": """
        folder = tempfile.mkdtemp()
        values = {"node": Node("x"), "weight": 1.0, "directed": False, "file_name": folder + "/out"}
        graph = bare(Graph)
        methods = [name for name in dir(Graph) if not name.startswith("_")
                   and type(inspect.getattr_static(Graph, name)).__name__ == "method_descriptor"]
        assert len(methods) >= 20, methods
        for name in methods:
            needed = [p.name for p in inspect.signature(getattr(Graph, name)).parameters.values()
                      if p.name != "self" and p.default is inspect.Parameter.empty]
            refused(lambda: getattr(graph, name)(*[values.get(p, "a") for p in needed]))
        refused(lambda: graph.nodes)
    """,
    "Node": """
        genuine = Node("x")
        node = bare(Node)
        refused(lambda: node.label)
        refused(lambda: repr(node))
        refused(lambda: node.add_connection(genuine, 1.0, False))
        refused(lambda: genuine.add_connection(node, 1.0, False))
    """,
    "GraphStyle": """
        fresh, graph = GraphStyle(), Graph()
        style = bare(GraphStyle)
        for field in ("node_color", "node_radius", "marker_svg", "line_max_width", "dynamic_line_size"):
            refused(lambda: getattr(style, field))
            refused(lambda: setattr(style, field, getattr(fresh, field)))
        refused(lambda: graph.output_svg(style=style))
    """,
}


@pytest.mark.parametrize("type_name", sorted(UNCONSTRUCTED_USES))
def test_object_whose_constructor_never_ran_is_refused(type_name):
    script = textwrap.dedent(PRELUDE) + textwrap.dedent(UNCONSTRUCTED_USES[type_name])
    assert run_isolated(script + "\nprint('ok')\n").strip() == "ok"


# ---- Ctrl-C during long calls ------------------------------------------------------------------

def test_spring_layout_stops_at_ctrl_c_and_leaves_positions(tmp_path, ctrl_c_after):
    n = 8000
    path = tmp_path / "ring.net"
    path.write_text(f"*Vertices {n}\n" + "".join(f'{i + 1} "{i}" 0.5 0.25\n' for i in range(n))
                    + "*Edges\n" + "".join(f"{i + 1} {i % n + 2 if i + 1 < n else 1} 1\n" for i in range(n)))
    graph = Graph.from_net_file(str(path))
    before = graph.output_svg()  # the stored positions
    with pytest.raises(KeyboardInterrupt), ctrl_c_after(0.2):
        graph.output_svg(Layout.Spring, override_positions=True)
    assert graph.output_svg() == before


# ---- duplicate labels ------------------------------------------------------------------------

def test_duplicate_add_node_keeps_no_memory():
    # Each new node is followed by many duplicates of it; a duplicate that
    # kept anything would keep every pool block alive (about 22 MB here).
    out = run_isolated("""
        import contextlib, gc, os, mivora
        def resident():
            with open('/proc/self/statm') as statm:
                return int(statm.read().split()[1]) * os.sysconf('SC_PAGE_SIZE')
        class Sink:
            def write(self, text): pass
            def flush(self): pass
        g = mivora.Graph()
        with contextlib.redirect_stdout(Sink()):
            for i in range(200): g.add_node(str(i))
            gc.collect()
            before = resident()
            for i in range(2000):
                label = f'node {i}'
                for _ in range(100): g.add_node(label)
        gc.collect()
        print(resident() - before, g.get_node_count())
    """)
    growth, count = map(int, out.split())
    assert count == 2200
    assert growth < 8 * 2**20, growth


@pytest.mark.parametrize("label, shown", [
    ("A", "A"),
    ("caf\u00e9 \\ ok", "caf\u00e9 \\ ok"),
    ("\x1b[31mred", "\\x1b[31mred"),
    ("forged\nNode with label 'x' already exists!", "forged\\x0aNode with label 'x' already exists!"),
    ("bell\a del\x7f csi\x9b", "bell\\x07 del\\x7f csi\\x9b"),
    ("tab\tcr\r", "tab\\x09cr\\x0d"),
])
def test_duplicate_message_goes_through_sys_stdout_escaped(capsys, label, shown):
    graph = Graph()
    graph.add_node(label)
    assert capsys.readouterr().out == ""
    redirected = io.StringIO()
    with contextlib.redirect_stdout(redirected):
        assert graph.add_node(label).label == label
    assert redirected.getvalue() == f"Node with label '{shown}' already exists!\n"
    assert graph.get_node_count() == 1


def test_duplicate_message_of_a_file_label_is_escaped(tmp_path, capsys):
    path = tmp_path / "twice.net"
    path.write_bytes(b'*Vertices 2\n1 "a\x1bb"\n2 "a\x1bb"\n')
    assert Graph.from_net_file(str(path)).get_node_count() == 1
    assert capsys.readouterr().out == "Node with label 'a\\x1bb' already exists!\n"


# ---- targets that are gone ----------------------------------------------------------------------

def graph_with_lost_target(extra_labels):
    graph = Graph()
    for label in ["A", "B", *extra_labels]:
        graph.add_node(label)
    graph.create_connection("A", "B", 2.0, True)
    graph.node_by_label("A").add_connection(Node("gone"), 1.0, True)
    graph.node_by_label("B").add_connection(Node("gone too"), 1.0, False)
    import gc
    gc.collect()
    return graph


@pytest.mark.parametrize("removed_label", ["[Removed]", "gone"])
def test_lost_target_counts_for_no_node_whatever_the_labels(removed_label, panics):
    plain = graph_with_lost_target([])
    labelled = graph_with_lost_target([removed_label])
    assert [c["to"] for c in labelled.get_connections()] == ["B", "[Removed]", "[Removed]"]
    zero = {"in_degree": 0, "out_degree": 0, "total_degree": 0, "undirected_degree": 0}
    assert labelled.compute_degrees(removed_label) == zero
    everything = labelled.get_all_nodes_degrees()
    assert everything.pop(removed_label) == zero
    assert everything == plain.get_all_nodes_degrees()
    assert labelled.get_degree_distribution()["in_distribution"] == pytest.approx({0: 2 / 3, 1: 1 / 3})
    assert labelled.bfs("A") == plain.bfs("A") == ["A", "B"]
    assert labelled.dfs("A") == ["A", "B"]
    for call in (Graph.generate_adjacency_matrix, lambda g: g.dijkstra("A"), Graph.output_svg):
        for graph in (plain, labelled):
            with panics("no entry found for key"):
                call(graph)


# ---- drawings as XML ----------------------------------------------------------------------------

FORBIDDEN = "".join(chr(c) for c in range(0x20) if chr(c) not in "\t\n\r") + "\ufffe\uffff"


def drawn_labels(svg_text):
    root = ET.fromstring(svg_text)
    return [t.text or "" for t in root.iter("{http://www.w3.org/2000/svg}text")]


@pytest.mark.parametrize("label, drawn", [
    ("plain <&> \"quoted\"", "plain <&> \"quoted\""),
    ("esc\x1b[0m", "esc\ufffd[0m"),
    ("nul\x00 vt\x0b ff\x0c", "nul\ufffd vt\ufffd ff\ufffd"),
    (FORBIDDEN, "\ufffd" * len(FORBIDDEN)),
    ("tab\tkept \U0001f600 \ufffd", "tab\tkept \U0001f600 \ufffd"),
])
def test_svg_of_any_label_is_well_formed(tmp_path, label, drawn):
    graph = Graph()
    graph.add_node(label)
    graph.add_node("other")
    graph.create_connection(label, "other", 1.0, True)
    assert drawn_labels(graph.output_svg()) == [drawn, "other"]
    page = tmp_path / "page.html"
    graph.output_html(str(page))
    text = page.read_bytes().decode("utf-8")
    svg = text[text.index("<svg"):text.index("</svg>") + len("</svg>")]
    assert drawn_labels(svg) == [drawn, "other"]


def test_svg_of_labels_read_from_bytes_is_well_formed(tmp_path):
    path = tmp_path / "bytes.net"
    path.write_bytes(b'*Vertices 2\n1 "a\x01b" 0.1 0.1\n2 "c\x7fd" 0.5 0.5\n*Arcs\n1 2 1\n')
    graph = Graph.from_net_file(str(path))
    assert drawn_labels(graph.output_svg()) == ["a\ufffdb", "c\x7fd"]


# ---- file content quoted in messages -------------------------------------------------------------

HOSTILE = "\x1b[31m\x07\x7f\u009b" + "x" * 3000


@pytest.mark.parametrize("name, content", [
    ("g.net", '*Vertices 2\n1 "a"\n2 "b"\n*Arcs\n1 ' + HOSTILE + " 2\n"),
    ("g.gml", "graph [ node [ id 1 graphics [ x 1e5e" + "9" * 3000 + " ] ] ]"),
], ids=["pajek-line", "gml-number"])
def test_file_content_in_messages_is_escaped_and_cut_short(tmp_path, name, content):
    path = tmp_path / name
    path.write_text(content)
    with pytest.raises(ValueError) as raised:
        mivora.Graph.read(path)
    message = str(raised.value)
    assert not any(ord(c) < 0x20 or 0x7f <= ord(c) <= 0x9f for c in message), message
    assert len(message) < 600 and "..." in message, message
    assert "\\x1b[31m\\x07\\x7f\\x9b" in message or "9" * 50 in message


def test_duplicate_message_of_a_long_label_is_cut_short():
    label = "\x1b" + "y" * 10_000
    graph = Graph()
    graph.add_node(label)
    redirected = io.StringIO()
    with contextlib.redirect_stdout(redirected):
        graph.add_node(label)
    assert redirected.getvalue() == "Node with label '\\x1b" + "y" * 199 + "...' already exists!\n"
