"""Data in and out in bulk: graphs from NumPy arrays and tables, sparse and
peer-graph exports.

  from_edges (NumPy)  the same random arcs as two int64 NumPy arrays (no weights)
                   mivora    Graph.from_edges(sources, targets, directed=True)
                   igraph    Graph(n, edges=list(zip(...)), directed=True): its fastest
                             path from arrays (an ndarray is read row by row, 3x slower)
                   rustworkx PyDiGraph.add_nodes_from + add_edges_from_no_data(list of
                             tuples): it takes no arrays
                   networkx  nx.from_edgelist(zip(...), create_using=DiGraph) (1M only:
                             10M arcs take minutes and ~10 GB)
  from_table       a pandas DataFrame source/target/weight (int64, int64, float64)
                   mivora    Graph.from_table(df, weight="weight", directed=True, ids="positions")
                             (pandas exports the columns through Arrow)
                   igraph    Graph.DataFrame(df, directed=True, use_vids=True)
                   rustworkx PyDiGraph.extend_from_weighted_edge_list(list of triples)
                   networkx  nx.from_pandas_edgelist(df, edge_attr="weight", DiGraph)
  to_csr / to_scipy  the weighted directed graph of 1M arcs to sparse rows
                   mivora    to_csr() as NumPy arrays / to_scipy()
                   igraph    get_adjacency_sparse(attribute="weight")
                   networkx  nx.to_scipy_sparse_array(G, weight="weight")
                   (networkx and igraph sum parallel arcs; mivora keeps them apart)
  to_networkx / from_networkx  a networkx DiGraph of 500,000 weighted arcs
                   mivora    Graph.to_networkx() (a MultiDiGraph) / Graph.from_networkx(G)
                   networkx  nx.MultiDiGraph(G) / nx.DiGraph(G): its own copy
                   igraph    Graph.from_networkx(G) (from_networkx only)
"""
from workloads.common import QUICK, Workload, n

FULL_SIZES = {"small": (100_000, 1_000_000), "large": (1_000_000, 10_000_000), "peer": (100_000, 500_000)}
QUICK_SIZES = {"small": (2_000, 10_000), "large": (20_000, 100_000), "peer": (2_000, 10_000)}


def sizes(all_sizes, key):
    return (QUICK_SIZES if all_sizes == QUICK else FULL_SIZES)[key]


def arrays(ctx, key):
    def make():
        import numpy as np
        nodes, links = sizes(ctx.sizes, key)
        rng = np.random.default_rng(13)
        return nodes, rng.integers(0, nodes, links), rng.integers(0, nodes, links), rng.random(links) * 10
    return ctx.cached(("bridges", key), make)


def frame(ctx):
    import pandas as pd
    _, sources, targets, weights = arrays(ctx, "small")
    return ctx.cached("bridges-frame", lambda: pd.DataFrame({"source": sources, "target": targets, "weight": weights}))


def nx_graph(ctx, key="peer"):
    def make():
        import networkx as nx
        nodes, sources, targets, weights = arrays(ctx, key)
        graph = nx.DiGraph()
        graph.add_nodes_from(range(nodes))
        graph.add_weighted_edges_from(zip(sources.tolist(), targets.tolist(), weights.tolist()))
        return graph
    return ctx.cached(("bridges-nx", key), make)


# ---- building -----------------------------------------------------------------------

def mivora_from_edges(key):
    def case(ctx):
        import mivora
        _, sources, targets, _ = arrays(ctx, key)
        return lambda: mivora.Graph.from_edges(sources, targets, directed=True)
    return case


def igraph_from_edges(key):
    def case(ctx):
        import igraph
        nodes, sources, targets, _ = arrays(ctx, key)
        return lambda: igraph.Graph(n=nodes, edges=list(zip(sources.tolist(), targets.tolist())), directed=True)
    return case


def rustworkx_from_edges(key):
    def case(ctx):
        import rustworkx as rx
        nodes, sources, targets, _ = arrays(ctx, key)

        def run():
            graph = rx.PyDiGraph()
            graph.add_nodes_from(range(nodes))
            graph.add_edges_from_no_data(list(zip(sources.tolist(), targets.tolist())))
            return graph
        return run
    return case


