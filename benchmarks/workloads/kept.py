"""What the picture of the graph kept between calls and the array results
buy: a sequence of measures on one unchanged graph, per-node measures as
arrays (as igraph and rustworkx answer: by vertex index) and to_edges.

  sequence        mivora pagerank(), betweenness_centrality(), closeness_centrality()
                  on one graph whose kept picture is dropped before each run (so the
                  first measure takes it and the other two reuse it)
                  igraph pagerank(weights), betweenness(directed=True), closeness(mode="in")
  ... as_array    mivora's per-node measure with as_array=True (a float64/int64
                  memoryview in node order); igraph's list by vertex index
  to_edges        mivora to_edges() with the kept picture dropped first (what a
                  first call costs) and kept (what a second call costs);
                  igraph get_edgelist(); rustworkx edge_list()
Graphs as in centrality.py (sequence: its small graph), measures.py (clustering,
core number, hops) and bridges.py (to_edges: 100,000 nodes, 1,000,000 arcs).
"""
from workloads import analysis, bridges, centrality, measures
from workloads.common import Workload, n


def mivora_sequence(ctx):
    g = centrality.mivora_graph(ctx, small=True)

    def run(_):
        g.pagerank()
        g.betweenness_centrality()
        return g.closeness_centrality()
    return g.drop_cache, run


def igraph_sequence(ctx):
    g = centrality.igraph_graph(ctx, small=True)

    def run():
        g.pagerank(weights="weight")
        g.betweenness(directed=True)
        return g.closeness(mode="in")
    return run


def mivora_edges(ctx, kept):
    import mivora
    _, sources, targets, _ = bridges.arrays(ctx, "small")
    g = ctx.cached("kept-edges", lambda: mivora.Graph.from_edges(sources, targets, directed=True))
    return (lambda: None if kept else g.drop_cache()), (lambda _: g.to_edges())


def igraph_edges(ctx):
    import igraph
    nodes, sources, targets, _ = bridges.arrays(ctx, "small")
    g = ctx.cached("kept-edges-ig", lambda: igraph.Graph(n=nodes, edges=list(zip(sources.tolist(), targets.tolist())),
                                                         directed=True))
    return g.get_edgelist


def rustworkx_edges(ctx):
    import rustworkx as rx
    nodes, sources, targets, _ = bridges.arrays(ctx, "small")

    def make():
        graph = rx.PyDiGraph()
        graph.add_nodes_from(range(nodes))
        graph.add_edges_from_no_data(list(zip(sources.tolist(), targets.tolist())))
        return graph
    g = ctx.cached("kept-edges-rx", make)
    return g.edge_list


def edges_size(s):
    nodes, links = bridges.sizes(s, "small")
    return f"{n(nodes)} nodes, {n(links)} arcs"


WORKLOADS = [
    Workload("sequence: pr+btw+close", lambda s: f"{centrality.small(s)} arcs", {
        "mivora": mivora_sequence,
        "igraph": igraph_sequence,
    }),
    Workload("clustering as_array", measures.undirected_size, {
        "mivora": lambda ctx: (lambda g=measures.plain("mivora", ctx): g.clustering(as_array=True)),
        "igraph": lambda ctx: (lambda g=measures.plain("igraph", ctx): g.transitivity_local_undirected(mode="zero")),
    }),
    Workload("core number as_array", measures.undirected_size, {
        "mivora": lambda ctx: (lambda g=measures.plain("mivora", ctx): g.core_number(as_array=True)),
        "igraph": lambda ctx: (lambda g=measures.plain("igraph", ctx): g.coreness()),
        "rustworkx": lambda ctx: (lambda g=measures.plain("rustworkx", ctx): __import__("rustworkx").core_number(g)),
    }),
    Workload("hop lengths as_array", measures.directed_size, {
        "mivora": lambda ctx: (lambda g=analysis.mivora_graph(ctx):
                               g.shortest_path_lengths(measures.label(measures.START), False, as_array=True)),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx): g.distances(source=measures.START)),
    }),
    Workload("pagerank as_array", lambda s: f"{centrality.big(s)} arcs", {
        "mivora": lambda ctx: (lambda g=centrality.mivora_graph(ctx): g.pagerank(as_array=True)),
        "igraph": lambda ctx: (lambda g=centrality.igraph_graph(ctx): g.pagerank(weights="weight")),
    }),
    Workload("to_edges (first call)", edges_size, {
        "mivora": lambda ctx: mivora_edges(ctx, kept=False),
        "igraph": igraph_edges,
        "rustworkx": rustworkx_edges,
    }),
    Workload("to_edges (kept)", edges_size, {
        "mivora": lambda ctx: mivora_edges(ctx, kept=True),
        "igraph": igraph_edges,
        "rustworkx": rustworkx_edges,
    }),
]
