"""GML, GraphML, GEXF and edge lists: reading the dialects found in the wild,
writing files that read back (through us, networkx and igraph), bad input."""
import json
import math
import random
from pathlib import Path

import igraph
import networkx as nx
import pytest

import mivora
from mivora import Graph

DATA = Path(__file__).parent / "data"
FORMATS = ["gml", "graphml", "gexf", "edgelist"]
# Edge lists as SNAP-style .edges files: white-space separated, as the peers read them.
EXTENSION = {"gml": "gml", "graphml": "graphml", "gexf": "gexf", "edgelist": "edges"}


def write(tmp_path, name, content):
    path = tmp_path / name
    path.write_bytes(content if isinstance(content, bytes) else content.encode())
    return str(path)


def connections(graph):
    return [(c["from"], c["to"], round(c["weight"], 4), c["directed"]) for c in graph.get_connections()]


def labels(graph):
    return [node.label for node in graph.nodes]


def positions(graph, tmp_path):
    """{label: (x, y)} of the nodes that have a position."""
    path = str(tmp_path / "positions.json")
    graph.output_json_file(path)
    nodes = json.loads(Path(path).read_text())["nodes"]
    return {node["label"]: (node["x"], node["y"]) for node in nodes if node["x"] is not None}


# ---- dialects ----------------------------------------------------------------------------
# (file name, text, read options, labels, connections, positions in the file's units)

GML_CASES = [
    ("newman.gml", """Creator "Mark Newman on Fri Jul 21 12:39:27 2006"
graph
[
  node
  [
    id 1
  ]
  node
  [
    id 2
  ]
  node
  [
    id 3
  ]
  edge
  [
    source 2
    target 1
    value 2.5
  ]
  edge
  [
    source 3
    target 1
  ]
]
""", {}, ["1", "2", "3"], [("2", "1", 2.5, False), ("3", "1", 1.0, False)], {}),
    ("networkx.gml", """graph [
  directed 1
  multigraph 1
  name "demo"
  node [
    id 0
    label "New York"
  ]
  node [
    id 1
    label "Paris"
  ]
  edge [
    source 0
    target 1
    key 0
    weight 3
  ]
  edge [
    source 0
    target 1
    key 1
    weight 0.5
  ]
  edge [
    source 1
    target 1
  ]
]
""", {}, ["New York", "Paris"],
     [("New York", "Paris", 3.0, True), ("New York", "Paris", 0.5, True), ("Paris", "Paris", 1.0, True)], {}),
    ("gephi.gml", """Creator "Gephi"
graph
[
  directed 1
  node
  [
    id Domingo
    label "Domingo"
    graphics
    [
      x -12.5
      y 40.0
      z 0.0
      w 10.0
      fill "#0000ff"
    ]
  ]
  node
  [
    id Carlos
    graphics [ x 7 y 8 ]
  ]
  edge
  [
    id 0
    source Domingo
    target Carlos
    value 1.0
  ]
]
""", {"positions": "file"}, ["Domingo", "Carlos"], [("Domingo", "Carlos", 1.0, True)],
     {"Domingo": (-12.5, 40.0), "Carlos": (7.0, 8.0)}),
    ("entities.gml", """# a comment line
graph [
  node [ id 1 name "Caf&#233; &amp; Bar &quot;X&quot;" value "c" ]
  node [ id 2 label "tab&#x9;here" data [ nested [ deep 1 ] list "x" ] ]
  edge [ source 1 target 2 weight 2 value 7 directed 1 ]
  edge [ source 2 target 1 ]
]
""", {}, ['Café & Bar "X"', "tab\there"], [('Café & Bar "X"', "tab\there", 2.0, True),
                                           ("tab\there", 'Café & Bar "X"', 1.0, False)], {}),
    ("forward.gml", """graph [
  edge [ source 7 target 8 ]
  node [ id 8 label "eight" ]
  node [ id 7 label "seven" ]
  node [ id 7 label "again" ]
]
""", {}, ["seven", "eight", "again"], [("seven", "eight", 1.0, False)], {}),
]

