"""GraphML keys: which key gives labels and weights, and what many keys (GEXF attributes) cost."""
import subprocess
import sys
import textwrap

import networkx as nx
import pytest

import mivora
from mivora import Graph
from attribute_access import link_columns, node_columns
from sanitized_run import SANITIZED


def read_text(tmp_path, text, name="g.graphml"):
    path = tmp_path / name
    path.write_text(text, encoding="utf-8")
    return Graph.read(str(path))


def round_trip(tmp_path, graph, suffix=".graphml"):
    path = tmp_path / ("back" + suffix)
    graph.write(str(path))
    return Graph.read(str(path))


def snapshot(graph):
    return ([node.label for node in graph.nodes], graph.get_connections(), node_columns(graph), link_columns(graph))


# ---- a column named like the label or the weight in another case --------------------------


@pytest.mark.parametrize("suffix", [".graphml", ".gexf"])
@pytest.mark.parametrize("node_name, link_name", [("Label", "Weight"), ("LABEL", "WEIGHT"), ("lAbEl", "weighT")])
def test_columns_named_like_label_or_weight_round_trip_as_columns(tmp_path, suffix, node_name, link_name):
    graph = Graph()
    for label in ("a", "b", "c"):
        graph.add_node(label)
    graph.create_connection("a", "b", 2.5, True)
    graph.create_connection("b", "c", 0.25, True)
    graph.set_node_attribute(node_name, ["x", None, "z"])
    graph.set_edge_attribute(link_name, [7.0, 8.0])
    assert snapshot(round_trip(tmp_path, graph, suffix)) == snapshot(graph)


def key(key_id, domain, name=None, kind="string", default=None):
    named = "" if name is None else f' attr.name="{name}"'
    body = "/>" if default is None else f"><default>{default}</default></key>"
    return f'<key id="{key_id}" for="{domain}"{named} attr.type="{kind}"{body}'


def document(keys, node_data, edge_data):
    return (f'<graphml>{"".join(keys)}<graph edgedefault="directed">'
            f'<node id="p">{node_data}</node><node id="q"/>'
            f'<edge source="p" target="q">{edge_data}</edge></graph></graphml>')


# keys, the label of node p, its columns, the weight, the link's columns
READINGS = {
    "only a case variant gives labels and weights": (
        [key("a", "node", "LABEL"), key("w", "edge", "Weight", "double")],
        '<data key="a">A</data>', '<data key="w">3</data>', "A", {}, 3.0, {}),
    "an exact key wins, the variant is a column": (
        [key("a", "node", "Label"), key("b", "node", "label"),
         key("v", "edge", "WEIGHT", "double", default="9"), key("w", "edge", "weight", "double")],
        '<data key="a">A</data><data key="b">B</data>', '<data key="v">3</data><data key="w">4</data>',
        "B", {"Label": ["A", None]}, 4.0, {"WEIGHT": [3.0]}),
    "a variant's default neither labels nor weighs once an exact key is declared": (
        [key("v", "edge", "Weight", "double", default="9"), key("w", "edge", "weight", "double"),
         key("a", "node", "LABEL", default="dflt"), key("b", "node", "label")],
        "", "", "p", {"LABEL": ["dflt", "dflt"]}, 1.0, {"Weight": [9.0]}),
    "a key without attr.name is named by its id": (
        [key("LABEL", "node"), key("Weight", "edge", kind="double")],
        '<data key="LABEL">A</data>', '<data key="Weight">5</data>', "p", {"LABEL": ["A", None]}, 1.0,
        {"Weight": [5.0]}),
}


@pytest.mark.parametrize("case", list(READINGS))
def test_which_key_gives_labels_and_weights(tmp_path, case):
    keys, node_data, edge_data, label, nodes, weight, links = READINGS[case]
    text = document(keys, node_data, edge_data)
    graph = read_text(tmp_path, text)
    assert [node.label for node in graph.nodes][0] == label
    assert node_columns(graph) == nodes
    assert [c["weight"] for c in graph.get_connections()] == [weight]
    assert link_columns(graph) == links
    if all("attr.name" in k for k in keys):  # networkx refuses a key without one
        # networkx keeps every key under its name (defaults aside): our columns are its values.
        peer = nx.read_graphml(str(tmp_path / "g.graphml"))
        defaults = peer.graph.get("node_default", {})
        for name, values in nodes.items():
            assert [peer.nodes[n].get(name, defaults.get(name)) for n in ("p", "q")] == values
    assert snapshot(round_trip(tmp_path, graph)) == snapshot(graph)


