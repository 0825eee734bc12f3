"""Edge lists we write read back as the graph they came from: labels, links,
weights, directions, nodes without links and link attribute columns, for
labels chosen to mislead the reader (numbers, separators, quotes, blanks,
comment signs, column names)."""
import math
import os
import random

import numpy
import pyarrow.csv
import pytest

import mivora

# Pieces a label is made of: each has misled some reader of delimited text.
PIECES = ["42", "2.5", "-1e3", "inf", "NaN", "0", "007", "alice", "bob", "a,b", "x;y", "p|q", "t\tab",
          'q"uote', '"', ",", " ", "sp ace", "#", "%", "source", "target", "from", "to", "weight", "type",
          "directed", "true", "é", "\u00a0", "\ufeff", "\x01", "\x7f", "1,2", "L", "R"]
WEIGHTS = [1.0, 2.5, 0.0, -3.0, math.inf, -math.inf, 1e-7, 3.4e38, 0.1, 7.0]
FILES = [("g.csv", {}), ("g.tsv", {}), ("g.txt", {}), ("g.edges", {}), ("g.csv", {"delimiter": ";"}),
         ("g.txt", {"delimiter": "|"})]


def random_label(rng):
    return "".join(rng.choice(PIECES) for _ in range(rng.choice([0, 1, 1, 1, 2, 3])))


def random_graph(rng):
    graph = mivora.Graph()
    labels = []
    while len(labels) < rng.randint(1, 12):
        label = random_label(rng)
        if label not in labels:
            labels.append(label)
            graph.add_node(label)
    directed = rng.choice(["none", "all", "some"])
    for _ in range(rng.randint(0, 20)):
        is_directed = directed == "all" or (directed == "some" and rng.random() < 0.5)
        graph.create_connection(rng.choice(labels), rng.choice(labels), rng.choice(WEIGHTS), is_directed)
    return graph


def add_columns(rng, graph):
    links = graph.get_edge_count()
    if links == 0:
        return
    graph.set_edge_attribute("count", [rng.choice([None, 0, -5, 12]) for _ in range(links)])
    graph.set_edge_attribute("share", [rng.choice([None, 0.5, 2.0, -1e300]) for _ in range(links)])
    graph.set_edge_attribute("flag", [rng.choice([None, True, False]) for _ in range(links)])
    graph.set_edge_attribute("note", [rng.choice([None, random_label(rng) or "x"]) for _ in range(links)])


def links_of(graph, columns=()):
    values = [list(graph.edge_attribute(name)) for name in columns]
    rows = []
    for i, link in enumerate(graph.get_connections()):
        rows.append((link["from"], link["to"], repr(link["weight"]), link["directed"],
                     *(repr(column[i]) for column in values)))
    return sorted(rows)


@pytest.mark.parametrize("name, options", FILES)
@pytest.mark.parametrize("with_columns", [False, True])
def test_random_graphs_read_back(tmp_path, name, options, with_columns):
    rng = random.Random(f"{name}{options}{with_columns}")
    path = tmp_path / name
    for case in range(60):
        graph = random_graph(rng)
        if with_columns:
            add_columns(rng, graph)
        graph.write(path, **options)
        back = mivora.Graph.read(path, delimiter=options.get("delimiter"))
        columns = graph.edge_attribute_names()
        context = f"case {case}: {path.read_bytes()[:300]!r}"
        assert sorted(back.labels()) == sorted(graph.labels()), context
        assert back.edge_attribute_names() == columns, context
        assert links_of(back, columns) == links_of(graph, columns), context


@pytest.mark.parametrize("first, second, header", [
    (("alice", "42"), ("42", "bob"), True),       # a word above numbers
    (("from", "to"), ("to", "from"), True),      # ends named like a header's columns
    (("1", "2"), ("2", "3"), False),              # nothing to mistake: the bytes of before
    (("a b", "c"), ("c", "d"), False),
])
def test_header_written_where_the_rows_would_pass_for_one(tmp_path, first, second, header):
    graph = mivora.Graph()
    for label in dict.fromkeys(first + second):
        graph.add_node(label)
    graph.create_connection(*first, 2.5)
    graph.create_connection(*second, 3.0)
    graph.write(tmp_path / "g.csv")
    text = (tmp_path / "g.csv").read_text()
    assert text.startswith("source,target,weight\n") == header
    assert links_of(mivora.Graph.read(tmp_path / "g.csv")) == links_of(graph)