GRAPHML_HEAD = '<?xml version="1.0" encoding="UTF-8"?>\n'
GRAPHML_CASES = [
    ("networkx.graphml", GRAPHML_HEAD + """<graphml xmlns="http://graphml.graphdrawing.org/xmlns"
  xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
  <key id="d1" for="edge" attr.name="weight" attr.type="double"/>
  <key id="d0" for="node" attr.name="label" attr.type="string"/>
  <graph edgedefault="undirected">
    <node id="a"><data key="d0">Alpha</data></node>
    <node id="b"><data key="d0">Beta &amp; co</data></node>
    <edge source="a" target="b"><data key="d1">2.5</data></edge>
    <edge source="b" target="a" directed="true"/>
  </graph>
</graphml>
""", {}, ["Alpha", "Beta & co"], [("Alpha", "Beta & co", 2.5, False), ("Beta & co", "Alpha", 1.0, True)], {}),
    ("netlogo.graphml", "\ufeff" + GRAPHML_HEAD.replace("\n", "\r\n") + """<!-- written by hand -->\r
<graphml xmlns="http://graphml.graphdrawing.org/xmlns/graphml">
\t<key id="LABEL" for="node" attr.name="LABEL" attr.type="string"/>
\t<key id="LABEL" for="edge" attr.name="kind" attr.type="string"/>
\t<key id="w" for="edge" attr.name="Weight" attr.type="double"><default>4</default></key>
\t<graph edgedefault="directed">
\t\t<data key="g">graph data</data>

\t\t<node id="node 0"><data key="LABEL">maría</data></node>
\t\t<node id="node 1"/>
\t\t<edge id="e0" source="node 0" target="node 1"><data key="LABEL">friend</data></edge>
\t\t<edge source="node 1" target="node 0"><data key="w">0.5</data></edge>
\t</graph>
</graphml>
""", {}, ["maría", "node 1"], [("maría", "node 1", 4.0, True), ("node 1", "maría", 0.5, True)], {}),
    ("positions.graphml", GRAPHML_HEAD + """<graphml>
  <key id="x" for="node" attr.name="x" attr.type="double"/>
  <key id="y" for="node" attr.name="y" attr.type="double"/>
  <graph>
    <node id="1"><data key="x">-3</data><data key="y">4.5</data></node>
    <node id="2"/>
  </graph>
</graphml>
""", {"positions": "file"}, ["1", "2"], [], {"1": (-3.0, 4.5)}),
]

GEXF_CASES = [
    ("gephi13.gexf", """<?xml version="1.0" encoding="UTF-8"?>
<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3">
  <graph defaultedgetype="directed" mode="static">
    <nodes>
      <node id="1" label="one"><viz:size value="3"/><viz:position x="10.5" y="-2" z="0"/></node>
      <node id="2" label="two"/>
    </nodes>
    <edges>
      <edge source="1" target="2" weight="2"/>
      <edge source="2" target="1"/>
      <edge source="1" target="2" type="undirected"/>
    </edges>
  </graph>
</gexf>
""", {"positions": "file"}, ["one", "two"], [("one", "two", 2.0, True), ("two", "one", 1.0, True),
                                              ("one", "two", 1.0, False)], {"one": (10.5, -2.0)}),
    ("networkx12.gexf", """<?xml version='1.0' encoding='utf-8'?>
<gexf xmlns="http://www.gexf.net/1.2draft" version="1.2">
  <graph defaultedgetype="undirected" mode="static">
    <attributes class="edge" mode="static">
      <attribute id="0" title="Weight" type="float"/>
    </attributes>
    <nodes>
      <node id="George Fox" label="George Fox"/>
      <node id="Tom &amp; Jerry" label="Tom &amp; Jerry "/>
      <node id="x"/>
    </nodes>
    <edges>
      <edge id="0" source="George Fox" target="Tom &amp; Jerry">
        <attvalues><attvalue for="0" value="3.5"/></attvalues>
      </edge>
      <edge id="1" source="x" target="x" type="mutual"/>
    </edges>
  </graph>
</gexf>
""", {}, ["George Fox", "Tom & Jerry ", "x"], [("George Fox", "Tom & Jerry ", 3.5, False), ("x", "x", 1.0, False)],
     {}),
    ("webatlas11.gexf", """<?xml version="1.0" encoding="UTF-8"?>
<gexf xmlns="http://gexf.net/1.1draft" xmlns:viz="http://gexf.net/1.1draft/viz" version="1.1">
  <graph>
    <nodes>
      <node id="a" label="Rh&#244;ne"><nodes><node id="b" label="inner"/></nodes></node>
    </nodes>
    <edges><edge source="a" target="b" weight="1.5"/></edges>
  </graph>
</gexf>
""", {}, ["Rhône", "inner"], [("Rhône", "inner", 1.5, False)], {}),
]

