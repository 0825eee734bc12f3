"""Structural measures: components, shortest paths, clustering, cores,
spanning trees and the diameter.

Components and paths run on the analysis graph (100,000 nodes, 500,000
weighted arcs, "v0" ..; see analysis.py); clustering, cores and the spanning
tree on the same edge list taken as undirected edges (networkx: Graph, which
merges the few repeated pairs; self-loops left out; igraph, rustworkx: undirected multigraphs);
the diameter on an undirected graph of 20,000 nodes and 100,000 edges (a
ring through all nodes, so it is connected, plus random edges).

  weak components    mivora connected_components()    networkx list(weakly_connected_components)
                     igraph list(connected_components("weak"))  rustworkx weakly_connected_components
  strong components  the same with "strong" / strongly_connected_components
  shortest path      mivora shortest_path(s, t)       networkx dijkstra_path   igraph get_shortest_path
                     rustworkx digraph_dijkstra_shortest_paths(target=t)       (t: the farthest
                     node from s by hops, so the walk covers most of the graph)
  path lengths       mivora shortest_path_lengths(s)  networkx single_source_dijkstra_path_length
                     igraph distances(s, weights)     rustworkx digraph_dijkstra_shortest_path_lengths
  hop lengths        unweighted: networkx single_source_shortest_path_length, igraph distances(s),
                     rustworkx digraph_dijkstra_shortest_path_lengths with unit costs
  clustering         mivora clustering()   networkx clustering   igraph transitivity_local_undirected("zero")
  average clustering networkx average_clustering  igraph transitivity_avglocal_undirected("zero")
  transitivity       networkx transitivity   igraph transitivity_undirected   rustworkx transitivity
  triangles          mivora triangles() (per node)  networkx triangles   igraph list_triangles()
                     (lists them instead of counting per node)
  core number        networkx core_number   igraph coreness()   rustworkx core_number
  spanning tree      mivora minimum_spanning_tree() (a new Graph)  networkx minimum_spanning_tree
                     igraph spanning_tree(weights)  rustworkx minimum_spanning_tree(weight_fn=float)
  diameter           mivora diameter()   igraph diameter()   (networkx: one BFS per node in
                     Python, about half an hour here, left out; rustworkx has no diameter)

mivora results are keyed by label, igraph's and rustworkx's by index.
"""
import random

from workloads import analysis
from workloads.common import Workload, n

START = analysis.START


def undirected_triples(ctx):
    """The analysis edge list without its self-loops (networkx's core_number refuses them)."""
    labels, triples = analysis.edges(ctx, "analysis_nodes")
    return labels, [(u, v, w) for u, v, w in triples if u != v]


def diameter_edges(ctx):
    nodes, count = ctx.sizes["diameter_nodes"], ctx.sizes["diameter_edges"]
    rng = random.Random(5)
    labels = [f"d{i}" for i in range(nodes)]
    pairs = [(i, (i + 1) % nodes) for i in range(nodes)]
    pairs += [(rng.randrange(nodes), rng.randrange(nodes)) for _ in range(count - nodes)]
    return labels, [(u, v, 1.0) for u, v in pairs]


def undirected(library, ctx, key, make_edges):
    def make():
        labels, triples = make_edges(ctx)
        if library == "mivora":
            import mivora
            graph = mivora.Graph()
            for label in labels:
                graph.add_node(label)
            for u, v, w in triples:
                graph.create_connection(labels[u], labels[v], w, False)
        elif library == "networkx":
            import networkx as nx
            graph = nx.Graph()
            graph.add_nodes_from(labels)
            graph.add_weighted_edges_from((labels[u], labels[v], w) for u, v, w in triples)
        elif library == "igraph":
            import igraph as ig
            graph = ig.Graph(n=len(labels), edges=[(u, v) for u, v, _ in triples])
            graph.es["weight"] = [w for _, _, w in triples]
        else:
            import rustworkx as rx
            graph = rx.PyGraph()
            graph.add_nodes_from(labels)
            graph.add_edges_from(triples)
        return graph
    return ctx.cached((library, key), make)


def plain(library, ctx):
    return undirected(library, ctx, "measures_undirected", undirected_triples)


def ring(library, ctx):
    return undirected(library, ctx, "measures_diameter", diameter_edges)


def far_node(ctx):
    """The node farthest from the start by hops (the same for every library)."""
    def make():
        from collections import deque
        labels, triples = analysis.edges(ctx, "analysis_nodes")
        rows = [[] for _ in labels]
        for u, v, _ in triples:
            rows[u].append(v)
        seen, queue, last = {START}, deque([START]), START
        while queue:
            last = queue.popleft()
            for v in rows[last]:
                if v not in seen:
                    seen.add(v)
                    queue.append(v)
        return last
    return ctx.cached("measures_far_node", make)


def directed_size(s):
    return f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} arcs"


