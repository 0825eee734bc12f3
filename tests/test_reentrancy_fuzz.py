"""Re-entrancy fuzzer: random calls on one graph, its nodes and a style, made
both directly and from inside other calls (garbage-collector callbacks,
finalizers of cyclic garbage, weakref callbacks and argument conversions, all
run with the collector at its most eager). Any exception the methods raise is
fine (borrow errors are expected); a crash or a sanitizer report is not.

MIVORA_FUZZ_ROUNDS sets how many top-level actions each seed makes (every
round may nest more); the run is counted in calls, never in seconds."""
import gc
import inspect
import math
import os
import random
import weakref

import pytest

from mivora import Graph, GraphStyle, Layout, Node

ROUNDS = int(os.environ.get("MIVORA_FUZZ_ROUNDS", "200"))
LABELS = ["a", "b", "c", "", " a", "[Removed]", "\x1b[0m", "é\u0000", "x" * 40, "0", "1"]
STYLE_FIELDS = [name for name in dir(GraphStyle) if not name.startswith("_")]


def public_methods(cls):
    for name in sorted(dir(cls)):
        member = inspect.getattr_static(cls, name)
        if not name.startswith("_") and type(member).__name__ in ("method_descriptor", "staticmethod"):
            yield name, inspect.signature(getattr(cls, name))


class Fuzzer:
    def __init__(self, seed, folder):
        self.random = random.Random(seed)
        self.folder = folder
        self.graph = Graph()
        self.nodes = [self.graph.add_node(label) for label in LABELS[:4]]
        self.style = GraphStyle()
        self.depth = 0
        self.calls = 0
        self.graph_methods = list(public_methods(Graph))
        self.actions = [self.call_graph_method, self.call_graph_method, self.call_graph_method,
                        self.use_node, self.use_style, self.read_nodes, self.new_graph]

    # -- argument values; some call back into the graph while they convert --
    def value(self, name):
        r = self.random
        if name in ("label", "node_label", "start_node_label", "from_label", "to_label"):
            return r.choice(LABELS + [n.label for n in self.nodes[-3:]])
        if name == "weight":
            return r.choice([1.0, -2.5, 0.0, math.nan, math.inf, 3, CallingBack(self, 1.5)])
        if name in ("directed", "override_positions"):
            return r.choice([True, False, None])
        if name in ("file_name", "file_path"):
            return os.path.join(self.folder, r.choice(["g.net", "g.json", "page.html", "missing.net"]))
        if name == "node":  # seldom one outside the graph: most drawings and matrices refuse those
            return Node("free") if r.random() < 0.02 else r.choice(self.nodes)
        if name == "layout":
            return r.choice([Layout.Random, Layout.Circular, Layout.Spring])
        if name == "style":
            return r.choice([None, self.style])
        if name == "adj_matrix":
            size = r.randrange(4)
            return [[r.choice([0, 1.0, CallingBack(self, 2.0)]) for _ in range(size)] for _ in range(size)]
        if name == "custom_labels":
            return r.choice([None, ["p", "q", "r", "s"]])
        return r.choice(LABELS)

    def arguments(self, signature):
        values = []
        for parameter in signature.parameters.values():
            if parameter.name == "self":
                continue
            if parameter.default is not inspect.Parameter.empty and self.random.random() < 0.5:
                break
            values.append(self.value(parameter.name))
        return values

    # -- actions --
    def call_graph_method(self):
        name, signature = self.random.choice(self.graph_methods)
        method = getattr(Graph, name) if isinstance(inspect.getattr_static(Graph, name), staticmethod) \
            else getattr(self.graph, name)
        result = method(*self.arguments(signature))
        if name == "add_node" and len(self.nodes) < 60:
            self.nodes.append(result)

    def use_node(self):
        node = self.random.choice(self.nodes)
        if self.random.random() < 0.5:
            node.add_connection(self.value("node"), self.value("weight"), self.value("directed"))
        else:
            repr(node), node.label

    def use_style(self):
        field = self.random.choice(STYLE_FIELDS)
        if self.random.random() < 0.5:
            getattr(self.style, field)
        else:
            setattr(self.style, field, getattr(GraphStyle(), field))

    def read_nodes(self):
        for node in self.graph.nodes[:5]:
            node.label

    def walk_lists(self):
        """Reads every list the collector tracks, as a debugger or profiler might:
        a list being built inside a call must not show empty slots."""
        for item in gc.get_objects():
            if type(item) is list:
                for value in item:
                    pass

    def new_graph(self):
        if self.graph.get_node_count() > 400 or self.random.random() < 0.05:
            self.graph = Graph()
            self.nodes = [self.graph.add_node(label) for label in LABELS[:3]]

    def act(self):
        """One random action; nested actions (from callbacks) go at most two deep."""
        if self.depth > 2:
            return
        self.depth += 1
        self.calls += 1
        try:
            self.random.choice(self.actions)()
        except (KeyboardInterrupt, SystemExit):
            raise
        except BaseException:  # ordinary errors and PanicException alike
            pass
        finally:
            self.depth -= 1


class CallingBack:
    """A number whose conversion runs an action on the same objects."""

    def __init__(self, fuzzer, value):
        self.fuzzer, self.value = fuzzer, value

    def __float__(self):
        self.fuzzer.act()
        return self.value


class Finalized:
    def __init__(self, fuzzer):
        self.fuzzer, self.me = fuzzer, self

    def __del__(self):
        self.fuzzer.act()


class Plain:
    pass


@pytest.mark.parametrize("seed", [1, 2])
def test_random_calls_from_inside_calls(tmp_path, seed):
    fuzzer = Fuzzer(seed, str(tmp_path))
    refs = []

    def on_collection(phase, info):
        if phase == "start" and fuzzer.depth > 0:  # inside a call
            chance = fuzzer.random.random()
            if chance < 0.2:
                fuzzer.act()
            elif chance < 0.25:
                fuzzer.walk_lists()

    def make_garbage():
        Finalized(fuzzer)
        plain = Plain()
        plain.me = plain
        refs.append(weakref.ref(plain, lambda ref: (refs.remove(ref), fuzzer.act())))

    old_threshold = gc.get_threshold()
    gc.callbacks.append(on_collection)
    gc.set_threshold(1, 1, 1)
    try:
        for _ in range(ROUNDS):
            make_garbage()
            fuzzer.act()
    finally:
        gc.callbacks.remove(on_collection)
        gc.set_threshold(*old_threshold)
    gc.collect()
    # Whatever happened, the graph is whole.
    graph = fuzzer.graph
    labels = [node.label for node in graph.nodes]
    assert len(labels) == len(set(labels)) == graph.get_node_count()
    assert len(graph.get_connections()) == graph.get_edge_count()
    assert fuzzer.calls >= ROUNDS  # every round made its call, whatever it raised
