"""The link count the store keeps between changes agrees with its links after
every kind of change: its own (nodes, single and bulk links, reading) and a
node changed through its own handle."""
import random

import pytest

import mivora


def check(graph):
    assert graph.get_edge_count() == len(graph.get_connections())
    assert len(graph.to_edges()[0]) <= graph.get_edge_count()


@pytest.mark.parametrize("seed", range(6))
def test_the_count_follows_every_change(tmp_path, seed):
    rng = random.Random(seed)
    graph = mivora.Graph.from_edges([0, 1], [1, 2]) if seed % 2 else mivora.Graph()
    loose, links_out = mivora.Node("loose"), False
    for step in range(60):
        labels = graph.labels()
        action = rng.randrange(6)
        if action == 0 or not labels:
            graph.add_node(f"n{step}")
        elif action == 1:
            graph.create_connection(rng.choice(labels), rng.choice(labels), 1.0, rng.random() < 0.5)
        elif action == 2:
            count = rng.randrange(1, 30)
            graph.add_edges([rng.choice(labels) for _ in range(count)], [f"m{rng.randrange(40)}" for _ in range(count)])
        elif action == 3:
            target = loose if rng.random() < 0.3 else graph.node_by_label(rng.choice(labels))
            links_out |= target is loose
            graph.node_by_label(rng.choice(labels)).add_connection(target, 2.0, True)
        elif action == 4:
            graph.compute_layout(seed=step) if rng.random() < 0.2 else graph.get_edge_count()
        elif not links_out:  # a writer refuses links out of the graph
            graph.write(tmp_path / "g.csv")
            graph = mivora.Graph.read(tmp_path / "g.csv")
        check(graph)
