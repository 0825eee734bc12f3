"""The measured views kept with a graph: reused while the graph is unchanged,
retaken after any change, and the array form of every per-node measure."""
import gc
import math

import numpy as np
import pytest

import mivora


def small_graph():
    g = mivora.Graph()
    for label in "abcdef":
        g.add_node(label)
    for a, b, w in [("a", "b", 1.0), ("b", "c", 2.0), ("c", "a", 1.5), ("c", "d", 1.0), ("e", "f", 3.0)]:
        g.create_connection(a, b, w)
    g.create_connection("d", "e", 0.5, True)
    return g


def replayed(g):
    """The same graph built anew from its record (no views kept)."""
    fresh = mivora.Graph()
    for node in g.nodes:
        fresh.add_node(node.label)
    for c in g.get_connections():
        if c["to"] != "[Removed]" and fresh.node_by_label(c["to"]) is not None:
            fresh.create_connection(c["from"], c["to"], c["weight"], c["directed"])
    return fresh


def outcomes(g):
    """Measures and exports that read the kept views."""
    return {
        "components": g.connected_components(),
        "strong": g.strongly_connected_components(),
        "cores": g.core_number(),
        "triangles": g.triangles(),
        "pagerank": g.pagerank(),
        "betweenness": g.betweenness_centrality(),
        "closeness": g.closeness_centrality(weighted=True),
        "paths": g.shortest_path_lengths("a", weighted=False),
        "edges": [list(np.asarray(part)) for part in g.to_edges()],
        "csr": [list(np.asarray(part)) for part in g.to_csr()],
        "strengths": list(np.asarray(g.degree_array(weighted=True))),
        "reversed": g.reverse().get_connections(),
        "networkx": sorted(g.to_networkx().edges(data="weight")),
    }


def new_arcs(g, source="f", target="a"):
    g.create_connection(source, target, 2.0, True)


MUTATIONS = {
    "add_node": lambda g: g.add_node("z"),
    "create_connection": new_arcs,
    "node_add_connection": lambda g: g.node_by_label("f").add_connection(g.node_by_label("b"), 1.0, False),
    "node_add_connection_to_outsider": lambda g: g.node_by_label("a").add_connection(mivora.Node("x"), 1.0, True),
    "add_edges_labels": lambda g: g.add_edges(["f", "new"], ["b", "a"]),
    "add_edges_ids": lambda g: g.add_edges(np.array([5, 0]), np.array([0, 3]), directed=True),
    "add_nodes": lambda g: g.add_nodes(["p", "q"]),
    "compute_layout": lambda g: g.compute_layout(seed=1),
}


@pytest.mark.parametrize("mutate", MUTATIONS.values(), ids=MUTATIONS.keys())
def test_a_change_after_a_measure_is_seen_by_the_next(mutate):
    g = small_graph()
    outcomes(g)  # keeps the views
    mutate(g)
    assert outcomes(g) == outcomes(replayed(g))


def degree_outcomes(g):
    """The degree statistics, which count a connection to a node outside the
    graph too (the kept views leave it out)."""
    return (g.get_degree_distribution(), g.compute_entropy(), g.get_skewness(), g.get_all_nodes_degrees())


@pytest.mark.parametrize("mutate", MUTATIONS.values(), ids=MUTATIONS.keys())
@pytest.mark.parametrize("graph", [small_graph, lambda: with_outside_link(small_graph())[0], lambda: matrix_graph()],
                         ids=["plain", "link_outside", "repeated_labels"])
def test_kept_degrees_follow_every_change(graph, mutate):
    g = graph()
    degree_outcomes(g)  # kept where nothing leads outside
    try:
        mutate(g)
    except BaseException:  # a label the matrix graph lacks: nothing changed
        pass
    kept = repr(degree_outcomes(g))  # the skewness of no arcs is NaN
    g.drop_cache()
    assert kept == repr(degree_outcomes(g))


def test_degrees_follow_an_outside_target_that_goes():
    g, other = with_outside_link(small_graph())  # e -> the other graph's "b", counted on this "b"
    before = g.get_all_nodes_degrees()["b"]["in_degree"]
    del other
    gc.collect()
    assert g.get_all_nodes_degrees()["b"]["in_degree"] == before - 1


def test_a_node_of_a_dropped_graph_object_still_takes_connections():
    g = small_graph()
    node = g.node_by_label("a")
    g.core_number()
    del g
    node.add_connection(mivora.Node("x"), 1.0, False)
    assert node.label == "a"


def address(view):
    return np.asarray(view).__array_interface__["data"][0]


