"""Building a labelled graph call by call (200,000 nodes, 1,000,000 weighted arcs).

  add_node         mivora    Graph.add_node(label)         (returns a Node object)
                   networkx  DiGraph.add_node(label)
                   rustworkx PyDiGraph.add_node(label)     (returns the new index)
  create_connection mivora   Graph.create_connection(label_a, label_b, w, True)
                   networkx  DiGraph.add_edge(label_a, label_b, weight=w)
                   rustworkx PyDiGraph.add_edge(index[label_a], index[label_b], w)
                             rustworkx addresses nodes by index, so the caller
                             keeps the label -> index dict that add_node's
                             results fill; the dict lookups are part of the call.
  igraph           no usable per-call API: Graph.add_edge rebuilds the edge
                   index on every call (quadratic), so it is left out.

Every library's loop runs in the same Python code shape; the loop's own
cost (about 30-60 ns a call) is in every figure. networkx's DiGraph keeps one
arc per ordered pair (a repeated pair overwrites its weight), mivora and
rustworkx keep every arc.
"""
from workloads.common import Workload, labelled_edges, n


def inputs(ctx):
    def make():
        labels, triples = labelled_edges(ctx.sizes["build_nodes"], ctx.sizes["build_edges"], seed=7, prefix="n")
        return labels, [(labels[u], labels[v], w) for u, v, w in triples]
    return ctx.cached("build", make)


# ---- add_node ---------------------------------------------------------------------

def add_node_case(module, graph_class):
    """The same loop for every library: one add_node call per label on a
    fresh graph of `module.graph_class` (imported in that library's process)."""
    def case(ctx):
        import importlib
        labels, _ = inputs(ctx)

        def run(graph):
            add = graph.add_node
            for label in labels:
                add(label)
        return getattr(importlib.import_module(module), graph_class), run
    return case


# ---- create_connection ---------------------------------------------------------------

def mivora_connect(ctx):
    import mivora
    labels, named = inputs(ctx)

    def setup():
        graph = mivora.Graph()
        for label in labels:
            graph.add_node(label)
        return graph

    def run(graph):
        connect = graph.create_connection
        for a, b, w in named:
            connect(a, b, w, True)
    return setup, run


def networkx_connect(ctx):
    import networkx as nx
    labels, named = inputs(ctx)

    def setup():
        graph = nx.DiGraph()
        graph.add_nodes_from(labels)
        return graph

    def run(graph):
        add_edge = graph.add_edge
        for a, b, w in named:
            add_edge(a, b, weight=w)
    return setup, run


def rustworkx_connect(ctx):
    import rustworkx as rx
    labels, named = inputs(ctx)

    def setup():
        graph = rx.PyDiGraph()
        return graph, {label: graph.add_node(label) for label in labels}

    def run(state):
        graph, index = state
        add_edge = graph.add_edge
        for a, b, w in named:
            add_edge(index[a], index[b], w)
    return setup, run


WORKLOADS = [
    Workload("build: add_node", lambda s: f"{n(s['build_nodes'])} calls",
             {"mivora": add_node_case("mivora", "Graph"), "networkx": add_node_case("networkx", "DiGraph"),
              "rustworkx": add_node_case("rustworkx", "PyDiGraph")}),
    Workload("build: create_connection", lambda s: f"{n(s['build_edges'])} calls, {n(s['build_nodes'])} nodes",
             {"mivora": mivora_connect, "networkx": networkx_connect, "rustworkx": rustworkx_connect}),
]