EDGELIST_CASES = [
    ("snap.txt", "# Directed graph: demo.txt\r\n# FromNodeId\tToNodeId\r\n3466\t937\r\n937\t3466\r\n5\t5\r\n",
     {}, ["3466", "937", "5"], [("3466", "937", 1.0, False), ("937", "3466", 1.0, False), ("5", "5", 1.0, False)], {}),
    ("out.konect", "% sym unweighted\n% 3 3 3\n1 2 \n2 3  \n\n   \n1 3", {},
     ["1", "2", "3"], [("1", "2", 1.0, False), ("2", "3", 1.0, False), ("1", "3", 1.0, False)], {}),
    ("out.bip", "% bip unweighted\n% 3 2 2\n2 1\n1 2\n1 1\n", {},
     ["L1", "L2", "R1", "R2"], [("L2", "R1", 1.0, False), ("L1", "R2", 1.0, False), ("L1", "R1", 1.0, False)], {}),
    ("gephi.csv", "Source,Target,Type,Id,Label,timeset,Weight\r\n0,1,Directed,0,,,1\r\n1,2,Undirected,1,,,2.5\r\n",
     {}, ["0", "1", "2"], [("0", "1", 1.0, True), ("1", "2", 2.5, False)], {}),
    ("names.csv", 'Source,Target\nGeorge Keith,"Barclay, Robert"\n"Say ""Hi""",George Keith\n', {},
     ["George Keith", "Barclay, Robert", 'Say "Hi"'],
     [("George Keith", "Barclay, Robert", 1.0, False), ('Say "Hi"', "George Keith", 1.0, False)], {}),
    ("counts.txt", "3 2\n0 1 1.5\n1 2 2.25\n", {}, ["0", "1", "2"], [("0", "1", 1.5, False), ("1", "2", 2.25, False)],
     {}),
    ("tabs.tsv", "New York\tLos Angeles\t3\nLos Angeles\tBoston\t1\n", {},
     ["New York", "Los Angeles", "Boston"], [("New York", "Los Angeles", 3.0, False), ("Los Angeles", "Boston", 1.0, False)],
     {}),
    ("options.txt", "! skipped\nsource;target;w;1\na;b;1;7\nb;c;2;8\n",
     {"directed": True, "delimiter": ";", "comments": "!", "header": False, "weight": 3},
     ["source", "target", "a", "b", "c"],
     [("source", "target", 1.0, True), ("a", "b", 7.0, True), ("b", "c", 8.0, True)], {}),
    ("isolated.txt", "a b 2\nc\n", {}, ["a", "b", "c"], [("a", "b", 2.0, False)], {}),
]


@pytest.mark.parametrize("name, text, options, expected_labels, expected_connections, expected_positions", [
    pytest.param(*case, id=case[0]) for case in GML_CASES + GRAPHML_CASES + GEXF_CASES + EDGELIST_CASES])
def test_reads_dialects(tmp_path, name, text, options, expected_labels, expected_connections, expected_positions):
    format = {"gml": "gml", "graphml": "graphml", "gexf": "gexf"}.get(name.rsplit(".", 1)[1], "edgelist")
    graph = Graph.read(write(tmp_path, name, text), format=format, **options)
    assert labels(graph) == expected_labels
    assert sorted(connections(graph)) == sorted(expected_connections)
    assert positions(graph, tmp_path) == expected_positions