@pytest.mark.parametrize("directed, attribute, header", [
    ([True, True], None, "source,target,weight,type"),
    ([True, False], None, "source,target,weight,type"),
    ([False, True], None, "source,target,weight,type"),
    # A link attribute named like the direction column stays an attribute.
    ([False, False], "Type", "source,target,weight,type,Type"),
])
def test_directed_links_name_their_type(tmp_path, directed, attribute, header):
    graph = mivora.Graph()
    for label in "abc":
        graph.add_node(label)
    graph.create_connection("a", "b", 1.0, directed[0])
    graph.create_connection("b", "c", 2.0, directed[1])
    if attribute:
        graph.set_edge_attribute(attribute, ["directed", "Directed"])
    graph.write(tmp_path / "g.csv")
    assert (tmp_path / "g.csv").read_text().splitlines()[0] == header
    again = mivora.Graph.read(tmp_path / "g.csv")
    assert links_of(again) == links_of(graph)
    if attribute:
        assert again.edge_attribute(attribute) == ["directed", "Directed"]


@pytest.mark.parametrize("weights, header", [(True, "source,target,weight,Weight"), (False, None)])
def test_an_attribute_named_weight_never_reads_back_as_the_weights(tmp_path, weights, header):
    target = tmp_path / "g.csv"
    target.write_text("old content\n")
    graph = mivora.Graph()
    for label in "abc":
        graph.add_node(label)
    graph.create_connection("a", "b", 1.0)
    graph.create_connection("b", "c", 2.0)
    graph.set_edge_attribute("Weight", [7.0, 8.0])
    if header is None:
        with pytest.raises(ValueError, match="'Weight' would be read back as the weights"):
            graph.write(target, weights=weights)
        assert target.read_text() == "old content\n"
        return
    graph.write(target, weights=weights)
    assert target.read_text().splitlines()[0] == header
    again = mivora.Graph.read(target)
    assert links_of(again) == links_of(graph)
    assert list(again.edge_attribute("Weight")) == [7.0, 8.0]


@pytest.mark.parametrize("label, written", [
    ("x;y", '"x;y"'), ("p|q", '"p|q"'), ("a,b", '"a,b"'), ("t\tab", '"t\tab"'), ("bell\x07", '"bell\x07"'),
    ("\ufeffbom", '"\ufeffbom"'), ("New York", "New York"), ("plain", "plain"),
])
def test_labels_quoted_where_a_reader_could_split_them(tmp_path, label, written):
    graph = mivora.Graph()
    graph.add_node(label)
    graph.add_node("z")
    graph.create_connection(label, "z", 1.0)
    graph.write(tmp_path / "g.csv")
    assert (tmp_path / "g.csv").read_text(encoding="utf-8").splitlines()[0] == f"{written},z,1"


@pytest.mark.parametrize("rows, links", [("x,y,1|a,{long},1|z,x,1", 3), ("{long},b,2.5|z,x,1", 2),
                                         ("x y|a {long} 1|z x", 3), ("{long}|a,b,1", 1)])
def test_a_long_line_reads_whole(tmp_path, rows, links):
    long_label = "n" * (3 << 20)  # many times the reader's window
    path = tmp_path / "g.txt"
    path.write_text(rows.format(long=long_label).replace("|", "\n") + "\n")
    graph = mivora.Graph.read(path)
    assert long_label in graph.labels()
    assert graph.get_edge_count() == links


MANY = ",1" * (1 << 20)  # a row of a million fields, past the few the reader keeps


@pytest.mark.parametrize("text, options, links", [
    ("source,target,weight,type\na,b,2.5,directed{many}\n", {}, [("a", "b", 2.5, True)]),
    ("a,b,3{many}\nb,c,4\n", {}, [("a", "b", 3.0, False), ("b", "c", 4.0, False)]),
    ("a,b,3\n" * 20 + "b,c,4{many}\n", {}, [("a", "b", 3.0, False)] * 20 + [("b", "c", 4.0, False)]),
    ("a,b,3,0,0,7{many}\n", {"weight": 5}, [("a", "b", 7.0, False)]),
    ("a\tb{tabs}\n", {}, [("a", "b", 1.0, False)]),
])
def test_a_row_of_many_fields_reads_its_first_columns(tmp_path, text, options, links):
    path = tmp_path / "g.txt"
    path.write_text(text.format(many=MANY, tabs=MANY.replace(",", "\t")))
    graph = mivora.Graph.read(path, **options)
    assert [(c["from"], c["to"], c["weight"], c["directed"]) for c in graph.get_connections()] == links


