"""Reading files as a new user does, Graph.read(path) with no options: the format
and the encoding found from the content, edge-list dialects from the first rows,
and the Pajek, GML and GraphML cases that earlier slipped through; XML we write
always reads back."""
import json
import warnings
import xml.etree.ElementTree as ET

import igraph
import networkx as nx
import pytest

import mivora
from mivora import Graph

GML = 'Creator "someone"\ngraph [\n  node [ id 1 label "a" ]\n  node [ id 2 label "b" ]\n  edge [ source 1 target 2 ]\n]\n'
GRAPHML = ('<?xml version="1.0"?>\n<!-- made by hand -->\n<graphml xmlns="http://graphml.graphdrawing.org/xmlns">'
           '<graph edgedefault="undirected"><node id="a"/><node id="b"/><edge source="a" target="b"/></graph></graphml>')
GEXF = ('<?xml version="1.0"?><gexf xmlns="http://gexf.net/1.3" version="1.3"><graph defaultedgetype="undirected">'
        '<nodes><node id="a" label="a"/><node id="b" label="b"/></nodes>'
        '<edges><edge source="a" target="b"/></edges></graph></gexf>')
PAJEK = '% a comment\n*Vertices 2\n1 "a"\n2 "b"\n*Edges\n1 2\n'
JSON = '{"nodes": [{"label": "a"}, {"label": "b"}], "edges": [{"source": "a", "target": "b", "weight": 1}]}'
EDGES = '% sym unweighted\na b\n'


def write(tmp_path, name, content):
    path = tmp_path / name
    path.write_bytes(content if isinstance(content, bytes) else content.encode())
    return str(path)


def links(graph):
    return [(c["from"], c["to"], c["weight"]) for c in graph.get_connections()]


def labels(graph):
    return [node.label for node in graph.nodes]


# ---- format by content -------------------------------------------------------------------

@pytest.mark.parametrize("name, content", [
    ("out.konect", EDGES), ("network", GML), ("g.dat", GRAPHML), ("g.txt", GEXF), ("g.xml", GEXF),
    ("project", PAJEK), ("g.unknown", JSON), ("g.txt", GML), ("out.x", "\ufeff" + GML),
    ("g.dat", '# made by hand\ncomment [ text "a [ b" ]\nVersion 1\n' + GML),
])
def test_format_is_found_by_content_without_a_telling_extension(tmp_path, name, content):
    graph = Graph.read(write(tmp_path, name, content))
    assert labels(graph) == ["a", "b"] and [(f, t) for f, t, _ in links(graph)] == [("a", "b")]


@pytest.mark.parametrize("name, content, named, found", [
    ("g.net", GML, "pajek", "gml"), ("g.graphml", GEXF, "graphml", "gexf"), ("g.gexf", GRAPHML, "gexf", "graphml"),
    ("g.gml", PAJEK, "gml", "pajek"), ("g.csv", GRAPHML, "edgelist", "graphml"), ("g.json", GML, "json", "gml"),
])
def test_content_of_another_format_than_the_extension_says_is_refused(tmp_path, name, content, named, found):
    with pytest.raises(mivora.FormatError, match=f"says {named} but the content is {found}.*format='{found}'"):
        Graph.read(write(tmp_path, name, content))
    # Told, it reads.
    assert Graph.read(str(tmp_path / name), format=found).get_node_count() == 2


@pytest.mark.parametrize("name, content, message", [
    ("garbage.net", "hello world\nthis is no network\n", r"line 1: expected a Pajek section header .* found 'hello world'"),
    ("garbage.net", b"\x89PNG\r\n\x1a\n\x00\x00", "expected a Pajek section header"),
    ("blob", b"\x7fELF\x02\x01\x01\x00\x00\x00", r"line 1, column 1: expected rows of vertex ids, found binary data"),
    ("g.edges", "a\x00b c\n", "found binary data \\(byte 0x00\\)"),
    ("page", "<!DOCTYPE html><html><body/></html>", "expected a graph file .* found an XML root element <html>"),
])
def test_a_file_of_no_graph_format_is_a_format_error(tmp_path, name, content, message):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the encoding guess for binary bytes
        with pytest.raises(mivora.FormatError, match=message):
            Graph.read(write(tmp_path, name, content))