def test_positions_in_file_units_are_fitted_to_the_canvas(tmp_path):
    text = 'graph [ node [ id 1 graphics [ x -100 y 0 ] ] node [ id 2 graphics [ x 100 y 50 ] ] ]'
    placed = positions(Graph.read(write(tmp_path, "g.gml", text)), tmp_path)
    (x1, y1), (x2, y2) = placed["1"], placed["2"]
    assert 20 <= x1 < x2 <= 1500 and 20 <= y1 < y2 <= 700
    assert math.isclose((x2 - x1) / (y2 - y1), 200 / 50)  # one scale for both axes


def test_repeated_labels_keep_every_node(tmp_path):
    text = 'graph [ node [ id 1 label "same" ] node [ id 2 label "same" ] edge [ source 2 target 1 ] ]'
    with pytest.warns(UserWarning, match="same"):
        graph = Graph.read(write(tmp_path, "g.gml", text))
    assert labels(graph) == ["same", "same"]
    assert graph.get_edge_count() == 1


# ---- round trips through our writer and reader ----------------------------------------------

def sample_graph(directions):
    """Labels that need quoting or escaping, positions, parallel links and a self-loop."""
    graph = Graph()
    names = ["plain", "two words", 'say "hi"', "a,b", "Tom & Jerry <3>", "été ✓", "#hash", "%pct", "x;y", " pad "]
    for name in names:
        graph.add_node(name)
    rng = random.Random(5)
    for i in range(30):
        a, b = rng.choice(names), rng.choice(names)
        directed = {"directed": True, "undirected": False, "mixed": i % 3 == 0}[directions]
        graph.create_connection(a, b, rng.choice([1.0, 0.1, 2.5, 1e-3, 12345.678]), directed)
    graph.create_connection("plain", "plain", 3.0, directions == "directed")
    graph.add_node("lonely")
    return graph


@pytest.mark.parametrize("directions", ["undirected", "directed", "mixed"])
@pytest.mark.parametrize("format", FORMATS)
def test_round_trip(tmp_path, format, directions):
    graph = sample_graph(directions)
    path = str(tmp_path / f"g.{EXTENSION[format]}")
    graph.write(path, format=format, **({"header": True, "delimiter": ","} if format == "edgelist" else {}))
    again = Graph.read(path, format=format)
    if format == "edgelist":  # nodes come back in the order the rows name them
        assert sorted(labels(again)) == sorted(labels(graph))
        assert sorted(connections(again)) == sorted(connections(graph))
    else:
        assert labels(again) == labels(graph)
        assert connections(again) == connections(graph)


@pytest.mark.parametrize("format", ["gml", "graphml", "gexf"])
def test_round_trip_keeps_positions(tmp_path, format):
    source = write(tmp_path, "p.gml", 'graph [ node [ id 1 label "a" graphics [ x 20 y 700 ] ] '
                                      'node [ id 2 label "b" graphics [ x 733.25 y 123.5 ] ] node [ id 3 label "c" ] ]')
    graph = Graph.read(source)
    path = str(tmp_path / f"out.{format}")
    graph.write(path)
    assert positions(Graph.read(path), tmp_path) == positions(graph, tmp_path) == {"a": (20.0, 700.0),
                                                                                   "b": (733.25, 123.5)}


@pytest.mark.parametrize("weight", [1e20, 1.5e-7, 0.1, float("inf"), -2.0])
@pytest.mark.parametrize("format", FORMATS)
def test_round_trip_keeps_weights(tmp_path, format, weight):
    graph = Graph()
    graph.add_node("a")
    graph.add_node("b")
    graph.create_connection("a", "b", weight, True)
    path = str(tmp_path / f"w.{EXTENSION[format]}")
    graph.write(path, format=format)
    again = Graph.read(path, format=format, **({"directed": True} if format == "edgelist" else {}))
    assert again.get_connections() == graph.get_connections()


@pytest.mark.parametrize("name, separator", [("g.csv", ","), ("g.tsv", "\t"), ("g.edges", " ")])
def test_edge_list_separator_follows_the_extension(tmp_path, name, separator):
    graph = mivora.Graph()
    for label in ("a", "b"):
        graph.add_node(label)
    graph.create_connection("a", "b", 2.0)
    graph.write(tmp_path / name)
    assert (tmp_path / name).read_text().splitlines()[0] == separator.join(["a", "b", "2"])
    assert mivora.Graph.read(tmp_path / name).get_connections() == graph.get_connections()


