"""Edge-list rows read the same whichever way the reader cuts them: rows of
plain ASCII fields take a quicker path than rows with quotes, padding, empty
fields or non-ASCII bytes, so every such file is compared with the same rows
in a file that holds one non-ASCII comment (which sends every row down the
general path), and large numeric files with pandas' reading of them."""
import random

import pytest

import mivora

numpy = pytest.importorskip("numpy")
pandas = pytest.importorskip("pandas")

FIELDS = ["a", "b", "12", "7", "x y", ' "q" ', '"a"', '"c,d"', " a", "b ", "", "1.5", "-2", "nan", "w",
          "a!b", "!", "p#q", "x\x01y", "node_with_a_long_name", "0123456789abcdef!"]
ENDS = ["\n", "\r\n", "\r"]


def random_rows(rng, separator):
    rows = []
    for _ in range(rng.randint(17, 60)):  # past the rows that settle the layout
        if rng.random() < 0.08:
            rows.append(rng.choice(["# note", "   ", "% x", ""]))
            continue
        count = rng.choice([1, 2, 2, 3, 3, 4])
        fields = [rng.choice(FIELDS) if rng.random() < 0.25 else rng.choice(["a", "b", "c", "10", "11"])
                  for _ in range(count)]
        if count >= 3 and rng.random() < 0.7:
            fields[2] = rng.choice(["1", "2.5", "-3e2", "0.125"])
        rows.append(separator.join(fields) + ("" if rng.random() < 0.9 else separator))
    return rows


def outcome(path):
    try:
        graph = mivora.Graph.read(path, format="edgelist")
    except ValueError as error:
        return "error", str(error).replace(str(path), "FILE")
    return graph.labels(), repr(graph.get_connections())  # repr: NaN weights compare equal


@pytest.mark.parametrize("separator", [",", "\t", " ", ";"])
def test_plain_rows_read_as_the_general_path_reads_them(tmp_path, separator):
    rng = random.Random(separator)
    for case in range(80):
        rows = random_rows(rng, separator)
        text = "".join(row + rng.choice(ENDS) for row in rows)
        ascii_path, general_path = tmp_path / "a.txt", tmp_path / "b.txt"
        ascii_path.write_bytes(text.encode())
        general_path.write_bytes((text + "\n# é\n").encode())
        assert outcome(ascii_path) == outcome(general_path), f"case {case}: {text!r}"


@pytest.mark.parametrize("separator, end", [(" ", "\n"), (",", "\r\n"), ("\t", "\r\n")])
def test_large_file_reads_as_pandas_reads_it(tmp_path, separator, end):
    # Several windows of the reader, so rows and CR LF pairs fall across them.
    rng = random.Random(3)
    rows = [(f"n{rng.randrange(5000)}", f"n{rng.randrange(5000)}", rng.choice(["1", "0.5", "2.75", "1e-3", "-4"]))
            for _ in range(60_000)]
    path = tmp_path / "big.txt"
    path.write_bytes("".join(separator.join(row) + end for row in rows).encode())
    frame = pandas.read_csv(path, sep=separator, header=None, names=["from", "to", "weight"],
                            dtype={"from": str, "to": str})
    graph = mivora.Graph.read(path, format="edgelist")
    labels = numpy.array(graph.labels(), dtype=object)
    sources, targets, weights, _ = graph.to_edges()
    got = pandas.DataFrame({"from": labels[sources], "to": labels[targets], "weight": numpy.asarray(weights, float)})
    expected = frame.assign(weight=frame["weight"].astype("float32").astype(float))
    columns = ["from", "to", "weight"]
    pandas.testing.assert_frame_equal(got.sort_values(columns, ignore_index=True),
                                      expected.sort_values(columns, ignore_index=True), check_dtype=False)
    assert graph.labels() == list(dict.fromkeys(label for row in rows for label in row[:2]))


def test_every_label_of_a_large_file_finds_its_own_node(tmp_path):
    # Enough labels that the index is filled bucket by bucket.
    labels = [f"v{i * 7919 % 100_003}" for i in range(90_000)]
    path = tmp_path / "g.txt"
    path.write_text("".join(f"{a} {b}\n" for a, b in zip(labels, labels[1:] + labels[:1])))
    graph = mivora.Graph.read(path)
    assert graph.labels() == labels
    assert all(graph.node_by_label(label).label == label for label in labels)
    graph.add_node("v3")  # present already: nothing added
    assert graph.get_node_count() == len(labels)