def test_an_unchanged_graph_is_pictured_once_and_dropped_on_request():
    g = small_graph()
    first = g.to_edges()
    g.pagerank()
    g.core_number()
    again = g.to_edges()
    assert [address(a) for a in first] == [address(a) for a in again]
    held = g.drop_cache()
    assert held > 0
    assert g.drop_cache() == 0
    # Arrays handed out before keep their memory; a new export takes a new picture.
    assert list(np.asarray(first[0])) == list(np.asarray(g.to_edges()[0]))
    g.add_node("late")
    assert address(g.to_edges()[0]) != address(first[0])


def test_views_are_not_shared_between_graphs():
    g = small_graph()
    g.core_number()
    other = mivora.Graph.from_edges([0, 1], [1, 2])
    assert other.core_number() == {"0": 1, "1": 1, "2": 1}
    assert g.core_number() == replayed(g).core_number()


# ---- drawings ---------------------------------------------------------------------------------

def with_outside_link(g):
    """A connection to a node of another graph whose label this graph has:
    drawings follow it by label where measures leave it out."""
    other = mivora.Graph()
    other.add_node("b")
    g.node_by_label("e").add_connection(other.node_by_label("b"), 2.0, True)
    return g, other


def page(g, tmp_path, name):
    g.output_webgl(str(tmp_path / name))
    return (tmp_path / name).read_text()


@pytest.mark.parametrize("outside", [False, True], ids=["own_links", "link_outside"])
def test_drawings_after_a_measure_match_the_graph_they_picture(outside, tmp_path):
    """A measure leaves out a connection to another graph's node; a drawing
    follows it by label, as if it were the graph's own."""
    kept, plain = small_graph(), small_graph()
    if outside:
        kept, _other = with_outside_link(kept)
    kept.core_number()  # keeps the views
    kept.compute_layout(seed=3)  # lays out the graph's own links
    kept.pagerank()
    plain.compute_layout(seed=3)
    if outside:
        plain.create_connection("e", "b", 2.0, True)
    assert kept.positions() == plain.positions()
    assert page(kept, tmp_path, "kept.html") == page(plain, tmp_path, "plain.html")
    assert kept._repr_html_() == plain._repr_html_()


@pytest.mark.parametrize("draw", [
    lambda g, path: g.output_svg(mivora.Layout.Force, override_positions=True),
    lambda g, path: g.output_webgl(str(path / "page.html")),
    lambda g, path: g._repr_html_(),
], ids=["force_layout", "webgl_page", "notebook_view"])
def test_a_drawing_keeps_its_picture_for_the_measures_after_it(draw, tmp_path):
    g = mivora.Graph.from_edges([0, 1, 2], [1, 2, 0])
    g.compute_layout(seed=2)
    g.drop_cache()
    draw(g, tmp_path)
    assert g.drop_cache() > 0


# ---- as_array ---------------------------------------------------------------------------------

PER_NODE = {
    "pagerank": lambda g, **k: g.pagerank(**k),
    "betweenness": lambda g, **k: g.betweenness_centrality(weighted=True, **k),
    "closeness": lambda g, **k: g.closeness_centrality(**k),
    "harmonic": lambda g, **k: g.harmonic_centrality(weighted=True, **k),
    "clustering": lambda g, **k: g.clustering(**k),
    "triangles": lambda g, **k: g.triangles(**k),
    "core_number": lambda g, **k: g.core_number(**k),
}


def labels_once(g):
    """The labels of the nodes that take part, in node order (first of each label)."""
    seen = []
    for node in g.nodes:
        if node.label not in seen:
            seen.append(node.label)
    return seen


def matrix_graph():
    matrix = [[0, 1, 0, 2], [1, 0, 3, 0], [0, 3, 0, 1], [2, 0, 1, 0]]
    return mivora.Graph.from_adjacency_matrix(matrix, custom_labels=["p", "q", "p", "r"])


@pytest.mark.parametrize("graph", [small_graph, matrix_graph], ids=["plain", "repeated_labels"])
@pytest.mark.parametrize("measure", PER_NODE.values(), ids=PER_NODE.keys())
def test_array_results_follow_the_dict_in_node_order(graph, measure):
    g = graph()
    by_label = measure(g)
    array = np.asarray(measure(g, as_array=True))
    assert list(by_label) == labels_once(g)
    assert array.tolist() == pytest.approx([by_label[label] for label in labels_once(g)])
    assert array.dtype == (np.int64 if isinstance(next(iter(by_label.values())), int) else np.float64)


def test_eccentricity_and_distances_as_arrays():
    g = mivora.Graph.from_edges([0, 1, 2, 3], [1, 2, 3, 0])
    assert np.asarray(g.eccentricity(as_array=True)).tolist() == list(g.eccentricity().values())
    h = small_graph()
    distances = h.shortest_path_lengths("a", as_array=True)
    expected = h.shortest_path_lengths("a")
    assert [d if math.isinf(d) else pytest.approx(d) for d in np.asarray(distances).tolist()] == [
        expected.get(label, math.inf) for label in labels_once(h)
    ]