def test_edge_list_refuses_a_label_with_a_line_break(tmp_path):
    target = tmp_path / "g.txt"
    target.write_text("old content\n")
    graph = Graph()
    graph.add_node("two\nlines")
    graph.create_connection("two\nlines", "two\nlines", 1.0, False)
    with pytest.raises(ValueError, match="line break"):
        graph.write(str(target))
    assert target.read_text() == "old content\n"


@pytest.mark.parametrize("format", ["graphml", "gexf"])
def test_xml_refuses_a_control_character(tmp_path, format):
    graph = Graph()
    graph.add_node("bell\x07")
    with pytest.raises(ValueError, match="control character"):
        graph.write(str(tmp_path / f"g.{format}"))
    assert not (tmp_path / f"g.{format}").exists()


# ---- other libraries read our files, we read theirs ------------------------------------------

def random_graph(directed, seed=1):
    rng = random.Random(seed)
    graph = Graph()
    names = [f"v{i}" for i in range(40)]
    for name in names:
        graph.add_node(name)
    total = 0.0
    for _ in range(120):
        weight = rng.randrange(1, 400) / 8
        graph.create_connection(rng.choice(names), rng.choice(names), weight, directed)
        total += weight
    return graph, total


PEER_READERS = {
    "gml": [lambda p: nx.read_gml(p), lambda p: igraph.Graph.Read_GML(p)],
    "graphml": [lambda p: nx.read_graphml(p, force_multigraph=True), lambda p: igraph.Graph.Read_GraphML(p)],
    "gexf": [lambda p: nx.read_gexf(p)],
    "edgelist": [lambda p: nx.read_edgelist(p, create_using=nx.MultiDiGraph, data=[("weight", float)]),
                 lambda p: igraph.Graph.Read_Ncol(p, names=True, weights=True, directed=True)],
}


def peer_summary(graph):
    if isinstance(graph, igraph.Graph):
        names = graph.vs["label"] if "label" in graph.vs.attributes() else graph.vs["name"]
        return graph.vcount(), graph.ecount(), sum(graph.es["weight"]), sorted(map(str, names)), graph.is_directed()
    weights = [d.get("weight", 1.0) for _, _, d in graph.edges(data=True)]
    names = [d.get("label", n) for n, d in graph.nodes(data=True)]
    return graph.number_of_nodes(), graph.number_of_edges(), sum(weights), sorted(map(str, names)), graph.is_directed()


@pytest.mark.parametrize("directed", [False, True])
@pytest.mark.parametrize("format, reader", [(f, r) for f, readers in PEER_READERS.items() for r in readers])
def test_peers_read_our_files(tmp_path, format, reader, directed):
    graph, total = random_graph(directed)
    path = str(tmp_path / f"g.{EXTENSION[format]}")
    graph.write(path, format=format)
    nodes, edges, weight, names, peer_directed = peer_summary(reader(path))
    assert (nodes, edges) == (graph.get_node_count(), graph.get_edge_count())
    assert weight == pytest.approx(total)
    assert names == sorted(labels(graph))
    if format != "edgelist":
        assert peer_directed == directed


def networkx_graph(directed):
    rng = random.Random(3)
    graph = nx.MultiDiGraph() if directed else nx.MultiGraph()
    graph.add_nodes_from(f"n{i}" for i in range(30))
    for _ in range(90):
        graph.add_edge(f"n{rng.randrange(30)}", f"n{rng.randrange(30)}", weight=rng.randrange(1, 99) / 4)
    return graph


NETWORKX_WRITERS = {
    "gml": nx.write_gml, "graphml": nx.write_graphml, "gexf": nx.write_gexf,
    "edgelist": lambda g, p: nx.write_edgelist(g, p, data=["weight"]),
}


