"""Core errors reach Python through one boundary: one wording per kind of
fault, whichever method meets it."""
import gc
import threading

import pytest

import mivora


@pytest.fixture
def path_graph():
    graph = mivora.Graph()
    for label in "abc":
        graph.add_node(label)
    graph.create_connection("a", "b", 1.0)
    graph.create_connection("b", "c", 2.0)
    return graph


@pytest.mark.parametrize("call", [
    lambda g: g.shortest_path("zz", "a"),
    lambda g: g.shortest_path("a", "zz", weighted=False),
    lambda g: g.shortest_path_lengths("zz"),
    lambda g: g.modularity([["a", "b", "zz"], ["c"]]),
], ids=["path-source", "path-target", "lengths", "modularity"])
def test_an_unknown_label_has_one_wording(path_graph, call):
    with pytest.raises(KeyError) as raised:
        call(path_graph)
    assert raised.value.args == ("no node labelled 'zz' in the graph",)


@pytest.mark.parametrize("call", [
    lambda g: g.communities(seed=1.5),
    lambda g: g.compute_layout(seed=1.5),
    lambda g: g.compute_layout(mivora.Layout.Random, seed="7"),
], ids=["communities", "force", "random"])
def test_a_bad_seed_has_one_wording(path_graph, call):
    with pytest.raises(TypeError, match=r"^argument 'seed': '(float|str)' object cannot be converted to 'PyInt'$"):
        call(path_graph)


@pytest.mark.parametrize("seed", [-1, 2**64 + 5, True])
def test_any_int_is_a_seed(path_graph, seed):
    path_graph.compute_layout(seed=seed)
    first = path_graph.positions()
    path_graph.compute_layout(seed=seed)
    assert path_graph.positions() == first
    assert path_graph.communities(seed=seed) == path_graph.communities(seed=seed)


@pytest.mark.parametrize("write, read", [
    (lambda g, p: g.output_webgl(p), None),
    (lambda g, p: g.write(p, "graphml"), lambda p: mivora.Graph.read(p, "graphml")),
    (lambda g, p: g.write(p, "json"), lambda p: mivora.Graph.read(p, "json")),
], ids=["webgl", "graphml", "json"])
def test_file_names_may_be_path_objects(tmp_path, path_graph, write, read):
    target = tmp_path / "out.file"
    write(path_graph, target)
    assert target.stat().st_size > 0
    if read is not None:
        assert read(target).get_node_count() == 3


def test_the_drawing_page_keeps_its_str_file_name(tmp_path, path_graph):
    with pytest.raises(TypeError, match="'PosixPath' object cannot be converted to 'PyString'"):
        path_graph.output_html(tmp_path / "page.html")


@pytest.mark.parametrize("call", [
    lambda g, p: g.output_webgl(p),
    lambda g, p: g.write(p, "gml"),
], ids=["webgl", "write"])
def test_a_file_that_cannot_be_created_is_the_os_error(tmp_path, path_graph, call):
    target = tmp_path / "missing" / "out"
    with pytest.raises(FileNotFoundError) as raised:
        call(path_graph, target)
    assert raised.value.filename == str(target)


@pytest.mark.parametrize("text, line, column, message", [
    ('{"nodes": [\n  {"label": 1}]}', 2, 13, "invalid type: integer `1`, expected a string"),
    ('{"nodes": []', 1, 12, "EOF while parsing an object"),
    ('{"nodes": [], "edges": [], "arcs": []} x', 1, 40, "trailing characters"),
])
def test_json_errors_carry_line_and_column_as_fields(tmp_path, panics, text, line, column, message):
    path = tmp_path / "bad.json"
    path.write_text(text)
    with pytest.raises(mivora.FormatError) as raised:
        mivora.Graph.read(path)
    error = raised.value
    assert (error.file_name, error.line, error.column) == (str(path), line, column)
    assert str(error) == f"{path}, line {line}, column {column}: {message}"
    # The older reader words the same failure in one line of its own.
    with panics(f"Failed to read .json file: {message} at line {line} column {column}"):
        mivora.Graph.from_json_file(str(path))


def test_a_measure_error_is_a_value_error_on_every_measure():
    empty = mivora.Graph()
    for call in (empty.is_connected, empty.average_clustering, empty.eccentricity, empty.diameter):
        with pytest.raises(ValueError, match="without nodes|no nodes"):
            call()
    negative = mivora.Graph()
    negative.add_node("a")
    negative.add_node("b")
    negative.create_connection("a", "b", -1.0)
    for call in (negative.pagerank, lambda: negative.closeness_centrality(weighted=True), negative.communities,
                 lambda: negative.shortest_path("a", "b")):
        with pytest.raises(ValueError, match="not negative"):
            call()


def run_elsewhere(function):
    outcome = {}

    def target():
        try:
            outcome["value"] = function()
        except BaseException as error:  # noqa: B036 - PanicException is a BaseException
            outcome["error"] = error

    gc.collect()  # garbage of earlier tests is freed here, not on the other thread
    thread = threading.Thread(target=target)
    thread.start()
    thread.join()
    return outcome.get("error")


@pytest.mark.parametrize("call", [
    lambda g: g.pagerank(),
    lambda g: g.shortest_path("a", "b"),
    lambda g: g.to_edges(),
    lambda g: g.add_nodes(["x"]),
    lambda g: g.write("/nonexistent/never-written.net"),
    lambda g: g._repr_html_(),
], ids=["pagerank", "shortest_path", "to_edges", "add_nodes", "write", "notebook"])
def test_added_methods_refuse_another_thread_with_runtime_error(path_graph, capfd, call):
    error = run_elsewhere(lambda: call(path_graph))
    assert type(error) is RuntimeError
    assert str(error) == "this Graph belongs to the thread that created it and cannot be used from another thread"
    assert "internal error" not in capfd.readouterr().err
    assert path_graph.get_node_count() == 3


def test_long_standing_methods_still_panic_on_another_thread(path_graph, capfd):
    error = run_elsewhere(path_graph.get_edge_count)
    assert type(error).__name__ == "PanicException"
    assert str(error).endswith("Graph is unsendable, but sent to another thread")
    assert "mivora: internal error at" in capfd.readouterr().err
