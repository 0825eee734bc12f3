"""Layout.Force, Graph.compute_layout and Graph.positions: the multilevel
force layout kept in the graph for later drawings."""
import re

import numpy as np
import pytest

import mivora
from sanitized_run import SANITIZED

CANVAS = (20.0, 1500.0, 20.0, 700.0)


def build(labels, links=()):
    graph = mivora.Graph()
    for label in labels:
        graph.add_node(label)
    for a, b in links:
        graph.create_connection(a, b, 1.0, False)
    return graph


def clustered(clusters=4, size=150, inside=6, across=0.05, seed=3):
    """Clusters of `size` nodes with about `inside` links per node among
    themselves and a few links across; labels 'c<cluster>-<i>'."""
    rng = np.random.default_rng(seed)
    labels = [f"c{c}-{i}" for c in range(clusters) for i in range(size)]
    links = []
    for c in range(clusters):
        for i in range(size):
            for j in rng.integers(0, size, inside // 2):
                if j != i:
                    links.append((f"c{c}-{i}", f"c{c}-{j}"))
            if rng.random() < across:
                other = (c + 1 + rng.integers(0, clusters - 1)) % clusters
                links.append((f"c{c}-{i}", f"c{other}-{rng.integers(0, size)}"))
    return build(labels, links)


def from_pajek(tmp_path, nodes, links_per_node, seed=1):
    rng = np.random.default_rng(seed)
    u = np.repeat(np.arange(nodes), links_per_node)
    v = rng.integers(0, nodes, u.size)
    path = tmp_path / "big.net"
    with open(path, "w") as out:
        out.write(f"*Vertices {nodes}\n")
        out.write("".join(f'{i + 1} "{i}"\n' for i in range(nodes)))
        out.write("*Edges\n")
        np.savetxt(out, np.column_stack([u + 1, v + 1]), fmt="%d %d 1")
    return mivora.Graph.from_net_file(str(path))


def outside_node_graph():
    graph = build("ab", [("a", "b")])
    stranger = mivora.Node("elsewhere")
    graph.nodes[0].add_connection(stranger, 1.0, False)
    return graph


def repeated_label_graph():
    return mivora.Graph.from_adjacency_matrix([[0, 1, 1], [1, 0, 1], [1, 1, 0]], custom_labels=["x", "x", "y"])


SHAPES = {
    "empty": lambda: build([]),
    "one node": lambda: build(["a"]),
    "two apart": lambda: build(["a", "b"]),
    "path": lambda: build([str(i) for i in range(30)], [(str(i), str(i + 1)) for i in range(29)]),
    "star": lambda: build([str(i) for i in range(200)], [("0", str(i)) for i in range(1, 200)]),
    "two components and loners": lambda: build(
        [str(i) for i in range(60)], [(str(i), str((i + 1) % 20)) for i in range(20)]
        + [(str(20 + i), str(20 + (i + 1) % 20)) for i in range(20)] + [("5", "5")]),
    "directed and repeated links": lambda: build(["a", "b", "c"], [("a", "b"), ("a", "b"), ("b", "a"), ("c", "a")]),
    "link to a node outside": outside_node_graph,
    "repeated labels": repeated_label_graph,
    "clusters": clustered,
}


def position_array(graph):
    positions = graph.positions()
    return np.array([positions[label] for label in sorted(positions)]).reshape(-1, 2)


@pytest.mark.parametrize("shape", SHAPES)
def test_positions_are_on_the_canvas_for_every_node(shape):
    graph = SHAPES[shape]()
    graph.compute_layout(seed=7)
    points = position_array(graph)
    assert len(points) == len({node.label for node in graph.nodes})
    assert np.isfinite(points).all()
    assert ((points[:, 0] >= CANVAS[0]) & (points[:, 0] <= CANVAS[1])).all()
    assert ((points[:, 1] >= CANVAS[2]) & (points[:, 1] <= CANVAS[3])).all()


@pytest.mark.parametrize("layout", [mivora.Layout.Force, mivora.Layout.Random, mivora.Layout.Spring])
def test_a_seed_gives_the_same_positions_and_another_seed_others(layout):
    graphs = [clustered(size=40) for _ in range(3)]
    for graph, seed in zip(graphs, (11, 11, 12)):
        graph.compute_layout(layout, seed=seed)
    same, other = graphs[0].positions(), graphs[2].positions()
    assert graphs[1].positions() == same
    assert other != same


def test_clusters_are_drawn_apart():
    graph = clustered()
    graph.compute_layout(seed=1)
    positions = graph.positions()
    labels = sorted(positions)
    points = np.array([positions[label] for label in labels])
    cluster = np.array([label.split("-")[0] for label in labels])
    distances = np.hypot(*(points[:, None, :] - points[None, :, :]).transpose(2, 0, 1))
    np.fill_diagonal(distances, np.inf)
    nearest = np.argsort(distances, axis=1)[:, :10]
    own_share = (cluster[nearest] == cluster[:, None]).mean()
    assert own_share > 0.9
    same = cluster[:, None] == cluster[None, :]
    np.fill_diagonal(distances, 0)
    assert distances[same].mean() < 0.5 * distances[~same].mean()


def circles(svg):
    return [(float(x), float(y), float(r)) for x, y, r in
            re.findall(r'<circle cx="([^"]+)" cy="([^"]+)"[^>]* r="([^"]+)"', svg)]


def test_kept_positions_are_drawn_until_a_node_is_added():
    graph = clustered(size=30)
    graph.compute_layout(seed=2)
    kept = graph.positions()
    labels = [node.label for node in graph.nodes]
    expected = [kept[label] for label in labels]
    for draw in (lambda: graph.output_svg(), lambda: graph.output_svg(mivora.Layout.Circular)):
        assert [(x, y) for x, y, _ in circles(draw())] == expected
    assert graph.positions() == kept
    assert [(x, y) for x, y, _ in circles(graph.output_svg(mivora.Layout.Circular, True))] != expected
    graph.compute_layout(seed=2)
    graph.add_node("late")
    drawn = circles(graph.output_svg())  # a fresh random layout of every node
    assert len(drawn) == len(labels) + 1
    assert [(x, y) for x, y, _ in drawn[:-1]] != expected


def test_force_member_draws_and_sizes_nodes_from_the_graph(tmp_path):
    assert repr(mivora.Layout.Force) == "Layout.Force"
    assert int(mivora.Layout.Force) == 3 and mivora.Layout.Force == 3
    assert [int(m) for m in (mivora.Layout.Random, mivora.Layout.Circular, mivora.Layout.Spring)] == [0, 1, 2]
    small, large = clustered(size=10), clustered(size=250)
    assert {r for *_, r in circles(small.output_svg(mivora.Layout.Force))} == {20.0}
    assert {r for *_, r in circles(large.output_svg(mivora.Layout.Force))} == {6.0}
    assert {r for *_, r in circles(large.output_svg(mivora.Layout.Random))} == {20.0}
    styled = large.output_svg(mivora.Layout.Force, style=mivora.GraphStyle(node_radius=3))
    assert {r for *_, r in circles(styled)} == {3.0}
    page = tmp_path / "force.html"
    large.output_html(str(page), mivora.Layout.Force)
    drawn = circles(page.read_text())
    assert len(drawn) == 1000
    assert all(CANVAS[0] <= x <= CANVAS[1] and CANVAS[2] <= y <= CANVAS[3] for x, y, _ in drawn)


def test_ctrl_c_stops_the_layout_and_keeps_the_old_positions(tmp_path, ctrl_c_after):
    # A layout that outlasts the alarm; the sanitized build is slow enough at a tenth of the size.
    graph = from_pajek(tmp_path, 15_000 if SANITIZED else 150_000, 4)
    graph.compute_layout(mivora.Layout.Random, seed=1)
    before = graph.positions()
    with pytest.raises(KeyboardInterrupt), ctrl_c_after(0.05):
        graph.compute_layout(seed=1)
    assert graph.positions() == before


@pytest.mark.parametrize("call, error, message", [
    (lambda g: g.compute_layout(iterations=0), ValueError, "iterations must be between 1 and 100000, not 0"),
    (lambda g: g.compute_layout(iterations=100_001), ValueError, "between 1 and 100000"),
    (lambda g: g.compute_layout(mivora.Layout.Spring, iterations=5), ValueError, "Layout.Force only"),
    (lambda g: g.compute_layout(mivora.Layout.Force, 1), TypeError,
     r"compute_layout\(\) takes from 0 to 1 positional arguments but 2 were given"),
    (lambda g: g.compute_layout(seed="1"), TypeError, "argument 'seed'"),
    (lambda g: g.compute_layout(3), TypeError, "argument 'layout'"),
    (lambda g: g.compute_layout(sed=1), TypeError, "unexpected keyword argument 'sed'"),
    (lambda g: g.positions(1), TypeError, "takes 0 positional arguments but 1 was given"),
])
def test_arguments_are_checked(call, error, message):
    graph = build("ab", [("a", "b")])
    with pytest.raises(error, match=message):
        call(graph)
    assert graph.positions() == {}


def test_iterations_and_seed_options_are_accepted():
    graph = clustered(size=20)
    graph.compute_layout(mivora.Layout.Force, seed=-5, iterations=3)
    graph.compute_layout(mivora.Layout.Circular, seed=None)
    assert len(graph.positions()) == 80


def test_links_count_once_whatever_their_direction_weight_or_repeats():
    labels = [str(i) for i in range(40)]
    pairs = [(str(i), str((i * 7 + 3) % 40)) for i in range(40)] + [(str(i), str(i + 1)) for i in range(39)]
    plain = build(labels, pairs)
    varied = mivora.Graph()
    for label in labels:
        varied.add_node(label)
    for k, (a, b) in enumerate(pairs):
        varied.create_connection(b, a, 3.5, True) if k % 2 else varied.create_connection(a, b, 0.0, False)
        if k % 3 == 0:
            varied.create_connection(a, b, 1.0, True)
    plain.compute_layout(seed=4)
    varied.compute_layout(seed=4)
    assert varied.positions() == plain.positions()
