"""Centralities, PageRank and communities on random weighted graphs: 100,000
nodes and 500,000 connections ("v0" ..; weights in [0.1, 10)), and for
betweenness and closeness a tenth of that (10,000 / 50,000). Arcs for the
centralities and PageRank, edges for communities and modularity (igraph's
Louvain takes undirected graphs only). Every library is single-threaded
(rustworkx: parallel_threshold above the node count).

  pagerank      mivora    pagerank()                     tol 1e-10, weighted
                networkx  pagerank(g, tol=1e-10, max_iter=1000)
                igraph    pagerank(weights="weight")     (PRPACK: a direct solve)
                rustworkx pagerank(g, weight_fn=float, tol=1e-10, max_iter=1000)
  betweenness   mivora    betweenness_centrality()       unweighted, normalised, all sources
                networkx  betweenness_centrality(g, k=n/100)  ONLY 1% OF THE SOURCES:
                          its full time is about 100x the figure shown
                igraph    betweenness(directed=True)
                rustworkx digraph_betweenness_centrality(g)
  closeness     mivora    closeness_centrality()         unweighted, incoming distances
                networkx  closeness_centrality's body for 1% OF THE NODES (full: ~100x)
                igraph    closeness(mode="in")           rustworkx digraph_closeness_centrality(g)
  communities   mivora    communities(seed=1)            (Louvain, repeated from the result)
                igraph    community_multilevel(weights="weight")
                networkx  left out: louvain_communities(g, seed=1) takes about 5 minutes
                          at this size (one run), too long for repeated runs
  modularity    of one fixed partition into 100 groups: mivora modularity(groups),
                networkx community.modularity, igraph modularity(membership, weights)
"""
from workloads.common import Workload, labelled_edges, n

SINGLE_THREAD = 1 << 30  # rustworkx's parallel_threshold: never parallel


def sizes(ctx, small):
    nodes, edges = ctx.sizes["analysis_nodes"], ctx.sizes["analysis_edges"]
    return (nodes // 10, edges // 10) if small else (nodes, edges)


def inputs(ctx, small):
    nodes, edges = sizes(ctx, small)
    return labelled_edges(nodes, edges, seed=31 if small else 32)


def mivora_graph(ctx, small=False, directed=True):
    def make():
        import mivora
        labels, triples = inputs(ctx, small)
        graph = mivora.Graph()
        for label in labels:
            graph.add_node(label)
        for u, v, w in triples:
            graph.create_connection(labels[u], labels[v], w, directed)
        return graph
    return ctx.cached(("mivora", small, directed), make)


def networkx_graph(ctx, small=False, directed=True):
    def make():
        import networkx as nx
        labels, triples = inputs(ctx, small)
        graph = nx.MultiDiGraph() if directed else nx.MultiGraph()
        graph.add_nodes_from(labels)
        graph.add_weighted_edges_from((labels[u], labels[v], w) for u, v, w in triples)
        return graph
    return ctx.cached(("networkx", small, directed), make)


def igraph_graph(ctx, small=False, directed=True):
    def make():
        import igraph as ig
        labels, triples = inputs(ctx, small)
        graph = ig.Graph(n=len(labels), edges=[(u, v) for u, v, _ in triples], directed=directed)
        graph.vs["name"] = labels
        graph.es["weight"] = [w for _, _, w in triples]
        return graph
    return ctx.cached(("igraph", small, directed), make)


def rustworkx_graph(ctx, small=False):
    def make():
        import rustworkx as rx
        labels, triples = inputs(ctx, small)
        graph = rx.PyDiGraph()
        graph.add_nodes_from(labels)
        graph.add_edges_from(triples)
        return graph
    return ctx.cached(("rustworkx", small), make)


def sample(labels):
    return labels[:: 100] or labels[:1]


def groups(ctx):
    """Labels in 100 groups by position (the same partition for everyone)."""
    labels, _ = inputs(ctx, False)
    return [labels[g::100] for g in range(100)]


def membership(ctx):
    labels, _ = inputs(ctx, False)
    return [i % 100 for i in range(len(labels))]


def big(s):
    return f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])}"


def small(s):
    return f"{n(s['analysis_nodes'] // 10)} nodes, {n(s['analysis_edges'] // 10)}"


def networkx_closeness(ctx):
    """closeness_centrality's own body for 1% of the nodes: one reversed view,
    then a BFS per node (closeness_centrality(g, u=x) would copy the reversed
    graph on every call)."""
    import networkx as nx
    g = networkx_graph(ctx, small=True)
    chosen = sample(list(g))

    def run():
        reverse = g.reverse(copy=False)
        result = {}
        for x in chosen:
            lengths = nx.single_source_shortest_path_length(reverse, x)
            total, reached = sum(lengths.values()), len(lengths) - 1
            result[x] = reached / total * reached / (len(g) - 1) if total > 0 else 0.0
        return result
    return run


WORKLOADS = [
    Workload("pagerank", lambda s: f"{big(s)} arcs", {
        "mivora": lambda ctx: mivora_graph(ctx).pagerank,
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx): __import__("networkx").pagerank(
            g, tol=1e-10, max_iter=1000)),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): g.pagerank(weights="weight")),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): __import__("rustworkx").pagerank(
            g, weight_fn=float, tol=1e-10, max_iter=1000)),
    }),
    Workload("betweenness", lambda s: f"{small(s)} arcs (nx: 1%)", {
        "mivora": lambda ctx: mivora_graph(ctx, small=True).betweenness_centrality,
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx, small=True): __import__("networkx").betweenness_centrality(
            g, k=len(sample(list(g))), seed=1)),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx, small=True): g.betweenness(directed=True)),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx, small=True): __import__("rustworkx").digraph_betweenness_centrality(
            g, parallel_threshold=SINGLE_THREAD)),
    }),
    Workload("closeness", lambda s: f"{small(s)} arcs (nx: 1%)", {
        "mivora": lambda ctx: mivora_graph(ctx, small=True).closeness_centrality,
        "networkx": networkx_closeness,
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx, small=True): g.closeness(mode="in")),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx, small=True): __import__("rustworkx").digraph_closeness_centrality(
            g, parallel_threshold=SINGLE_THREAD)),
    }),
    Workload("communities (Louvain)", lambda s: f"{big(s)} edges", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx, directed=False): g.communities(seed=1)),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx, directed=False): g.community_multilevel(weights="weight")),
    }),
    Workload("modularity", lambda s: f"{big(s)} edges", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx, directed=False), p=groups(ctx): g.modularity(p)),
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx, directed=False), p=groups(ctx): __import__("networkx").community.modularity(g, p)),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx, directed=False), m=membership(ctx): g.modularity(m, weights="weight")),
    }),
]