@pytest.mark.parametrize("method", ["connected_components", "strongly_connected_components"])
def test_components_as_membership(method):
    g = small_graph()
    groups = getattr(g, method)()
    membership = np.asarray(getattr(g, method)(as_array=True)).tolist()
    assert membership == [next(k for k, group in enumerate(groups) if label in group) for label in labels_once(g)]


@pytest.mark.parametrize("call", [
    lambda g: g.pagerank(0.85, True, 1e-10, 1000, True),
    lambda g: g.clustering(True),
    lambda g: g.shortest_path_lengths("a", True, True),
])
def test_as_array_is_keyword_only(call):
    with pytest.raises(TypeError):
        call(small_graph())


def test_as_array_refuses_what_is_not_a_flag():
    with pytest.raises(TypeError, match="as_array"):
        small_graph().core_number(as_array="yes")


# ---- to_edges order ---------------------------------------------------------------------------

@pytest.mark.parametrize("directed", [False, True])
def test_to_edges_lists_the_input_sorted_stably_by_source(directed):
    rng = np.random.default_rng(7)
    sources = rng.integers(0, 50, 400)
    targets = rng.integers(0, 50, 400)
    weights = rng.random(400).astype(np.float32)
    g = mivora.Graph.from_edges(sources, targets, weights, directed=directed)
    got_sources, got_targets, got_weights, _ = (np.asarray(a) for a in g.to_edges())
    rank = np.argsort(sources, kind="stable").argsort()
    assert (got_sources[rank] == sources).all()
    assert (got_targets[rank] == targets).all()
    assert (got_weights[rank] == weights).all()
    record = g.get_connections()
    assert [(c["from"], c["to"]) for c in record] == list(zip(map(str, got_sources), map(str, got_targets)))


# ---- GraphML keys by id ---------------------------------------------------------------------

def graphml_with_keys(path, extra_keys, shared_id):
    """A document declaring many unrelated keys before (and one id shared by) the ones read."""
    keys = "".join(f'<key id="k{i}" for="all" attr.name="extra{i}" attr.type="string"/>' for i in range(extra_keys))
    weight_id = "shared" if shared_id else "w"
    label_id = "shared" if shared_id else "l"
    path.write_text(
        '<?xml version="1.0"?><graphml xmlns="http://graphml.graphdrawing.org/xmlns">' + keys
        + f'<key id="{label_id}" for="node" attr.name="label"/>'
        + f'<key id="{weight_id}" for="edge" attr.name="weight"><default>4</default></key>'
        + '<graph edgedefault="undirected">'
        + f'<node id="a"><data key="k3">x</data><data key="{label_id}">A</data></node>'
        + f'<node id="b"><data key="{label_id}">B</data><data key="k{extra_keys - 1}">y</data></node>'
        + f'<edge source="a" target="b"><data key="{weight_id}">2.5</data></edge>'
        + '<edge source="b" target="a"/></graph></graphml>', encoding="utf-8")
    return path


@pytest.mark.parametrize("extra_keys", [1, 5000])
@pytest.mark.parametrize("shared_id", [False, True])
def test_graphml_keys_are_found_by_id(tmp_path, extra_keys, shared_id):
    g = mivora.Graph.read(graphml_with_keys(tmp_path / "keys.graphml", extra_keys, shared_id))
    assert [n.label for n in g.nodes] == ["A", "B"]
    assert [(c["from"], c["to"], c["weight"]) for c in g.get_connections()] == [("A", "B", 2.5), ("B", "A", 4.0)]


# ---- one weight rule ---------------------------------------------------------------------------

WEIGHTED_WALKS = {
    "shortest_path": lambda g: g.shortest_path("a", "c"),
    "shortest_path_lengths": lambda g: g.shortest_path_lengths("a"),
    "betweenness": lambda g: g.betweenness_centrality(weighted=True),
    "closeness": lambda g: g.closeness_centrality(weighted=True),
    "harmonic": lambda g: g.harmonic_centrality(weighted=True),
    "pagerank": lambda g: g.pagerank(),
}


@pytest.mark.parametrize("bad, shown", [(math.inf, "inf"), (-1.0, "-1"), (math.nan, "NaN")])
@pytest.mark.parametrize("walk", WEIGHTED_WALKS.values(), ids=WEIGHTED_WALKS.keys())
def test_every_weighted_walk_refuses_the_same_weights_in_the_same_words(walk, bad, shown):
    g = mivora.Graph()
    for label in "abc":
        g.add_node(label)
    g.create_connection("a", "b", 1.0, True)
    g.create_connection("b", "c", bad, True)
    with pytest.raises(ValueError, match=f"needs finite weights that are not negative; "
                                         f"the connection from 'b' to 'c' weighs {shown}$"):
        walk(g)