def networkx_from_edges(ctx):
    import networkx as nx
    _, sources, targets, _ = arrays(ctx, "small")
    return lambda: nx.from_edgelist(zip(sources.tolist(), targets.tolist()), create_using=nx.DiGraph)


def mivora_from_table(ctx):
    import mivora
    df = frame(ctx)
    return lambda: mivora.Graph.from_table(df, weight="weight", directed=True, ids="positions")


def igraph_from_table(ctx):
    import igraph
    df = frame(ctx)
    return lambda: igraph.Graph.DataFrame(df, directed=True, use_vids=True)


def rustworkx_from_table(ctx):
    import rustworkx as rx
    df = frame(ctx)

    def run():
        graph = rx.PyDiGraph()
        graph.extend_from_weighted_edge_list(
            list(zip(df["source"].tolist(), df["target"].tolist(), df["weight"].tolist())))
        return graph
    return run


def networkx_from_table(ctx):
    import networkx as nx
    df = frame(ctx)
    return lambda: nx.from_pandas_edgelist(df, edge_attr="weight", create_using=nx.DiGraph)


# ---- exports --------------------------------------------------------------------------

def mivora_graph(ctx, key):
    def make():
        import mivora
        _, sources, targets, weights = arrays(ctx, key)
        return mivora.Graph.from_edges(sources, targets, weights, directed=True)
    return ctx.cached(("bridges-mivora", key), make)


def mivora_to_csr(ctx):
    import numpy as np
    graph = mivora_graph(ctx, "small")
    return lambda: [np.asarray(a) for a in graph.to_csr()]


def mivora_to_scipy(ctx):
    graph = mivora_graph(ctx, "small")
    return graph.to_scipy


def igraph_sparse(ctx):
    import igraph
    nodes, sources, targets, weights = arrays(ctx, "small")
    graph = igraph.Graph(n=nodes, edges=list(zip(sources.tolist(), targets.tolist())), directed=True,
                         edge_attrs={"weight": weights.tolist()})
    return lambda: graph.get_adjacency_sparse(attribute="weight")


def networkx_sparse(ctx):
    import networkx as nx
    graph = nx_graph(ctx, "small")
    return lambda: nx.to_scipy_sparse_array(graph, weight="weight")


def mivora_to_networkx(ctx):
    graph = mivora_graph(ctx, "peer")
    return graph.to_networkx


def networkx_copy(graph_class):
    def case(ctx):
        import networkx as nx
        graph = nx_graph(ctx)
        return lambda: getattr(nx, graph_class)(graph)
    return case


def mivora_from_networkx(ctx):
    import mivora
    graph = nx_graph(ctx)
    return lambda: mivora.Graph.from_networkx(graph)


def igraph_from_networkx(ctx):
    import igraph
    graph = nx_graph(ctx)
    return lambda: igraph.Graph.from_networkx(graph)


def size_of(key):
    return lambda s: f"{n(sizes(s, key)[1])} arcs, {n(sizes(s, key)[0])} nodes"


WORKLOADS = [
    Workload("bridges: from_edges", size_of("small"),
             {"mivora": mivora_from_edges("small"), "igraph": igraph_from_edges("small"),
              "rustworkx": rustworkx_from_edges("small"), "networkx": networkx_from_edges}),
    Workload("bridges: from_edges large", size_of("large"),
             {"mivora": mivora_from_edges("large"), "igraph": igraph_from_edges("large"),
              "rustworkx": rustworkx_from_edges("large")}),
    Workload("bridges: from_table", size_of("small"),
             {"mivora": mivora_from_table, "igraph": igraph_from_table, "rustworkx": rustworkx_from_table,
              "networkx": networkx_from_table}),
    Workload("bridges: to_csr", size_of("small"),
             {"mivora": mivora_to_csr, "igraph": igraph_sparse, "networkx": networkx_sparse}),
    Workload("bridges: to_scipy", size_of("small"),
             {"mivora": mivora_to_scipy, "igraph": igraph_sparse, "networkx": networkx_sparse}),
    Workload("bridges: to_networkx", size_of("peer"),
             {"mivora": mivora_to_networkx, "networkx": networkx_copy("MultiDiGraph")}),
    Workload("bridges: from_networkx", size_of("peer"),
             {"mivora": mivora_from_networkx, "networkx": networkx_copy("DiGraph"),
              "igraph": igraph_from_networkx}),
]
