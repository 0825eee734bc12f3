"""add_edges and add_nodes are all or nothing: Ctrl-C inside the call leaves the graph as it was."""
import contextlib
import time

import pytest

from mivora import Graph
from sanitized_run import SANITIZED

OLD = 3000  # labels held in the index, so that taking new ones back moves its slots


def prepared():
    g = Graph.from_edges([f"v{i}" for i in range(OLD)], [f"v{(i * 7 + 1) % OLD}" for i in range(OLD)])
    g.set_node_attribute("age", list(range(OLD)))
    g.set_edge_attribute("kind", ["old"] * OLD)
    return g


def state(g):
    return (g.get_node_count(), g.get_edge_count(), g.labels(), list(g.node_attribute("age")),
            list(g.edge_attribute("kind")), [g.index_of(label) for label in g.labels()])


# Each batch of n rows: the method, its arguments, and the nodes and links it adds.
BATCHES = {
    "add_nodes": lambda n: ("add_nodes", ([f"n{i}" for i in range(n)] + ["v5"],),
                            {"attributes": {"age": [1] * (n + 1)}}, n, 0),
    "add_edges new labels": lambda n: ("add_edges", ([f"n{i}" for i in range(n)], [f"v{i % OLD}" for i in range(n)]),
                                       {"attributes": {"kind": ["new"] * n}}, n, n),
    "add_edges ids": lambda n: ("add_edges", ([i % OLD for i in range(n)], [(i * 3) % OLD for i in range(n)]),
                                {"attributes": {"kind": ["new"] * n}}, 0, n),
    "add_edges weighted": lambda n: ("add_edges", ([i % OLD for i in range(n)], [(i * 3) % OLD for i in range(n)],
                                                   [0.5] * n), {"attributes": {"kind": ["new"] * n}}, 0, n),
}


@pytest.mark.parametrize("name", BATCHES)
def test_ctrl_c_inside_a_batch_leaves_the_graph_as_it_was(name, ctrl_c_after):
    before = state(prepared())
    n, landed = 20_000, 0
    took = 0.0
    # Under the sanitizers, converting the labels (before the first point where the
    # call can stop) takes most of an add_edges call, and an alarm seldom lands
    # inside: batches of up to 80,000 rows are tried there (making the Python
    # objects of larger ones takes minutes).
    while landed < 3 and took < 2.0 and n <= (80_000 if SANITIZED else 10**9):
        method, args, kwargs, nodes, links = BATCHES[name](n)
        g = prepared()
        started = time.perf_counter()
        getattr(g, method)(*args, **kwargs)
        took = time.perf_counter() - started  # only chooses the alarm's moment
        if took < 0.03:
            n *= 4
            continue
        for fraction in (0.2, 0.5, 0.8):
            g = prepared()
            with contextlib.suppress(KeyboardInterrupt), ctrl_c_after(took * fraction):
                getattr(g, method)(*args, **kwargs)
            after = state(g)
            if after[:2] != (before[0] + nodes, before[1] + links):
                assert after == before  # stopped inside: nothing kept
                landed += 1
                # The labels taken back are new again, the old ones found where they were.
                g.add_nodes(["n1", "v2", "n0"])
                g.add_edges(["n0"], ["v9"])
                assert g.labels()[OLD:] == ["n1", "n0"]
                assert g.index_of("n0") == OLD + 1 and "n0" in g.neighbors("v9")
        n *= 4
    assert landed or SANITIZED, "no alarm landed inside the call"
