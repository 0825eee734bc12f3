"""Analyses on a random directed graph of 100,000 labelled nodes and 500,000
weighted arcs ("v0" ..; the same edge list for every library), and the
adjacency matrix of a 3,000-node graph of the same density.

mivora and networkx address nodes by label; igraph and rustworkx by index.

  degrees       mivora    get_all_nodes_degrees()  dict label -> dict of 4 ints
                networkx  dict(in_degree()), dict(out_degree()), dict(degree())
                igraph    indegree(), outdegree(), degree()      (lists of ints)
                rustworkx in_degree(i), out_degree(i) per node  (no bulk call)
  distribution  mivora    get_degree_distribution() + compute_entropy()
                peers     their in/out degree lists (as above) counted into
                          histograms (collections.Counter) and -sum(p ln p) in Python
  bfs           mivora    bfs(label)               list of labels
                networkx  [start] + targets of bfs_edges(g, start)
                igraph    bfs(start)[0]            rustworkx bfs_successors(g, start)
  dfs           mivora    dfs(label)               networkx list(dfs_preorder_nodes(g, start))
                igraph    dfs(start)[0]            rustworkx dfs_edges(g, start)
  dijkstra      mivora    dijkstra(label)          dict label -> distance (all nodes)
                networkx  single_source_dijkstra_path_length(g, start)  (reached nodes)
                igraph    distances(source=start, weights="weight")     (one row)
                rustworkx digraph_dijkstra_shortest_path_lengths(g, start, edge_cost_fn=float)
  matrix        mivora    generate_adjacency_matrix()  list of lists of Python floats
                networkx  to_numpy_array(g)         igraph get_adjacency() (unweighted Matrix)
                rustworkx digraph_adjacency_matrix(g, weight_fn=float)   (numpy)

networkx's DiGraph keeps one arc per ordered pair (a repeated pair keeps its
last weight), the others keep every arc.
"""
import collections
import math

from workloads.common import Workload, labelled_edges, n


def edges(ctx, nodes_key):
    nodes = ctx.sizes[nodes_key]
    count = ctx.sizes["analysis_edges"] * nodes // ctx.sizes["analysis_nodes"]
    return labelled_edges(nodes, count, seed=1 if nodes_key == "analysis_nodes" else 2)


def mivora_graph(ctx, nodes_key="analysis_nodes"):
    def make():
        import mivora
        labels, triples = edges(ctx, nodes_key)
        graph = mivora.Graph()
        for label in labels:
            graph.add_node(label)
        for u, v, w in triples:
            graph.create_connection(labels[u], labels[v], w, True)
        return graph
    return ctx.cached(("mivora", nodes_key), make)


def networkx_graph(ctx, nodes_key="analysis_nodes"):
    def make():
        import networkx as nx
        labels, triples = edges(ctx, nodes_key)
        graph = nx.DiGraph()
        graph.add_nodes_from(labels)
        graph.add_weighted_edges_from((labels[u], labels[v], w) for u, v, w in triples)
        return graph
    return ctx.cached(("networkx", nodes_key), make)


def igraph_graph(ctx, nodes_key="analysis_nodes"):
    def make():
        import igraph as ig
        labels, triples = edges(ctx, nodes_key)
        graph = ig.Graph(n=len(labels), edges=[(u, v) for u, v, _ in triples], directed=True)
        graph.es["weight"] = [w for _, _, w in triples]
        return graph
    return ctx.cached(("igraph", nodes_key), make)


def rustworkx_graph(ctx, nodes_key="analysis_nodes"):
    def make():
        import rustworkx as rx
        labels, triples = edges(ctx, nodes_key)
        graph = rx.PyDiGraph()
        graph.add_nodes_from(labels)
        graph.add_edges_from(triples)
        return graph
    return ctx.cached(("rustworkx", nodes_key), make)


def entropy_of(degrees):
    counts = collections.Counter(degrees)
    total = len(degrees)
    return -sum(c / total * math.log(c / total) for c in counts.values())


def peer_distribution(in_degrees, out_degrees):
    return ({d: c / len(in_degrees) for d, c in collections.Counter(in_degrees).items()},
            {d: c / len(out_degrees) for d, c in collections.Counter(out_degrees).items()},
            entropy_of(in_degrees), entropy_of(out_degrees))


START = 0


def start_label(ctx):
    return f"v{START}"


WORKLOADS = [
    Workload("degrees (all nodes)", lambda s: f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs", {
        "mivora": lambda ctx: mivora_graph(ctx).get_all_nodes_degrees,
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx): (dict(g.in_degree()), dict(g.out_degree()),
                                                                  dict(g.degree()))),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): (g.indegree(), g.outdegree(), g.degree())),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): (
            [g.in_degree(k) for k in g.node_indices()], [g.out_degree(k) for k in g.node_indices()])),
    }),
    Workload("distribution + entropy", lambda s: f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx): (g.get_degree_distribution(), g.compute_entropy())),
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx): peer_distribution(
            [d for _, d in g.in_degree()], [d for _, d in g.out_degree()])),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): peer_distribution(g.indegree(), g.outdegree())),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): peer_distribution(
            [g.in_degree(k) for k in g.node_indices()], [g.out_degree(k) for k in g.node_indices()])),
    }),
    Workload("bfs", lambda s: f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx), s=start_label(ctx): g.bfs(s)),
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx), s=start_label(ctx): [s] + [
            v for _, v in __import__("networkx").bfs_edges(g, s)]),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): g.bfs(START)[0]),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): __import__("rustworkx").bfs_successors(g, START)),
    }),
    Workload("dfs", lambda s: f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx), s=start_label(ctx): g.dfs(s)),
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx), s=start_label(ctx): list(
            __import__("networkx").dfs_preorder_nodes(g, s))),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): g.dfs(START)[0]),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): __import__("rustworkx").dfs_edges(g, START)),
    }),
    Workload("dijkstra", lambda s: f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs", {
        "mivora": lambda ctx: (lambda g=mivora_graph(ctx), s=start_label(ctx): g.dijkstra(s)),
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx), s=start_label(ctx):
                                 __import__("networkx").single_source_dijkstra_path_length(g, s)),
        "igraph": lambda ctx: (lambda g=igraph_graph(ctx): g.distances(source=START, weights="weight")),
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx): __import__("rustworkx")
                                  .digraph_dijkstra_shortest_path_lengths(g, START, edge_cost_fn=float)),
    }),
    Workload("adjacency matrix", lambda s: f"{n(s['matrix_nodes'])} nodes, "
                                           f"{n(s['analysis_edges'] * s['matrix_nodes'] // s['analysis_nodes'])} arcs", {
        "mivora": lambda ctx: mivora_graph(ctx, "matrix_nodes").generate_adjacency_matrix,
        "networkx": lambda ctx: (lambda g=networkx_graph(ctx, "matrix_nodes"):
                                 __import__("networkx").to_numpy_array(g)),
        "igraph": lambda ctx: igraph_graph(ctx, "matrix_nodes").get_adjacency,
        "rustworkx": lambda ctx: (lambda g=rustworkx_graph(ctx, "matrix_nodes"):
                                  __import__("rustworkx").digraph_adjacency_matrix(g, weight_fn=float)),
    }),
]
