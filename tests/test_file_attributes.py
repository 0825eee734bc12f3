"""Attribute columns through every file format: readers keep them, writers write them, peers agree."""
import html
import math
import warnings

import igraph
import networkx as nx
import pytest

from mivora import Graph
from attribute_access import link_columns, link_types, node_columns, node_types

GRAPHML = """<?xml version="1.0" encoding="UTF-8"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns">
  <key id="d0" for="node" attr.name="city" attr.type="string"><default>nowhere</default></key>
  <key id="d1" for="node" attr.name="pop" attr.type="long"/>
  <key id="d2" for="edge" attr.name="capacity" attr.type="double"/>
  <key id="d3" for="node" attr.name="hub" attr.type="boolean"/>
  <key id="d4" for="edge" attr.name="weight" attr.type="double"/>
  <key id="d5" for="node" attr.name="label" attr.type="string"/>
  <key id="d6" for="all" attr.name="note" attr.type="string"/>
  <graph edgedefault="undirected">
    <node id="a"><data key="d5">A</data><data key="d0">Zürich</data><data key="d1">5</data><data key="d3">true</data></node>
    <node id="b"><data key="d1">-7</data><data key="d6">&lt;b&gt; &amp; "c"</data></node>
    <node id="c"><data key="d0"></data><data key="d3">false</data></node>
    <edge source="a" target="b"><data key="d2">1.5</data><data key="d4">2</data></edge>
    <edge source="b" target="c"><data key="d6">x</data></edge>
  </graph>
</graphml>
"""

GEXF = """<?xml version="1.0" encoding="UTF-8"?>
<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3">
  <graph defaultedgetype="directed">
    <attributes class="node">
      <attribute id="0" title="modularity_class" type="integer"/>
      <attribute id="1" title="kind" type="string"><default>plain</default></attribute>
      <attribute id="2" title="score" type="double"/>
    </attributes>
    <attributes class="edge">
      <attribute id="0" title="since" type="long"/>
    </attributes>
    <nodes>
      <node id="n1" label="Ünï">
        <attvalues><attvalue for="0" value="3"/><attvalue for="2" value="0.25"/></attvalues>
        <viz:color r="255" g="0" b="16"/><viz:size value="12.5"/>
      </node>
      <node id="n2" label="two"><attvalues><attvalue for="1" value=""/></attvalues></node>
    </nodes>
    <edges>
      <edge source="n1" target="n2" weight="3"><attvalues><attvalue for="0" value="1999"/></attvalues></edge>
      <edge source="n2" target="n1"/>
    </edges>
  </graph>
</gexf>
"""

GML = """graph [
  directed 0
  node [ id 0 label "a" value "l" size 3 ratio 0.5 nested [ depth 2 tag "t" ] ]
  node [ id 1 label "b" value "n" size 4 ratio 2 code "12" ]
  node [ id 2 label "c" ]
  edge [ source 0 target 1 value 2 kind "x" ]
  edge [ source 1 target 2 weight 1.5 value 7 ]
]
"""

CSV = """source,target,weight,count,share,flag,note,zip
a,b,1.5,3,0.5,true,x,"01"
b,c,2,,1,False,,7
c,a,1,-4,2e3,TRUE,7,
"""

PAJ = """*Network demo
*Vertices 3
1 "a" 0.1 0.2 0.5 ic Red bc Black box
2 "b" 0.3 0.4
3 "c" ic Blue
*Edges
1 2
*Partition groups
*Vertices 3
1
2
1
*Vector sizes
*Vertices 3
0.5
1.5
-2
"""


def read(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text, encoding="utf-8")
    return Graph.read(str(path))


def same(a, b):
    """Equal values, NaN equal to NaN."""
    if isinstance(a, float) and isinstance(b, float) and math.isnan(a) and math.isnan(b):
        return True
    return a == b and type(a) is type(b)


def assert_columns(found, expected, ordered=True):
    assert (list(found) == list(expected)) if ordered else (sorted(found) == sorted(expected))
    for name in expected:
        assert len(found[name]) == len(expected[name]), name
        assert all(same(x, y) for x, y in zip(found[name], expected[name])), (name, found[name], expected[name])


# ---- readers ------------------------------------------------------------------------------


