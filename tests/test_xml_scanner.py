"""UTF-8 GraphML and GEXF documents without a DTD are read by our own
scanner, every other document by Expat. A DOCTYPE without declarations
changes nothing in a document but sends it through Expat, so each document
below, damaged at random, must give the same graph or the same fault both
ways."""
import random

import pytest

import mivora
from mivora import Graph

GRAPHML = """<?xml version="1.0" encoding="UTF-8"?>
<!-- by hand -->
<?tool some data?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns" xmlns:y="http://www.yworks.com/xml/graphml">
  <key id="d0" for="node" attr.name="name" attr.type="string"><default>none &amp; nothing</default></key>
  <key id="d1" for="edge" attr.name="weight" attr.type="double"/>
  <graph id="G" edgedefault='directed'>
    <node id="a&#233;"><data key="d0">Zo&#xEB; &lt;b&gt; caf\u00e9 \u4e2d \U0001F600</data></node>
    <node id="b\tc"><data key="d0"><![CDATA[<raw> & ]] text]]></data></node>
    <node id="c" ><y:ShapeNode><y:Geometry x="1.5" y="2"/></y:ShapeNode></node>
    <edge source="a&#233;" target="b&#9;c"><data key="d1">2.5</data></edge>
    <edge source = "b\tc" target="c" ><!-- a comment - with a dash --><data key="d1">1e-3</data></edge>
  </graph>
</graphml>
<!-- after -->
"""

GEXF = """<?xml version='1.0' encoding='utf-8' standalone='yes'?>
<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3">
  <graph mode="static" defaultedgetype="undirected">
    <attributes class="node"><attribute id="0" title="kind" type="string"><default>x&amp;y</default></attribute></attributes>
    <nodes>
      <node id="0" label="Z\u00fcrich &quot;HB&quot;"><attvalues><attvalue for="0" value="a&#10;b"/></attvalues>
        <viz:position x="1.0" y="-2.5"/></node>
      <node id="1" label='caf\u00e9 &apos;1&apos;'/>
    </nodes>
    <edges><edge source="0" target="1" weight="0.5"/><edge source="1" target="1"/></edges>
  </graph>
</gexf>
"""

# Bytes that matter to XML, and characters Expat refuses.
PIECES = ["<", ">", "&", ";", '"', "'", "/", "!", "?", "-", "[", "]", "=", "#", "x", " ", "\t", "\r", "\n",
          "&#0;", "&#x110000;", "&#xD800;", "&bogus;", "]]>", "<!--", "-->", "<![CDATA[", "<?xml ?>", "<a>",
          "</a>", "\u00e9", "\uffff", "\x00", "\x01", "\x7f"]
RAW = [b"\xc3", b"\xa9", b"\xc0\xaf", b"\xed\xa0\x80", b"\xef\xbf\xbe", b"\xf4\x90\x80\x80", b"\xff"]


def through_expat(document):
    """The same document with a DOCTYPE on its first line."""
    first_line_end = document.index(b"?>") + 2
    return document[:first_line_end] + b"<!DOCTYPE root>" + document[first_line_end:]


def outcome(tmp_path, document, format):
    path = tmp_path / f"doc.{format}"
    path.write_bytes(document)
    try:
        graph = Graph.read(str(path), encoding="utf-8")
    except mivora.FormatError as failure:
        # The DOCTYPE shifts columns of the first line only.
        return ("fault", str(failure).split(": ", 1)[1], failure.line, failure.column if failure.line > 1 else None)
    out = tmp_path / "out.graphml"
    graph.write(str(out))
    return ("graph", out.read_bytes())


def damaged(document, rng):
    """The document with one to three random edits after its first line."""
    data = bytearray(document)
    body = document.index(b"\n") + 1
    for _ in range(rng.randint(1, 3)):
        at = rng.randrange(body, len(data))
        piece = rng.choice(PIECES).encode() if rng.random() < 0.8 else rng.choice(RAW)
        kind = rng.randrange(3)
        if kind == 0:
            data[at:at] = piece
        elif kind == 1:
            del data[at:at + rng.randint(1, 4)]
        else:
            data[at:at + len(piece)] = piece
    return bytes(data)


@pytest.mark.parametrize("format, document", [("graphml", GRAPHML), ("gexf", GEXF)])
def test_scanner_agrees_with_expat(tmp_path, format, document):
    original = document.encode()
    rng = random.Random(20261208)
    faults = 0
    for case in range(400):
        candidate = original if case == 0 else damaged(original, rng)
        ours, expats = outcome(tmp_path, candidate, format), outcome(tmp_path, through_expat(candidate), format)
        assert ours == expats, candidate
        faults += ours[0] == "fault"
    assert 100 < faults < 400  # the edits break many documents, not all


def long_document(lines, newline):
    nodes = "".join(f'<node id="n{i}"><data key="d0">v&amp;{i} \u00e9\u4e2d{"x" * (i % 97)}</data></node>{newline}'
                    for i in range(lines))
    return (f'<?xml version="1.0" encoding="UTF-8"?>{newline}<graphml>{newline}'
            f'<key id="d0" for="node" attr.name="v" attr.type="string"/>{newline}'
            f'<graph edgedefault="undirected">{newline}{nodes}').encode()


@pytest.mark.parametrize("newline", ["\n", "\r\n", "\r"])
@pytest.mark.parametrize("ending, message", [
    ('<edge source="n1" target="n2"><data key="d1">heavy</data></edge></graph></graphml>', None),
    ("</graph></graphml>\n", None),
    ('<edge source="n1" target="n2"></node></graph></graphml>', "mismatched tag"),
    ('<node id="z" id="y"/></graph></graphml>', "duplicate attribute"),
    ("</graph></graphml><extra/>", "junk after document element"),
    ('<node id="z', "unclosed token"),
])
def test_long_documents_read_alike_across_chunks(tmp_path, newline, ending, message):
    """Tokens cut by the input's chunks, line breaks of every kind, faults and
    handler errors far into the file: the same graph or fault and line both ways."""
    document = long_document(9000, newline) + ending.replace("d1", "d0x").encode()
    if "heavy" in ending:  # a weight the reader refuses, on the last line
        document = document.replace(b'attr.type="string"/>', b'attr.type="string"/><key id="d0x" for="edge" '
                                    b'attr.name="weight" attr.type="double"/>', 1)
    ours, expats = outcome(tmp_path, document, "graphml"), outcome(tmp_path, through_expat(document), "graphml")
    assert ours == expats
    if message is not None:
        assert ours[0] == "fault" and message in ours[1] and ours[2] == 9005