def undirected_size(s):
    return f"{n(s['analysis_nodes'])} nodes, {n(s['analysis_edges'])} edges"


def nx():
    return __import__("networkx")


def rx():
    return __import__("rustworkx")


def label(i):
    return f"v{i}"


WORKLOADS = [
    Workload("weak components", directed_size, {
        "mivora": lambda ctx: analysis.mivora_graph(ctx).connected_components,
        "networkx": lambda ctx: (lambda g=analysis.networkx_graph(ctx): list(nx().weakly_connected_components(g))),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx): list(g.connected_components("weak"))),
        "rustworkx": lambda ctx: (lambda g=analysis.rustworkx_graph(ctx): rx().weakly_connected_components(g)),
    }),
    Workload("strong components", directed_size, {
        "mivora": lambda ctx: analysis.mivora_graph(ctx).strongly_connected_components,
        "networkx": lambda ctx: (lambda g=analysis.networkx_graph(ctx): list(nx().strongly_connected_components(g))),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx): list(g.connected_components("strong"))),
        "rustworkx": lambda ctx: (lambda g=analysis.rustworkx_graph(ctx): rx().strongly_connected_components(g)),
    }),
    Workload("shortest path (weighted)", directed_size, {
        "mivora": lambda ctx: (lambda g=analysis.mivora_graph(ctx), t=label(far_node(ctx)):
                               g.shortest_path(label(START), t)),
        "networkx": lambda ctx: (lambda g=analysis.networkx_graph(ctx), t=label(far_node(ctx)):
                                 nx().dijkstra_path(g, label(START), t)),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx), t=far_node(ctx):
                               g.get_shortest_path(START, t, weights="weight")),
        "rustworkx": lambda ctx: (lambda g=analysis.rustworkx_graph(ctx), t=far_node(ctx):
                                  rx().digraph_dijkstra_shortest_paths(g, START, target=t, weight_fn=float)),
    }),
    Workload("path lengths (weighted)", directed_size, {
        "mivora": lambda ctx: (lambda g=analysis.mivora_graph(ctx): g.shortest_path_lengths(label(START))),
        "networkx": lambda ctx: (lambda g=analysis.networkx_graph(ctx):
                                 nx().single_source_dijkstra_path_length(g, label(START))),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx): g.distances(source=START, weights="weight")),
        "rustworkx": lambda ctx: (lambda g=analysis.rustworkx_graph(ctx):
                                  rx().digraph_dijkstra_shortest_path_lengths(g, START, edge_cost_fn=float)),
    }),
    Workload("path lengths (hops)", directed_size, {
        "mivora": lambda ctx: (lambda g=analysis.mivora_graph(ctx): g.shortest_path_lengths(label(START), False)),
        "networkx": lambda ctx: (lambda g=analysis.networkx_graph(ctx):
                                 nx().single_source_shortest_path_length(g, label(START))),
        "igraph": lambda ctx: (lambda g=analysis.igraph_graph(ctx): g.distances(source=START)),
        "rustworkx": lambda ctx: (lambda g=analysis.rustworkx_graph(ctx):
                                  rx().digraph_dijkstra_shortest_path_lengths(g, START, edge_cost_fn=lambda _: 1.0)),
    }),
    Workload("clustering", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).clustering,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().clustering(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.transitivity_local_undirected(mode="zero")),
    }),
    Workload("average clustering", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).average_clustering,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().average_clustering(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.transitivity_avglocal_undirected(mode="zero")),
    }),
    Workload("transitivity", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).transitivity,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().transitivity(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.transitivity_undirected()),
        "rustworkx": lambda ctx: (lambda g=plain("rustworkx", ctx): rx().transitivity(g)),
    }),
    Workload("triangles", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).triangles,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().triangles(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.list_triangles()),
    }),
    Workload("core number", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).core_number,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().core_number(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.coreness()),
        "rustworkx": lambda ctx: (lambda g=plain("rustworkx", ctx): rx().core_number(g)),
    }),
    Workload("minimum spanning tree", undirected_size, {
        "mivora": lambda ctx: plain("mivora", ctx).minimum_spanning_tree,
        "networkx": lambda ctx: (lambda g=plain("networkx", ctx): nx().minimum_spanning_tree(g)),
        "igraph": lambda ctx: (lambda g=plain("igraph", ctx): g.spanning_tree(weights="weight")),
        "rustworkx": lambda ctx: (lambda g=plain("rustworkx", ctx): rx().minimum_spanning_tree(g, weight_fn=float)),
    }),
    Workload("diameter", lambda s: f"{n(s['diameter_nodes'])} nodes, {n(s['diameter_edges'])} edges", {
        "mivora": lambda ctx: ring("mivora", ctx).diameter,
        "igraph": lambda ctx: (lambda g=ring("igraph", ctx): g.diameter()),
    }),
]
