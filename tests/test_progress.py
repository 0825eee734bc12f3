"""Long calls report how far they are when asked, through a callable or a
tqdm bar, print nothing otherwise, and end when the callable raises."""
import sys
import types

import numpy as np
import pandas as pd
import pytest

import mivora

RNG = np.random.default_rng(5)
SOURCES = RNG.integers(0, 3000, 30000)
TARGETS = RNG.integers(0, 3000, 30000)


def graph():
    return mivora.Graph.from_edges(SOURCES, TARGETS)


def write_edge_list(path):
    path.write_text("".join(f"{s} {t}\n" for s, t in zip(SOURCES, TARGETS)))
    return str(path)


CALLS = {
    "from_edges": lambda g, tmp, progress: mivora.Graph.from_edges(SOURCES, TARGETS, progress=progress),
    "from_table": lambda g, tmp, progress: mivora.Graph.from_table(
        pd.DataFrame({"source": SOURCES, "target": TARGETS}), progress=progress),
    "add_edges": lambda g, tmp, progress: g.add_edges(SOURCES, TARGETS, progress=progress),
    "read": lambda g, tmp, progress: mivora.Graph.read(write_edge_list(tmp / "links.txt"), progress=progress),
    "compute_layout": lambda g, tmp, progress: g.compute_layout(seed=1, iterations=20, progress=progress),
    "betweenness_centrality": lambda g, tmp, progress: g.betweenness_centrality(progress=progress),
    "closeness_centrality": lambda g, tmp, progress: g.closeness_centrality(progress=progress),
    "communities": lambda g, tmp, progress: g.communities(seed=3, progress=progress),
    "diameter": lambda g, tmp, progress: g.largest_component(strong=True).diameter(progress=progress),
}


def outcome(result, g):
    """What a call produced: its value, or the graph it made or changed."""
    made = result if isinstance(result, mivora.Graph) else g
    return result if not isinstance(result, (mivora.Graph, type(None))) else (
        made.labels(), [np.asarray(column).tolist() for column in made.to_edges()])


@pytest.mark.parametrize("name", CALLS)
def test_shares_grow_to_one_and_change_nothing(name, tmp_path, capfd):
    shares = []
    reported = outcome(CALLS[name](g := graph(), tmp_path, shares.append), g)
    quiet = outcome(CALLS[name](h := graph(), tmp_path, None), h)
    assert reported == quiet
    assert shares and shares[-1] == 1.0
    assert all(0.0 < a < b <= 1.0 for a, b in zip(shares, shares[1:]))
    assert capfd.readouterr() == ("", "")


@pytest.mark.parametrize("error", [RuntimeError("enough"), KeyboardInterrupt()])
def test_a_raising_callable_ends_the_call(error):
    def stop(share):
        raise error
    g = graph()
    with pytest.raises(type(error)):
        g.betweenness_centrality(progress=stop)
    assert g.get_edge_count() == len(SOURCES)


class FakeBar:
    made = []

    def __init__(self, **options):
        self.options, self.steps, self.closed = options, [], False
        FakeBar.made.append(self)

    def update(self, step):
        self.steps.append(step)

    def close(self):
        self.closed = True


def test_true_draws_a_tqdm_bar(monkeypatch):
    monkeypatch.setitem(sys.modules, "tqdm", types.SimpleNamespace(tqdm=FakeBar))
    graph().closeness_centrality(progress=True)
    bar = FakeBar.made[-1]
    assert bar.options["total"] == 1.0 and bar.options["desc"] == "Graph.closeness_centrality()"
    assert sum(bar.steps) == pytest.approx(1.0) and bar.closed


@pytest.mark.parametrize("progress, error, message", [
    (True, ImportError, "Graph.diameter(): progress=True draws a tqdm bar, but tqdm is not installed (pip install tqdm)"),
    (3, TypeError, "argument 'progress': expected a callable, True or None, got 'int'"),
    (print, TypeError, "Graph.diameter() takes 0 positional arguments but 1 was given"),
])
def test_refusals(monkeypatch, progress, error, message):
    monkeypatch.setitem(sys.modules, "tqdm", None)
    with pytest.raises(error) as raised:
        if progress is print:
            mivora.Graph().diameter(print)
        else:
            mivora.Graph().diameter(progress=progress)
    assert str(raised.value) == message