@pytest.mark.parametrize("directed", [False, True])
@pytest.mark.parametrize("format", FORMATS)
def test_we_read_networkx_files(tmp_path, format, directed):
    peer = networkx_graph(directed)
    path = str(tmp_path / f"nx.{'txt' if format == 'edgelist' else format}")
    NETWORKX_WRITERS[format](peer, path)
    graph = Graph.read(path, **({"directed": directed} if format == "edgelist" else {}))
    isolated = sum(1 for n in peer if peer.degree(n) == 0)
    assert graph.get_node_count() == peer.number_of_nodes() - (isolated if format == "edgelist" else 0)
    assert graph.get_edge_count() == peer.number_of_edges()
    assert graph.get_total_weight() == pytest.approx(peer.size(weight="weight"))
    assert all(c["directed"] == directed for c in graph.get_connections())


@pytest.mark.parametrize("directed", [False, True])
@pytest.mark.parametrize("format", ["gml", "graphml", "edgelist"])
def test_we_read_igraph_files(tmp_path, format, directed):
    random.seed(4)  # igraph draws from Python's generator
    peer = igraph.Graph.Erdos_Renyi(n=25, m=60, directed=directed, loops=True)
    peer.vs["name"] = [f"p {i}" if format != "edgelist" else f"p{i}" for i in range(peer.vcount())]
    peer.es["weight"] = [i / 4 for i in range(peer.ecount())]
    path = str(tmp_path / f"ig.{'txt' if format == 'edgelist' else format}")
    {"gml": peer.write_gml, "graphml": peer.write_graphml, "edgelist": peer.write_ncol}[format](path)
    graph = Graph.read(path, **({"directed": directed} if format == "edgelist" else {}))
    assert graph.get_edge_count() == peer.ecount()
    assert graph.get_total_weight() == pytest.approx(sum(peer.es["weight"]))
    assert all(c["directed"] == directed for c in graph.get_connections())
    isolated = peer.degree().count(0) if format == "edgelist" else 0  # write_ncol leaves them out
    assert graph.get_node_count() == peer.vcount() - isolated


# ---- bad input ---------------------------------------------------------------------------------

def expected_failures(folder):
    for line in (DATA / folder / "EXPECTED.txt").read_text().splitlines():
        name, line_number, message = line.split("\t")
        yield pytest.param(DATA / folder / name, int(line_number), message, id=f"{folder}/{name}")


@pytest.mark.parametrize("format", FORMATS)
def test_refuses_bad_files(format):
    for case in expected_failures(f"bad_{format}"):
        path, line, message = case.values
        with pytest.raises(mivora.FormatError) as failure:
            Graph.read(str(path), format=format, encoding="utf-8")  # told: no encoding guess
        assert message in str(failure.value), path.name
        assert failure.value.line == line, path.name
        assert failure.value.file_name == str(path)


def test_entity_bomb_is_refused():
    with pytest.raises(mivora.FormatError, match="entity declarations are not accepted"):
        Graph.read(str(DATA / "bad_graphml" / "billion_laughs.graphml"))


@pytest.mark.parametrize("name, head, node, tail", [
    ("g.graphml", '<graphml><graph edgedefault="undirected">', '<node id="n{i}"/>', "</graph></graphml>"),
    ("g.gexf", "<gexf><graph><nodes>", '<node id="{i}"/>', "</nodes></graph></gexf>"),
])
@pytest.mark.parametrize("declaration, refused", [
    ('<!ATTLIST node label CDATA "{fill}">', True),
    ('<!ATTLIST node label CDATA #FIXED "{fill}">', True),
    ("<!ATTLIST node color CDATA #IMPLIED>", False),  # no default: nothing is copied
])
def test_attribute_defaults_in_the_dtd_are_refused(tmp_path, name, head, node, tail, declaration, refused):
    # Every node lacking the attribute would carry a copy of the default: 200 nodes times 20,000 bytes.
    doctype = f"<!DOCTYPE {head[1:head.index('>')].split()[0]} [{declaration.format(fill='x' * 20_000)}]>"
    text = doctype + head + "".join(node.format(i=i) for i in range(200)) + tail
    path = write(tmp_path, name, text)
    if not refused:
        assert Graph.read(path).get_node_count() == 200
        return
    with pytest.raises(mivora.FormatError,
                       match="a default for the attribute 'label' of 'node'; attribute defaults are not accepted") \
            as failure:
        Graph.read(path)
    assert failure.value.line == 1