@pytest.mark.parametrize("name, text, nodes, node_type, links, link_type", [
    ("g.graphml", GRAPHML,
     {"city": ["Zürich", "nowhere", ""], "pop": [5, -7, None], "hub": [True, None, False],
      "note": [None, '<b> & "c"', None]},
     {"city": "str", "pop": "int", "hub": "bool", "note": "str"},
     {"capacity": [1.5, None], "note": [None, "x"]}, {"capacity": "float", "note": "str"}),
    ("g.gexf", GEXF,
     {"modularity_class": [3, None], "kind": ["plain", ""], "score": [0.25, None], "viz:color": ["#ff0010", None],
      "viz:size": [12.5, None]},
     {"modularity_class": "int", "kind": "str", "score": "float", "viz:color": "str", "viz:size": "float"},
     {"since": [1999, None]}, {"since": "int"}),
    ("g.gml", GML,
     {"value": ["l", "n", None], "size": [3, 4, None], "ratio": [0.5, 2.0, None], "nested.depth": [2, None, None],
      "nested.tag": ["t", None, None], "code": [None, "12", None]},
     {"value": "str", "size": "int", "ratio": "float", "nested.depth": "int", "nested.tag": "str", "code": "str"},
     {"kind": ["x", None], "value": [None, 7]}, {"kind": "str", "value": "int"}),
    ("g.csv", CSV, {}, {},
     {"count": [3, None, -4], "share": [0.5, 1.0, 2000.0], "flag": [True, False, True], "note": ["x", None, "7"],
      "zip": ["01", "7", None]},
     {"count": "int", "share": "float", "flag": "bool", "note": "str", "zip": "str"}),
    ("g.paj", PAJ,
     {"ic": ["Red", None, "Blue"], "bc": ["Black", None, None], "shape": ["box", None, None], "groups": [1, 2, 1],
      "sizes": [0.5, 1.5, -2.0]},
     {"ic": "str", "bc": "str", "shape": "str", "groups": "int", "sizes": "float"}, {}, {}),
], ids=["graphml", "gexf", "gml", "csv", "paj"])
def test_readers_keep_typed_columns(tmp_path, name, text, nodes, node_type, links, link_type):
    graph = read(tmp_path, name, text)
    assert_columns(node_columns(graph), nodes)
    assert node_types(graph) == node_type
    assert_columns(link_columns(graph), links)
    assert link_types(graph) == link_type


def test_columns_named_like_the_models_fields_are_skipped_with_a_warning(tmp_path):
    with pytest.warns(UserWarning, match="link attribute 'directed' has the name of a field"):
        graph = read(tmp_path, "g.csv", "source,target,directed,kind\na,b,yes,x\n")
    assert link_columns(graph) == {"kind": ["x"]}


def test_gml_value_is_the_weight_when_there_is_no_other(tmp_path):
    graph = read(tmp_path, "g.gml", GML)
    assert [c["weight"] for c in graph.get_connections()] == [2.0, 1.5]


@pytest.mark.parametrize("name, text, message", [
    ("bad.graphml", GRAPHML.replace("<data key=\"d1\">5</data>", "<data key=\"d1\">five</data>"),
     "a node's 'pop' is 'five', not an integer"),
    ("bad.graphml", GRAPHML.replace("<data key=\"d2\">1.5</data>", "<data key=\"d2\">wide</data>"),
     "an edge's 'capacity' is 'wide', not a number"),
    ("bad.graphml", GRAPHML.replace("<default>nowhere</default>", "").replace(
        'attr.type="boolean"/>', 'attr.type="boolean"><default>maybe</default></key>'),
     "the default of key 'hub' is 'maybe', not true or false"),
    ("bad.gexf", GEXF.replace('value="1999"', 'value="late"'), "an edge's 'since' is 'late'"),
    ("bad.gexf", GEXF.replace('r="255"', 'r="300"'), "a colour's r is '300'"),
])
def test_values_not_of_their_declared_type_fail_the_read(tmp_path, name, text, message):
    with pytest.raises(ValueError, match=message):
        read(tmp_path, name, text)


def test_paj_partition_that_does_not_fit_is_skipped_with_a_warning(tmp_path):
    text = PAJ.replace("*Partition groups\n*Vertices 3\n1\n2\n1\n", "*Partition groups\n*Vertices 2\n1\n2\n")
    with pytest.warns(UserWarning, match="partition 'groups' does not fit the network's 3 vertices"):
        graph = read(tmp_path, "g.paj", text)
    assert "groups" not in node_columns(graph) and "sizes" in node_columns(graph)