@pytest.mark.parametrize("row, past_quote, message", [
    ('a,b{many},"open', 0, "a quoted field is not closed on its line"),
    ('a,b{many},"q"x,1', 3, "expected a separator after the quoted field"),
])
def test_a_fault_far_along_a_row_of_many_fields_is_found(tmp_path, row, past_quote, message):
    path = tmp_path / "g.txt"
    row = row.format(many=MANY)
    path.write_text("x,y\n" * 20 + row + "\n")
    column = row.index('"') + past_quote + 1
    with pytest.raises(mivora.FormatError, match=f"line 21, column {column}: {message}"):
        mivora.Graph.read(path)


# Rows are formatted in blocks of 32,768 links; from four blocks on, every
# other block is formatted on a second thread. Node s has links 5s .. 5s + 4,
# so its first row, and the block it falls in, is known.
BLOCK = 32_768


def blocks_graph(bad=()):
    # Arrays, not lists, and Arrow to read the rows back: the sanitized build
    # pays for every Python object.
    nodes = 5 * BLOCK // 5 + 10
    labels = [f"n{i}" for i in range(nodes)]
    for position in bad:
        labels[position] = f"bad\nrow {5 * position}"
    links = numpy.arange(5 * BLOCK)
    sources = links // 5
    targets = nodes - 1 - links % 7  # never a bad label
    weights = (links % 9) / 4
    return mivora.Graph.from_edges(sources, targets, weights, True, labels), labels, sources, targets, weights


@pytest.mark.parametrize("with_column", [False, True])
def test_rows_formatted_in_blocks_come_in_record_order(tmp_path, with_column):
    graph, labels, sources, targets, weights = blocks_graph()
    if with_column:
        graph.set_edge_attribute("rank", numpy.arange(len(sources)))
    path = tmp_path / "g.txt"
    graph.write(path, header=True)
    # The rows of the nodes without links, after the links', have one field.
    table = pyarrow.csv.read_csv(path, parse_options=pyarrow.csv.ParseOptions(
        delimiter=" ", invalid_row_handler=lambda row: "skip"))
    assert table.column_names == ["source", "target", "weight", "type"] + (["rank"] if with_column else [])
    assert table.num_rows == len(sources)
    names = pyarrow.array(labels)
    assert table["source"].combine_chunks().equals(names.take(sources))
    assert table["target"].combine_chunks().equals(names.take(targets))
    assert numpy.array_equal(table["weight"].to_numpy(), weights)
    if with_column:
        assert numpy.array_equal(table["rank"].to_numpy(), numpy.arange(len(sources)))


@pytest.mark.parametrize("bad, named", [
    ((10,), 10),                                  # first block: the helper's
    (((BLOCK + 100) // 5,), (BLOCK + 100) // 5),  # second block: this thread's
    ((10, (BLOCK + 100) // 5), 10),               # both: the earlier row is the fault
    (((3 * BLOCK + 5) // 5,), (3 * BLOCK + 5) // 5),
])
def test_an_unwritable_label_in_any_block_is_refused_by_its_first_row(tmp_path, bad, named):
    graph, *_ = blocks_graph(bad)
    path = tmp_path / "g.txt"
    path.write_text("old content\n")
    with pytest.raises(ValueError, match=f"row {5 * named}'.*line break"):
        graph.write(path)
    assert path.read_text() == "old content\n"


def test_ctrl_c_during_a_write_in_blocks_keeps_the_old_file(tmp_path, ctrl_c_after):
    ids = numpy.arange(120 * BLOCK)  # a write of about 0.1 s
    graph = mivora.Graph.from_edges(ids % 1000, ids % 997, None, True)
    path = tmp_path / "g.txt"
    path.write_text("old content\n")
    with pytest.raises(KeyboardInterrupt), ctrl_c_after(0.02):
        graph.write(path)
    assert path.read_text() == "old content\n"
    assert os.listdir(tmp_path) == ["g.txt"]