# ---- many declared keys cost what their values cost ---------------------------------------

MANY_KEYS = {
    "graphml": ('<graphml>{keys}<graph edgedefault="undirected">{nodes}</graph></graphml>',
                '<key id="k{i}" for="node" attr.name="a{i}" attr.type="{kind}"{default}',
                "><default>{value}</default></key>", "/>",
                '<node id="n{i}"><data key="k{key}">{value}</data></node>'),
    "gexf": ('<gexf><graph><attributes class="node">{keys}</attributes><nodes>{nodes}</nodes></graph></gexf>',
             '<attribute id="k{i}" title="a{i}" type="{kind}"{default}',
             "><default>{value}</default></attribute>", "/>",
             '<node id="n{i}"><attvalues><attvalue for="k{key}" value="{value}"/></attvalues></node>'),
}


@pytest.mark.parametrize("fmt", list(MANY_KEYS))
def test_keys_no_node_uses_cost_nothing_per_node(tmp_path, fmt):
    # 40,000 keys over 2,000 nodes used to become 40,000 full columns (5 GB);
    # under a 1 GiB address space the read must now succeed.
    document_text, key_text, with_default, without_default, node_text = MANY_KEYS[fmt]
    keys, count, nodes = [], 40_000, 2_000
    for i in range(count):
        kind = ("string", "double", "long", "boolean")[i % 4]
        default = with_default.format(value="7") if i == 2 else without_default  # a2: a double defaulting to 7
        keys.append(key_text.format(i=i, kind=kind, default=default))
    node_list = [node_text.format(i=i, key=count - 4, value=f"v{i}") for i in range(nodes)]
    path = tmp_path / f"keys.{fmt}"
    path.write_text(document_text.format(keys="".join(keys), nodes="".join(node_list)))
    # Under the sanitizers the address space holds their shadow memory: the
    # peak resident size is checked instead.
    script = f"""
        import resource
        if not {SANITIZED}:
            resource.setrlimit(resource.RLIMIT_AS, (1 << 30, 1 << 30))
        import mivora
        g = mivora.Graph.read({str(path)!r})
        names = g.node_attribute_names()
        assert len(names) == {count} and names[:3] == ["a0", "a1", "a2"], names[:3]
        assert list(g.node_attribute("a{count - 4}")) == [f"v{{i}}" for i in range({nodes})]
        assert list(g.node_attribute("a2")) == [7.0] * {nodes}
        assert g.node_attribute("a1") == [None] * {nodes}
        # The peak resident size of this process image (ru_maxrss would count
        # the test runner's before exec as well).
        peak_kib = next(int(line.split()[1]) for line in open("/proc/self/status") if line.startswith("VmHWM:"))
        assert peak_kib < (2 << 20), f"{{peak_kib}} KiB resident at the peak"
    """
    subprocess.run([sys.executable, "-c", textwrap.dedent(script)], check=True, timeout=300)


@pytest.mark.parametrize("fmt", list(MANY_KEYS))
def test_values_far_apart_are_refused(tmp_path, fmt):
    # Node i holds the only value of key i: the columns would hold n^2 / 2 rows
    # (4,000 nodes: 8 million rows for 4,000 values), the square of the file.
    document_text, key_text, _, without_default, node_text = MANY_KEYS[fmt]
    count = 4_000
    keys = "".join(key_text.format(i=i, kind="string", default=without_default) for i in range(count))
    nodes = "".join(node_text.format(i=i, key=i, value="v") for i in range(count))
    path = tmp_path / f"apart.{fmt}"
    path.write_text(document_text.format(keys=keys, nodes=nodes))
    with pytest.raises(mivora.FormatError, match="attribute values lie too far apart: their columns would hold "
                                                 "more than 64 rows for each of the [0-9]+ rows and values read so far"):
        Graph.read(str(path))
    # The same values on eight keys read as before.
    dense = document_text.format(keys=keys, nodes="".join(node_text.format(i=i, key=i % 8, value="v")
                                                          for i in range(count)))
    path.write_text(dense)
    assert Graph.read(str(path)).node_attribute("a3") == ["v" if i % 8 == 3 else None for i in range(count)]