def test_paj_block_before_the_network_does_not_swallow_it(tmp_path):
    text = "*Partition early\n*Vertices 2\n1\n2\n*Network n\n*Vertices 2\n1 a\n2 b\n*Edges\n1 2\n"
    with pytest.warns(UserWarning, match="partition 'early' does not fit"):
        graph = read(tmp_path, "g.paj", text)
    assert [node.label for node in graph.nodes] == ["a", "b"] and node_columns(graph) == {}


# ---- peers read the same values ------------------------------------------------------------


def networkx_graph(path, fmt):
    if fmt == "graphml":
        return nx.read_graphml(path)
    if fmt == "gexf":
        return nx.read_gexf(path)
    return nx.read_gml(path, label="id")


@pytest.mark.parametrize("name, text", [("g.graphml", GRAPHML), ("g.gexf", GEXF), ("g.gml", GML)],
                         ids=["graphml", "gexf", "gml"])
def test_our_reading_agrees_with_networkx(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text, encoding="utf-8")
    graph = Graph.read(str(path))
    peer = networkx_graph(str(path), name.split(".")[1])
    defaults = peer.graph.get("node_default", {})
    ours = node_columns(graph)
    for i, (node, data) in enumerate(peer.nodes(data=True)):
        for name_, values in ours.items():
            if name_.startswith("viz:") or "." in name_:
                continue  # networkx keeps these nested
            expected = data.get(name_, defaults.get(name_))
            if name_ == "value" and name.endswith(".gml") and expected is None:
                continue
            # A column has one type: networkx's 2 in a column of 0.5 is our 2.0.
            numbers = isinstance(expected, (int, float)) and not isinstance(expected, bool)
            assert values[i] == expected if numbers else same(values[i], expected), (node, name_, values[i], expected)


# ---- writers: write -> read keeps columns and types -----------------------------------------

NODE_COLUMNS = {
    "city": ["Zürich", None, ""],
    "pop": [5, None, -2**40],
    "score": [2.0, float("nan"), -0.125],
    "hub": [True, False, None],
    "rank": [1, 2, 3],
    "share": [0.5, 1.0, 1e-300],
    "ic": ["Red", "Blue", None],
}
LINK_COLUMNS = {
    "capacity": [1.5, None, 3.0],
    "since": [None, 1999, -7],
    "kind": ["road", 'say "hi"', "a,b"],
    "open": [True, None, False],
    "code": ["7", "true", None],  # text that reads as a number or a bool stays text
}


def rich_graph(mixed=True):
    graph = Graph()
    for label, x in (("a", 100.0), ("b", 700.0), ("c 3", 1200.0)):
        graph.add_node(label)
    graph.create_connection("a", "b", 2.5, True)
    graph.create_connection("b", "c 3", 1.0, not mixed)
    graph.create_connection("c 3", "a", 0.25, True)
    for name, values in NODE_COLUMNS.items():
        graph.set_node_attribute(name, values)
    for name, values in LINK_COLUMNS.items():
        graph.set_edge_attribute(name, values)
    return graph


def as_gml(columns):
    """GML has no bools: they come back as the integers 1 and 0."""
    return {name: [int(v) if isinstance(v, bool) else v for v in values] for name, values in columns.items()}


# format -> (node columns expected back, link columns expected back)
ROUND_TRIPS = {
    "graphml": (NODE_COLUMNS, LINK_COLUMNS),
    "gexf": (NODE_COLUMNS, LINK_COLUMNS),
    "gml": (as_gml(NODE_COLUMNS), as_gml(LINK_COLUMNS)),
    "csv": ({}, LINK_COLUMNS),
    # Pajek: the integer and float node columns without missing values (NaN is a value).
    "paj": ({"score": NODE_COLUMNS["score"], "rank": [1, 2, 3], "share": [0.5, 1.0, 1e-300]}, {}),
}


@pytest.mark.parametrize("suffix", list(ROUND_TRIPS))
def test_write_then_read_keeps_columns_and_types(tmp_path, suffix):
    path = tmp_path / ("g." + suffix)
    rich_graph().write(str(path))
    back = Graph.read(str(path))
    nodes, links = ROUND_TRIPS[suffix]
    found_nodes = node_columns(back)
    if suffix == "paj":
        found_nodes.pop("ic", None)  # a drawing word only where the vertex has a position
    # GML and CSV columns come back in the order their first values appear.
    assert_columns(found_nodes, nodes, ordered=suffix not in ("gml", "csv"))
    assert_columns(link_columns(back), links, ordered=suffix not in ("gml", "csv"))
    assert [c["weight"] for c in back.get_connections()] == [2.5, 1.0, 0.25]


