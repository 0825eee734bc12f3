"""Drawing: the spring layout at 1,000 and 3,000 nodes (3 undirected
connections per node, weight 1), and SVG text of 100,000 nodes and 500,000
connections (half of them directed) in the circular layout.

  spring layout  mivora    output_svg(Layout.Spring)   (layout + the SVG text;
                           a graph built by calls is laid out on every drawing)
                 networkx  spring_layout(g, iterations=50)
                 igraph    layout_fruchterman_reingold(niter=50, grid=False): the
                           exact all-pairs repulsion, as the others compute it.
                           igraph's default (grid="auto") switches to a grid
                           approximation above 1,000 nodes, about 25x faster than
                           exact at 3,000 nodes; mivora has no approximate mode
                 rustworkx spring_layout(g, num_iter=50)
  SVG            mivora    output_svg(Layout.Circular) -> str
                 igraph    write_svg(path, layout="circle")  (its own SVG writer,
                           Python code; labels drawn, no arrows, written to a file)
  HTML page      mivora    output_html(path, Layout.Circular)  (the SVG plus the
                           viewer page, written to a file)
                 igraph    write_svg(path, layout="circle")  (what it offers for a
                           browser: a static SVG file)
                 networkx  node_link_data + json.dump to a file  (data for a
                           browser-side drawing library; nothing is drawn)
                 rustworkx node_link_json(path=...)  (likewise)
networkx and rustworkx draw only through matplotlib or graphviz (a raster or
vector image through a plotting backend), which is not the same job; left out
of the SVG row.
"""
import random

from workloads.common import Workload, n


def spring_edges(nodes):
    rng = random.Random(nodes)
    return [(u, rng.randrange(nodes)) for u in range(nodes) for _ in range(3)]


def spring_cases(key):
    def mivora_case(ctx):
        import mivora

        def make():
            nodes = ctx.sizes[key]
            graph = mivora.Graph()
            for i in range(nodes):
                graph.add_node(str(i))
            for u, v in spring_edges(nodes):
                graph.create_connection(str(u), str(v), 1.0, False)
            return graph
        graph = ctx.cached(("spring", key), make)
        return lambda: graph.output_svg(mivora.Layout.Spring)

    def networkx_case(ctx):
        import networkx as nx
        graph = nx.Graph()
        graph.add_nodes_from(range(ctx.sizes[key]))
        graph.add_edges_from(spring_edges(ctx.sizes[key]))
        return lambda: nx.spring_layout(graph, iterations=50)

    def igraph_case(ctx):
        import igraph as ig
        graph = ig.Graph(n=ctx.sizes[key], edges=spring_edges(ctx.sizes[key]))
        return lambda: graph.layout_fruchterman_reingold(niter=50, grid=False)

    def rustworkx_case(ctx):
        import rustworkx as rx
        graph = rx.PyGraph()
        graph.add_nodes_from(range(ctx.sizes[key]))
        graph.add_edges_from_no_data(spring_edges(ctx.sizes[key]))
        return lambda: rx.spring_layout(graph, num_iter=50)

    return {"mivora": mivora_case, "networkx": networkx_case, "igraph": igraph_case, "rustworkx": rustworkx_case}


def svg_edges(sizes):
    rng = random.Random(7)
    nodes = sizes["svg_nodes"]
    return [(rng.randrange(nodes), rng.randrange(nodes)) for _ in range(sizes["svg_edges"])]


def mivora_drawing_graph(ctx):
    import mivora

    def make():
        graph = mivora.Graph()
        for i in range(ctx.sizes["svg_nodes"]):
            graph.add_node(str(i))
        for index, (u, v) in enumerate(svg_edges(ctx.sizes)):
            graph.create_connection(str(u), str(v), float(index % 7), index % 2 == 0)
        return graph
    return ctx.cached("drawing", make)


def mivora_svg(ctx):
    import mivora
    graph = mivora_drawing_graph(ctx)
    return lambda: graph.output_svg(mivora.Layout.Circular)


def mivora_html(ctx):
    import mivora
    graph = mivora_drawing_graph(ctx)
    return lambda: graph.output_html(ctx.out, mivora.Layout.Circular)


def igraph_svg(ctx):
    import igraph as ig
    nodes = ctx.sizes["svg_nodes"]
    graph = ig.Graph(n=nodes, edges=svg_edges(ctx.sizes))
    graph.vs["label"] = [str(i) for i in range(nodes)]
    graph.es["weight"] = [float(index % 7) for index in range(graph.ecount())]
    return lambda: graph.write_svg(ctx.out, layout="circle", width=1500, height=700)


def networkx_node_link(ctx):
    import json

    import networkx as nx
    graph = nx.DiGraph()
    graph.add_nodes_from(range(ctx.sizes["svg_nodes"]))
    graph.add_weighted_edges_from((u, v, float(i % 7)) for i, (u, v) in enumerate(svg_edges(ctx.sizes)))

    def write():
        with open(ctx.out, "w") as out:
            json.dump(nx.node_link_data(graph, edges="links"), out)
    return write


def rustworkx_node_link(ctx):
    import rustworkx as rx
    graph = rx.PyDiGraph()
    graph.add_nodes_from(range(ctx.sizes["svg_nodes"]))
    graph.add_edges_from((u, v, float(i % 7)) for i, (u, v) in enumerate(svg_edges(ctx.sizes)))
    return lambda: rx.node_link_json(graph, path=ctx.out)


WORKLOADS = [
    Workload("spring layout", lambda s: f"{n(s['spring_small'])} nodes, 50 iterations", spring_cases("spring_small")),
    Workload("spring layout (large)", lambda s: f"{n(s['spring_large'])} nodes, 50 iterations", spring_cases("spring_large")),
    Workload("SVG", lambda s: f"{n(s['svg_nodes'])} nodes, {n(s['svg_edges'])} connections",
             {"mivora": mivora_svg, "igraph": igraph_svg}),
    Workload("HTML page", lambda s: f"{n(s['svg_nodes'])} nodes, {n(s['svg_edges'])} connections",
             {"mivora": mivora_html, "igraph": igraph_svg, "networkx": networkx_node_link,
              "rustworkx": rustworkx_node_link}),
]
