"""The traps a new user meets first: integer ids in tables, pandas without
pyarrow, and internal errors that can be caught by name."""
import subprocess
import sys
import textwrap

import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pytest

import mivora

USER_IDS = {"source": [10234567, 10234568, 10234567], "target": [10234568, 10234569, 10234569]}


@pytest.mark.parametrize("make", [pd.DataFrame, pa.table, pl.DataFrame], ids=["pandas", "pyarrow", "polars"])
def test_integer_columns_of_a_table_are_labels(make):
    graph = mivora.Graph.from_table(make(USER_IDS))
    assert graph.labels() == ["10234567", "10234568", "10234569"]
    assert graph.get_edge_count() == 3 and graph.has_edge("10234567", "10234569")
    positions = mivora.Graph.from_table(make({"source": [0, 3], "target": [3, 1]}), ids="positions")
    assert positions.labels() == ["0", "1", "2", "3"]


@pytest.mark.parametrize("ids, labels", [
    ("labels", ["10234567", "10234568", "10234569"]),
    (None, None),  # refused: see below
])
def test_from_edges_refuses_ids_that_make_mostly_empty_nodes(ids, labels):
    sources, targets = np.array(USER_IDS["source"]), np.array(USER_IDS["target"])
    if ids is None:
        with pytest.raises(ValueError) as refused:
            mivora.Graph.from_edges(sources, targets)
        assert str(refused.value) == (
            "argument 'sources': the largest id, 10234569, would make 10234570 nodes for 3 distinct ids; "
            "pass ids='labels' to make one node per distinct id, labelled with it, "
            "or ids='positions' to make every node up to the largest id")
    else:
        assert mivora.Graph.from_edges(sources, targets, ids=ids).labels() == labels


@pytest.mark.parametrize("largest, refused", [
    (999, False),    # up to 1000 nodes: never refused
    (1000, True),
    (1203, False),   # 301 distinct ids: up to 4 * 301 = 1204 nodes
    (1204, True),
])
def test_the_sparse_id_rule(largest, refused):
    sources, targets = list(range(299)) + [largest], list(range(1, 300)) + [0]  # ids 0..299 and `largest`
    if largest <= 1000:  # two ids
        sources, targets = [0], [largest]
    if refused:
        with pytest.raises(ValueError, match="ids='labels'"):
            mivora.Graph.from_edges(sources, targets)
    else:
        assert mivora.Graph.from_edges(sources, targets).get_node_count() == largest + 1


def test_explicit_positions_are_never_refused():
    graph = mivora.Graph.from_edges([0], [5000], ids="positions")
    assert graph.get_node_count() == 5001


@pytest.mark.parametrize("call, error, message", [
    (lambda: mivora.Graph.from_edges([0], [1], ids="names"), ValueError,
     "argument 'ids': expected 'positions' or 'labels', got 'names'"),
    (lambda: mivora.Graph.from_table(pa.table(USER_IDS), ids=1), TypeError, "argument 'ids'"),
    (lambda: mivora.Graph.from_edges([0], [1], None, False, None, "labels"), TypeError,
     "Graph.from_edges() takes from 2 to 5 positional arguments but 6 were given"),
    (lambda: mivora.Graph.from_edges([0], [1], labels=["a", "b"], ids="labels"), ValueError,
     "argument 'labels': ids='labels' makes the ids the labels; pass labels=None"),
    (lambda: mivora.Graph.from_edges([0.5], [1], ids="labels"), TypeError,
     "argument 'sources': expected integer ids or str labels, got a list of float"),
])
def test_ids_argument_refusals(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert str(raised.value).startswith(message)


def test_ids_as_labels_take_any_integer():
    graph = mivora.Graph.from_edges([2**70, -5], np.array([1, 2], dtype=np.uint8), ids="labels")
    assert graph.labels() == [str(2**70), "1", "-5", "2"]


def test_panic_exception_can_be_caught_by_name():
    try:
        mivora.Graph().node_by_label("missing")
    except mivora.PanicException as error:
        assert str(error) == "called `Option::unwrap()` on a `None` value"
    else:
        pytest.fail("no PanicException")


# pandas exports Arrow only through pyarrow; here pyarrow cannot be imported.
WITHOUT_PYARROW = textwrap.dedent("""
    import sys
    sys.modules["pyarrow"] = None
    import numpy as np
    import pandas as pd
    import mivora

    table = pd.DataFrame({"source": [10234567, 10234568], "target": [10234568, 10234569],
                          "weight": np.array([0.5, 2.0], dtype=np.float32)})
    graph = mivora.Graph.from_table(table, weight="weight", directed=True)
    print(graph.labels(), [c["weight"] for c in graph.get_connections()])
    words = pd.DataFrame({"source": ["a", "b"], "target": ["b", "c"]})
    print(mivora.Graph.from_table(words).labels())
    print(mivora.Graph.from_edges(table["source"] - 10234567, table["target"] - 10234567).labels())
    print(mivora.Graph.from_edges(words["source"], words["target"]).labels())
    try:
        mivora.Graph.from_table(words, source="from")
    except KeyError as error:
        print(error.args[0])

    class NeedsPyarrow:
        def __arrow_c_stream__(self, requested_schema=None):
            import pyarrow
    try:
        mivora.Graph.from_edges(NeedsPyarrow(), [0])
    except ImportError as error:
        print(error)
""")


def test_pandas_without_pyarrow():
    done = subprocess.run([sys.executable, "-c", WITHOUT_PYARROW], capture_output=True, text=True, check=True)
    assert done.stdout.splitlines() == [
        "['10234567', '10234568', '10234569'] [0.5, 2.0]",
        "['a', 'b', 'c']",
        "['0', '1', '2']",
        "['a', 'b', 'c']",
        "argument 'table': the table has no column named 'from'",
        "argument 'sources': a 'NeedsPyarrow' column is read through its Arrow export, which needs pyarrow "
        "(pip install pyarrow)",
    ]