@pytest.mark.parametrize("doctype", [
    '<!DOCTYPE graphml [<!ENTITY secret SYSTEM "file://{path}">]>',
    '<!DOCTYPE graphml [<!ENTITY % p SYSTEM "file://{path}"> %p;]>',
    '<!DOCTYPE graphml SYSTEM "file://{path}">',
])
def test_external_entities_are_never_read(tmp_path, doctype):
    secret = tmp_path / "secret.txt"
    secret.write_text("TOP-SECRET-MARKER")
    text = ('<?xml version="1.0"?>\n' + doctype.format(path=secret) + '\n<graphml>'
            '<key id="l" for="node" attr.name="label"/><graph><node id="a"><data key="l">x</data></node>'
            '</graph></graphml>\n')
    try:
        graph = Graph.read(write(tmp_path, "g.graphml", text))
    except mivora.FormatError:
        return
    assert labels(graph) == ["x"]  # an external DTD subset is not loaded either


def test_format_error_is_a_value_error(tmp_path):
    with pytest.raises(ValueError):
        Graph.read(write(tmp_path, "g.gml", "graph [ node [ ] ]"))


# ---- input larger than one read chunk ----------------------------------------------------------

@pytest.mark.parametrize("line_end", ["\n", "\r\n", "\r"])
@pytest.mark.parametrize("format", FORMATS)
def test_tokens_straddling_read_chunks(tmp_path, format, line_end):
    """Labels of every length cross the reader's chunk boundaries somewhere."""
    names = [f"node {'x' * (i % 97)} {i}" for i in range(6000)]
    graph = Graph()
    for name in names:
        graph.add_node(name)
    for i in range(len(names) - 1):
        graph.create_connection(names[i], names[i + 1], i / 8, i % 2 == 0)
    path = tmp_path / f"big.{EXTENSION[format]}"
    graph.write(str(path), format=format, **({"header": True} if format == "edgelist" else {}))
    path.write_bytes(path.read_bytes().replace(b"\n", line_end.encode()))
    assert path.stat().st_size > 600_000
    again = Graph.read(str(path), format=format)
    assert labels(again) == names
    assert connections(again) == connections(graph)


@pytest.mark.parametrize("format, text", [
    ("gml", 'graph [ node [ id 1 label "Caf\xe9" ] ]'),
    ("edgelist", "Caf\xe9 Br\xfbl\xe9e\n"),
])
def test_encoding_option(tmp_path, format, text):
    path = tmp_path / "latin1.txt"
    path.write_bytes(text.encode("latin-1"))
    with pytest.raises(mivora.FormatError, match="UTF-8"):
        Graph.read(str(path), format=format, encoding="utf-8")
    assert labels(Graph.read(str(path), format=format, encoding="latin-1"))[0] == "Café"
    with pytest.warns(UserWarning, match="not UTF-8; read as cp1252"):
        assert labels(Graph.read(str(path), format=format))[0] == "Café"


@pytest.mark.parametrize("name, text", [
    ("g.gml", 'graph [ node [ id 1 label "a" graphics [ x nan y 3 ] ] node [ id 2 label "b" graphics [ x 1 y 2 ] ] '
              'node [ id 3 label "c" graphics [ x inf y 5 ] ] edge [ source 1 target 2 ] ]'),
    ("g.graphml", '<graphml><key id="x" for="node" attr.name="x" attr.type="double"/>'
                  '<key id="y" for="node" attr.name="y" attr.type="double"/><graph edgedefault="undirected">'
                  '<node id="a"><data key="x">NaN</data><data key="y">3</data></node>'
                  '<node id="b"><data key="x">1</data><data key="y">2</data></node><edge source="a" target="b"/>'
                  '</graph></graphml>'),
])
def test_positions_that_are_not_finite_are_all_dropped(tmp_path, name, text):
    graph = Graph.read(write(tmp_path, name, text))
    assert positions(graph, tmp_path) == {}
    svg = graph.output_svg()
    assert "NaN" not in svg and "inf" not in svg
