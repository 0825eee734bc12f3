import pytest

import mivora


@pytest.fixture
def triangle():
    """A, B, C with A->B (directed, 2.5), B-C (undirected, 1) and C->A (directed, 0.1)."""
    graph = mivora.Graph()
    for label in "ABC":
        graph.add_node(label)
    graph.create_connection("A", "B", 2.5, True)
    graph.create_connection("B", "C", 1)
    graph.create_connection("C", "A", 0.1, True)
    return graph