@pytest.mark.parametrize("name", ["empty", "empty.net", "empty.txt", "empty.edges"])
def test_an_empty_file_is_an_empty_graph(tmp_path, name):
    assert Graph.read(write(tmp_path, name, "")).get_node_count() == 0


def test_format_given_overrides_the_content(tmp_path):
    # The text of a GML file read as an edge list because the caller says so.
    graph = Graph.read(write(tmp_path, "g.net", "graph [\n"), format="edgelist")
    assert labels(graph) == ["graph", "["]


# ---- encoding by content -----------------------------------------------------------------

@pytest.mark.parametrize("text, encoding", [
    ("Šuštar Žiga Čebelar Miloš Kovač Jože", "cp1250"),
    ("Łódź Wrocław Gdańsk Kraków Żabka", "cp1250"),
    ("Müller Café Hélène Sørensen Ñandú José", "cp1252"),
    ("naïve façade Zoë Œuvre cœur", "cp1252"),
])
def test_text_that_is_not_utf8_is_read_in_the_code_page_its_bytes_fit(tmp_path, text, encoding):
    names = text.split()
    content = "*Vertices %d\n" % len(names) + "".join(f'{i + 1} "{n}"\n' for i, n in enumerate(names))
    path = write(tmp_path, "g.net", ("% " + "x" * 70000 + "\n" + content).encode(encoding))
    with pytest.warns(UserWarning, match=f"not UTF-8; read as {encoding}.*pass encoding="):
        graph = Graph.read(path)
    assert labels(graph) == names
    # Told the encoding, no guessing: no warning, and UTF-8 refuses the bytes.
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert labels(Graph.read(path, encoding=encoding)) == names
        with pytest.raises(ValueError, match="UTF-8"):
            Graph.read(path, encoding="utf-8")


@pytest.mark.parametrize("offset", [65532, 65533, 65534, 65535, 65536, 65537])
def test_the_first_byte_that_is_not_utf8_may_fall_on_a_read_boundary(tmp_path, offset):
    padding = "%" + "x" * (offset - len("%\n*Vertices 1\n1 \"")) + "\n"
    content = (padding + '*Vertices 1\n1 "Čebelar šž"\n').encode("cp1250")
    assert content.index(b"\xc8") == offset
    with pytest.warns(UserWarning, match="read as cp1250"):
        assert labels(Graph.read(write(tmp_path, "g.net", content))) == ["Čebelar šž"]


def test_utf8_text_is_read_without_a_warning(tmp_path):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert labels(Graph.read(write(tmp_path, "g.edges", "Čebelar Müller\n"))) == ["Čebelar", "Müller"]


# ---- edge-list dialects ------------------------------------------------------------------

@pytest.mark.parametrize("content, expected", [
    # tab-separated with a header and names holding spaces
    ("from\tto\nJohn Smith\tAnna Bell\nAnna Bell\tBo Li\n", [("John Smith", "Anna Bell", 1), ("Anna Bell", "Bo Li", 1)]),
    # semicolons, as spreadsheets write CSV in much of Europe
    ("a;b\nb;c\nc;d\n", [("a", "b", 1), ("b", "c", 1), ("c", "d", 1)]),
    ("Anna Bell;Bo Li;2\nBo Li;Cy;3\n", [("Anna Bell", "Bo Li", 2), ("Bo Li", "Cy", 3)]),
    ("a|b|2\nb|c|3\n", [("a", "b", 2), ("b", "c", 3)]),
    ('"Smith, J","Doe, A"\n"Doe, A","Roe, B"\n', [("Smith, J", "Doe, A", 1), ("Doe, A", "Roe, B", 1)]),
    # a comma inside a name of a white-space separated file is no separator
    ("Smith,J Doe\nDoe Roe\nRoe Poe\n", [("Smith,J", "Doe", 1), ("Doe", "Roe", 1), ("Roe", "Poe", 1)]),
    # header rows: words over numbers in any early row, or not
    ("col1 col2\n1 2\n2 3\n", [("1", "2", 1), ("2", "3", 1)]),
    ("x y\nb c\n3 4\n", [("x", "y", 1), ("b", "c", 1), ("3", "4", 1)]),
    # the weight column from every row
    ("a b\nb c 12.3e5\na c\n", [("a", "b", 1), ("b", "c", 1.23e6), ("a", "c", 1)]),
    ("a b\nb c\nc d\nd e\ne f 2.5\n", [("a", "b", 1), ("b", "c", 1), ("c", "d", 1), ("d", "e", 1), ("e", "f", 2.5)]),
    # a text third column is no weight
    ("a,b,Undirected,3\nb,c,Undirected,4\n", [("a", "b", 1), ("b", "c", 1)]),
])
def test_edge_list_dialect_is_found_from_the_first_rows(tmp_path, content, expected):
    assert sorted(links(Graph.read(write(tmp_path, "g.csv", content)))) == sorted(expected)