def test_short_decimals_read_as_correctly_rounded_numbers(tmp_path):
    # Weights are single precision, other number columns double: each must
    # be the nearest value of its type to the decimal written.
    rng = random.Random(5)
    texts = ["0", "-0", "+7", "7.", ".5", "0.35", "1e3", "9999999", "99999999", "0.1234567", "123456789012345",
             "1234567890123456", "0.000000000000001"]
    for _ in range(3000):
        digits = str(rng.randrange(10 ** rng.randint(1, 16))).zfill(rng.randint(1, 16))
        point = rng.randint(0, len(digits))
        texts.append(rng.choice(["", "-"]) + digits[:point] + "." + digits[point:])
    path = tmp_path / "g.csv"
    path.write_text("source,target,weight,share\n" + "".join(f"a{i},b{i},{t},{t}\n" for i, t in enumerate(texts)))
    graph = mivora.Graph.read(path)
    shares = graph.edge_attribute("share")
    for i, link in enumerate(graph.get_connections()):
        text = texts[int(link["from"][1:])]
        assert repr(link["weight"]) == repr(float(numpy.float32(text))), text
        assert repr(float(shares[i])) == repr(float(text)), text


def test_weights_are_written_as_their_shortest_decimals(tmp_path):
    # numpy's shortest positional text of a float32 is the oracle; short
    # decimals, ties and arbitrary bit patterns all come through.
    rng = random.Random(2)
    weights = [0.35, 12.0, 1200.0, 0.0035, 1e-7, 123456.7, 3.4e38, 16777216.0, -2.5, 9999999.0, 8388607.5, 1e-45]
    while len(weights) < 20_000:
        if rng.random() < 0.5:
            value = rng.randrange(10 ** rng.randint(1, 8)) / 10 ** rng.randint(0, 8) * rng.choice([1, -1])
        else:
            value = numpy.frombuffer(rng.getrandbits(32).to_bytes(4, "little"), numpy.float32)[0]
        if numpy.isfinite(value):
            weights.append(float(numpy.float32(value)))
    graph = mivora.Graph()
    graph.add_node("a")
    graph.add_node("b")
    for weight in weights:
        graph.create_connection("a", "b", weight)
    graph.write(tmp_path / "g.csv")
    written = [row.split(",")[2] for row in (tmp_path / "g.csv").read_text().splitlines()]
    assert written == [numpy.format_float_positional(numpy.float32(w), trim="-") for w in weights]


# A graph read from an edge list indexes its labels when a call first needs
# them: whichever call that is, it sees the graph a graph built node by node sees.
FIRST_CALLS = {
    "node_by_label": lambda g: g.node_by_label("n7").label,
    "index_of": lambda g: (g.index_of("n3"), g.index_of("n0")),
    "add_node present": lambda g: (g.add_node("n5").label, g.get_node_count(), g.index_of("n5")),
    "add_node new": lambda g: (g.add_node("zz").label, g.index_of("zz"), g.index_of("n9")),
    "create_connection": lambda g: (g.create_connection("n2", "n9", 2.0, True), g.neighbors("n2", "out")),
    "has_edge": lambda g: (g.has_edge("n1", "n4"), g.number_of_edges("n4", "n1")),
    "add_nodes then add_edges": lambda g: (g.add_nodes(["n1", "x1", "n2", "x2"]), g.add_edges(["x2", "n8"], ["n0", "x3"]),
                                           g.labels(), g.index_of("x3"), repr(g.get_connections())),
    "subgraph": lambda g: sorted(g.subgraph(["n1", "n4", "n6"]).labels()),
    "degrees": lambda g: g.compute_degrees("n6"),
}


@pytest.mark.parametrize("call", FIRST_CALLS)
def test_the_first_call_needing_labels_sees_every_node(tmp_path, call):
    rng = random.Random(call)
    rows = [(f"n{rng.randrange(10)}", f"n{rng.randrange(10)}") for _ in range(40)]
    path = tmp_path / "g.txt"
    path.write_text("".join(f"{a} {b}\n" for a, b in rows))
    built = mivora.Graph()
    for label in dict.fromkeys(label for row in rows for label in row):
        built.add_node(label)
    for a, b in rows:
        built.create_connection(a, b, 1.0)
    def outcome(graph):
        try:
            return FIRST_CALLS[call](graph)
        except (ValueError, KeyError) as error:
            return type(error).__name__, str(error)
    read = mivora.Graph.read(path, format="edgelist")
    assert read.labels() == built.labels()
    assert outcome(read) == outcome(built)
