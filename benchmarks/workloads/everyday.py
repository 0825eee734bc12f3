"""Everyday operations on one random undirected graph: 1,000,000 nodes and
5,000,000 links (the same NumPy edge list for every library; ids 0 .. n-1,
labels their decimal text in mivora), built untimed. networkx holds a graph of
that size only in several GB and minutes of building, so it runs the same
workloads on a graph a tenth of the size ("small" rows), beside the others.

  subgraph       mivora    subgraph(labels)            the first half of the nodes, by label
                 igraph    induced_subgraph(ids)       networkx  G.subgraph(nodes).copy()
  largest comp.  mivora    largest_component()         igraph connected_components().giant()
                 networkx  G.subgraph(max(connected_components(G), key=len)).copy()
  degree array   mivora    numpy.asarray(degree_array())   igraph degree()
                 networkx  [d for _, d in G.degree()]
  neighbours     100,000 random nodes, each asked once:
                 mivora    neighbors(label) -> labels  igraph neighbors(id) -> ids
                 networkx  list(G.neighbors(node)) -> nodes
                 mivora's first question after a change builds its neighbour rows
                 (O(N + E)); "neighbours, fresh" times that too, on a fresh copy.

mivora's and networkx's subgraphs keep labels; igraph's renumber the vertices.
"""
import numpy as np

from workloads.common import Workload, n

SIZES = {"full": (1_000_000, 5_000_000, 100_000), "small": (100_000, 500_000, 10_000)}
QUICK_SIZES = {"full": (5_000, 25_000, 1_000), "small": (1_000, 5_000, 200)}


def size_of(ctx_sizes, which):
    table = QUICK_SIZES if ctx_sizes.get("build_nodes", 0) < 100_000 else SIZES
    return table[which]


def inputs(ctx, which):
    def make():
        nodes, links, questions = size_of(ctx.sizes, which)
        rng = np.random.default_rng(21)
        sources = rng.integers(0, nodes, links, dtype=np.int64)
        targets = rng.integers(0, nodes, links, dtype=np.int64)
        asked = rng.integers(0, nodes, questions, dtype=np.int64)
        return nodes, sources, targets, asked
    return ctx.cached(("everyday inputs", which), make)


def mivora_graph(ctx, which):
    def make():
        import mivora
        nodes, sources, targets, _ = inputs(ctx, which)
        graph = mivora.Graph.from_edges(sources, targets, ids="positions")
        assert graph.get_node_count() == nodes
        return graph
    return ctx.cached(("mivora everyday", which), make)


def igraph_graph(ctx, which):
    def make():
        import igraph
        nodes, sources, targets, _ = inputs(ctx, which)
        return igraph.Graph(n=nodes, edges=np.column_stack([sources, targets]).tolist())
    return ctx.cached(("igraph everyday", which), make)


def networkx_graph(ctx, which):
    def make():
        import networkx as nx
        nodes, sources, targets, _ = inputs(ctx, which)
        graph = nx.MultiGraph()
        graph.add_nodes_from(range(nodes))
        graph.add_edges_from(zip(sources.tolist(), targets.tolist()))
        return graph
    return ctx.cached(("networkx everyday", which), make)


def half(ctx, which):
    return range(size_of(ctx.sizes, which)[0] // 2)


# ---- the cases ------------------------------------------------------------------------

def mivora_subgraph(ctx, which):
    graph = mivora_graph(ctx, which)
    labels = [str(i) for i in half(ctx, which)]
    return lambda: graph.subgraph(labels)


def igraph_subgraph(ctx, which):
    graph = igraph_graph(ctx, which)
    ids = list(half(ctx, which))
    return lambda: graph.induced_subgraph(ids)


def networkx_subgraph(ctx, which):
    graph = networkx_graph(ctx, which)
    nodes = list(half(ctx, which))
    return lambda: graph.subgraph(nodes).copy()


def mivora_largest(ctx, which):
    graph = mivora_graph(ctx, which)
    return lambda: graph.largest_component()


def igraph_largest(ctx, which):
    graph = igraph_graph(ctx, which)
    return lambda: graph.connected_components().giant()


def networkx_largest(ctx, which):
    import networkx as nx
    graph = networkx_graph(ctx, which)
    return lambda: graph.subgraph(max(nx.connected_components(graph), key=len)).copy()


def mivora_degrees(ctx, which):
    graph = mivora_graph(ctx, which)
    return lambda: np.asarray(graph.degree_array())


def igraph_degrees(ctx, which):
    graph = igraph_graph(ctx, which)
    return lambda: graph.degree()


def networkx_degrees(ctx, which):
    graph = networkx_graph(ctx, which)
    return lambda: [d for _, d in graph.degree()]


def mivora_neighbours(ctx, which):
    graph = mivora_graph(ctx, which)
    labels = [str(i) for i in inputs(ctx, which)[3].tolist()]
    graph.neighbors("0")  # the rows are built once, untimed (see the fresh case)
    return lambda: [graph.neighbors(label) for label in labels]


def mivora_neighbours_fresh(ctx, which):
    graph = mivora_graph(ctx, which)
    labels = [str(i) for i in inputs(ctx, which)[3].tolist()]
    return (graph.copy, lambda fresh: [fresh.neighbors(label) for label in labels])


def igraph_neighbours(ctx, which):
    graph = igraph_graph(ctx, which)
    ids = inputs(ctx, which)[3].tolist()
    return lambda: [graph.neighbors(i) for i in ids]


def networkx_neighbours(ctx, which):
    graph = networkx_graph(ctx, which)
    nodes = inputs(ctx, which)[3].tolist()
    return lambda: [list(graph.neighbors(node)) for node in nodes]


def describe(which):
    def size(sizes):
        nodes, links, questions = size_of(sizes, which)
        return f"{n(nodes)} nodes, {n(links)} links"
    return size


def asked(which):
    def size(sizes):
        nodes, links, questions = size_of(sizes, which)
        return f"{n(questions)} of {n(nodes)} nodes"
    return size


def cases(which, **factories):
    return {library: (lambda ctx, f=factory: f(ctx, which)) for library, factory in factories.items()}


def workloads(which):
    tag = "" if which == "full" else " (small)"

    def entry(title, size, **factories):
        if which == "full":
            factories.pop("networkx", None)
        return Workload(f"everyday: {title}{tag}", size, cases(which, **factories))

    return [
        entry("subgraph", describe(which), mivora=mivora_subgraph, igraph=igraph_subgraph,
              networkx=networkx_subgraph),
        entry("largest comp.", describe(which), mivora=mivora_largest, igraph=igraph_largest,
              networkx=networkx_largest),
        entry("degree array", describe(which), mivora=mivora_degrees, igraph=igraph_degrees,
              networkx=networkx_degrees),
        entry("neighbours", asked(which), mivora=mivora_neighbours, igraph=igraph_neighbours,
              networkx=networkx_neighbours),
        entry("neighbours, fresh", asked(which), mivora=mivora_neighbours_fresh),
    ]


WORKLOADS = workloads("full") + workloads("small")