def test_pajek_drawing_words_round_trip_with_positions(tmp_path):
    graph = read(tmp_path, "g.paj", PAJ)
    path = tmp_path / "back.net"
    graph.write(str(path))
    back = Graph.read(str(path))
    for name in ("ic", "bc", "shape", "groups", "sizes"):
        if name in ("ic",):
            # vertex 3 has no position: its words are not written
            assert node_columns(back)[name] == ["Red", None, None]
        else:
            assert node_columns(back)[name] == node_columns(graph)[name]


@pytest.mark.parametrize("name", ["viz:color", "two words", "id", "graphics.x"])
def test_gml_refuses_names_that_are_no_keys(tmp_path, name):
    graph = rich_graph()
    graph.set_node_attribute(name, ["x", "y", "z"])
    target = tmp_path / "g.gml"
    target.write_text("old")
    with pytest.raises(ValueError, match="is no GML key"):
        graph.write(str(target))
    assert target.read_text() == "old"


def test_graphs_without_columns_write_the_same_bytes(tmp_path):
    graph = rich_graph()
    for name in list(NODE_COLUMNS):
        graph.remove_node_attribute(name)
    for name in list(LINK_COLUMNS):
        graph.remove_edge_attribute(name)
    plain = Graph()
    for node in graph.nodes:
        plain.add_node(node.label)
    for c in graph.get_connections():
        plain.create_connection(c["from"], c["to"], c["weight"], c["directed"])
    for suffix in ("graphml", "gexf", "gml", "csv", "net", "json"):
        graph.write(str(tmp_path / ("a." + suffix)))
        plain.write(str(tmp_path / ("b." + suffix)))
        assert (tmp_path / ("a." + suffix)).read_bytes() == (tmp_path / ("b." + suffix)).read_bytes(), suffix


# ---- peers read what we write ---------------------------------------------------------------


def peer_items(fmt, suffix, path):
    """Node and edge attribute dicts as the peer reads them, nodes in file order,
    edges in ours (each found by its ends' positions)."""
    if fmt == "igraph":
        g = igraph.Graph.Read_GraphML(str(path)) if suffix == "graphml" else igraph.Graph.Read_GML(str(path))
        edges = {e.tuple: e.attributes() for e in g.es}
        return [vertex.attributes() for vertex in g.vs], edges
    reader = {"graphml": nx.read_graphml, "gexf": nx.read_gexf, "gml": lambda p: nx.read_gml(p, label="id")}[fmt]
    g = reader(str(path))
    order = {node: i for i, node in enumerate(g.nodes)}
    edges = {(order[u], order[v]): data for u, v, data in g.edges(data=True)}
    return [data for _, data in g.nodes(data=True)], edges


@pytest.mark.parametrize("fmt, suffix", [("graphml", "graphml"), ("gexf", "gexf"), ("gml", "gml"),
                                         ("igraph", "graphml"), ("igraph", "gml")])
def test_peers_read_our_attribute_values(tmp_path, fmt, suffix):
    path = tmp_path / ("g." + suffix)
    graph = rich_graph(mixed=False)  # networkx refuses mixed graphs
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        graph.write(str(path))
    gml = suffix == "gml"
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # igraph warns of the GML character references it leaves as they are
        nodes, edges = peer_items(fmt, suffix, path)
    ends = [(c["from"], c["to"]) for c in graph.get_connections()]
    position = {node.label: i for i, node in enumerate(graph.nodes)}
    checks = [(data, as_gml(NODE_COLUMNS) if gml else NODE_COLUMNS, i) for i, data in enumerate(nodes)]
    checks += [(edges[(position[a], position[b])], as_gml(LINK_COLUMNS) if gml else LINK_COLUMNS, k)
               for k, (a, b) in enumerate(ends)]
    for data, expected, i in checks:
        for name, values in expected.items():
            value = data.get(name)
            if fmt == "igraph" and gml and isinstance(value, str):
                value = html.unescape(value)  # igraph leaves GML's character references as written
            if fmt == "igraph" and values[i] is None:
                # igraph fills a missing value: NaN for numbers, "" or False otherwise
                assert value in ("", False) or (isinstance(value, float) and math.isnan(value))
                continue
            if fmt == "igraph" and isinstance(values[i], int) and not isinstance(values[i], bool):
                assert value == values[i]  # igraph keeps every number as a float
                continue
            assert same(value, values[i]) or (value is None and values[i] is None), (fmt, name, i, value, values[i])