def test_edge_list_dialect_matches_pandas_sniffing_for_semicolons(tmp_path):
    pandas = pytest.importorskip("pandas")
    content = "source;target;weight\nAnna Bell;Bo Li;2\nBo Li;Cy Young;3.5\n"
    path = write(tmp_path, "g.csv", content)
    frame = pandas.read_csv(path, sep=None, engine="python")
    assert links(Graph.read(path)) == list(frame.itertuples(index=False, name=None))


@pytest.mark.parametrize("content, line, column", [
    ("1,2,3\n3,4,heavy\n", 2, 5),
    ("a b 1\nb c 2\nc d 3\nd e x1\n", 4, 5),
])
def test_a_word_where_the_weights_are_numbers_is_a_format_error(tmp_path, content, line, column):
    with pytest.raises(mivora.FormatError, match="the weight '.*' is not a number") as caught:
        Graph.read(write(tmp_path, "g.csv", content))
    assert (caught.value.line, caught.value.column) == (line, column)


# ---- Pajek ---------------------------------------------------------------------------------

def test_pajek_label_ends_at_its_closing_quote(tmp_path):
    path = write(tmp_path, "g.net", '*Vertices 3\n1 "Jürgen Müller" 0.63 0.25 0.5 ellipse foo "a b c"\n'
                 '2 "a b" ic Red fos "Arial"\n3 "say "hi""\n*Edges\n1 2\n')
    graph = Graph.read(path, positions="file")
    assert labels(graph) == ["Jürgen Müller", "a b", 'say "hi"']
    graph.write(str(tmp_path / "g.json"))
    first = json.loads((tmp_path / "g.json").read_text())["nodes"][0]
    assert (first["x"], first["y"]) == (0.63, 0.25)
    # igraph agrees on the first (it refuses the other two lines).
    one = write(tmp_path, "one.net", '*Vertices 1\n1 "Jürgen Müller" 0.63 0.25 0.5 ellipse foo "a b c"\n')
    assert labels(Graph.read(one)) == igraph.Graph.Read_Pajek(one).vs["name"] == ["Jürgen Müller"]


@pytest.mark.parametrize("label, written", [('say "hi"', '"say &#34;hi&#34;"'),
                                             ("&#34;", '"&#38;#34;"'), ("a&#38;b", '"a&#38;#38;b"'),
                                             ("R&D &#3", '"R&D &#3"'), ('&"&#34', '"&&#34;&#34"')])
def test_pajek_label_references_read_back(tmp_path, label, written):
    graph = Graph()
    graph.add_node(label)
    graph.add_node("plain")
    graph.create_connection(label, "plain", 2.0)
    path = str(tmp_path / "g.net")
    graph.write(path)
    assert "1 " + written in (tmp_path / "g.net").read_text()
    assert labels(Graph.read(path)) == [label, "plain"]
    assert igraph.Graph.Read_Pajek(path).vcount() == 2


# ---- GML -------------------------------------------------------------------------------------

@pytest.mark.parametrize("value, expected", [("-Inf", float("-inf")), ("+INF", float("inf")), ("-inf", float("-inf")),
                                              ("Infinity", float("inf")), ("-NaN", None), ("NAN", None)])
def test_gml_signed_infinity_and_nan_in_any_case(tmp_path, value, expected):
    text = f'graph [\n node [ id 0 ]\n node [ id 1 score {value} ]\n edge [ source 0 target 1 weight {value} ]\n]\n'
    weight = links(Graph.read(write(tmp_path, "g.gml", text)))[0][2]
    assert weight == expected if expected is not None else weight != weight


def test_gml_signed_infinity_as_networkx_and_igraph_write_it(tmp_path):
    peer = nx.Graph()
    peer.add_edge("a", "b", weight=float("-inf"), other=float("inf"))
    nx.write_gml(peer, str(tmp_path / "nx.gml"))
    assert links(Graph.read(str(tmp_path / "nx.gml")))[0][2] == float("-inf")
    ig = igraph.Graph([(0, 1)])
    ig.es["weight"] = [float("-inf")]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)  # igraph: "will not be conformant"
        ig.write_gml(str(tmp_path / "ig.gml"))
    assert links(Graph.read(str(tmp_path / "ig.gml")))[0][2] == float("-inf")


def test_gml_edge_to_an_undeclared_node_is_a_format_error(tmp_path):
    text = "graph [\n  node [ id 1 ]\n  edge [ source 1 target 1 ]\n  edge [\n source 1 target 7 ]\n]\n"
    path = write(tmp_path, "g.gml", text)
    with pytest.raises(mivora.FormatError, match=r"line 4, column 8: an edge names node id '7', which no node declares"):
        Graph.read(path)
    with pytest.raises(nx.NetworkXError):
        nx.read_gml(path, label="id")
    # Nodes after the edges that name them are fine.
    later = "graph [\n  edge [ source 1 target 2 ]\n  node [ id 1 ]\n  node [ id 2 ]\n]\n"
    assert len(links(Graph.read(write(tmp_path, "later.gml", later)))) == 1


# ---- GraphML -----------------------------------------------------------------------------------

def test_graphml_node_holding_a_graph_comes_before_its_inner_nodes(tmp_path):
    text = ('<graphml><graph edgedefault="directed"><node id="a"/><node id="outer"><graph>'
            '<node id="outer::in1"/><node id="outer::in2"/></graph></node><node id="z"/>'
            '<edge source="a" target="outer::in1"/></graph></graphml>')
    assert labels(Graph.read(write(tmp_path, "g.graphml", text))) == ["a", "outer", "outer::in1", "outer::in2", "z"]


# ---- one XML escaper ------------------------------------------------------------------------

def label_with(code_point_text):
    return "a" + code_point_text + "b"


KEPT = ["\x85", "\x9f", "\ufdd0", "\U0001fffe", "\U0010fffd", "\U0001d11e", "\u00e9", "&<>\"'"]
REFUSED = ["\x01", "\x1f", "\ufffe", "\uffff"]


@pytest.mark.parametrize("extension", ["graphml", "gexf"])
@pytest.mark.parametrize("text", KEPT + REFUSED)
def test_xml_we_write_reads_back_or_is_refused_before_writing(tmp_path, extension, text):
    graph = Graph()
    graph.add_node(label_with(text))
    graph.add_node("other")
    path = tmp_path / f"g.{extension}"
    if text in REFUSED:
        with pytest.raises(ValueError, match="XML cannot hold"):
            graph.write(str(path))
        assert not path.exists()
        return
    graph.write(str(path))
    assert labels(Graph.read(str(path))) == [label_with(text), "other"]
    ET.parse(str(path))  # a second parser agrees


@pytest.mark.parametrize("text", KEPT + REFUSED)
def test_drawings_are_well_formed_for_every_character(text):
    graph = Graph()
    graph.add_node(label_with(text))
    ET.fromstring(graph.output_svg())


def test_surrogate_bytes_in_a_file_are_read_and_written_back(tmp_path):
    # UTF-16 surrogates encoded as if UTF-8 are no UTF-8: the text is read as cp1252.
    with pytest.warns(UserWarning, match="read as cp1252"):
        graph = Graph.read(write(tmp_path, "g.edges", b"a\xed\xa0\x80b c\n"))
    label = b"a\xed\xa0\x80b".decode("cp1252")
    assert labels(graph) == [label, "c"]
    for extension in ["graphml", "gexf"]:
        graph.write(str(tmp_path / f"out.{extension}"))
        assert labels(Graph.read(str(tmp_path / f"out.{extension}")))[0] == label
    ET.fromstring(graph.output_svg())
