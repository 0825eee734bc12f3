"""Graph files: one generated graph of 200,000 positioned nodes and 1,000,000
weighted arcs, as Pajek text and as JSON (see common.write_inputs).

  Pajek read   mivora    Graph.from_net_file(path)
               igraph    Graph.Read_Pajek(path)      (labels as vertex "name", x/y, weight)
               networkx  read_pajek(path)            (MultiDiGraph; pure Python)
  Pajek write  mivora    output_net_file(path)
               igraph    write_pajek(path)           (the graph Read_Pajek made)
               networkx  write_pajek(graph, path)    (the graph read_pajek made)
  Pajek Graph.read / Graph.write: the same file through the format-neutral
               entry points (mivora Graph.read(path) / graph.write(path):
               full Pajek reader, standard writer) against the same peers.
  JSON read    mivora    Graph.from_json_file(path)
               networkx  json.load + MultiDiGraph with x/y and weights
               igraph    json.load + Graph(n, edges, vertex_attrs, edge_attrs)
               rustworkx from_node_link_json_file(path) on its own node-link
                         document of the same graph (written once, untimed;
                         its payloads are dicts of strings, so weights stay text)
  JSON write   mivora    output_json_file(path)      (pretty, two-space indent)
               networkx  node_link_data + json.dump(indent=2)
               igraph    records from vertex/edge attributes + json.dump(indent=2)
               rustworkx node_link_json(graph, path, ...)  (compact; str payloads)
rustworkx has no Pajek reader or writer.
"""
import json

from workloads.common import Workload, n


def pajek(ctx):
    return ctx.path("graph.net")


def json_path(ctx):
    return ctx.path("graph.json")


def load_json(path):
    with open(path) as file:
        return json.load(file)


# ---- mivora ---------------------------------------------------------------------------

def mivora_graph(ctx):
    import mivora
    return ctx.cached("mivora file graph", lambda: mivora.Graph.from_net_file(pajek(ctx)))


def mivora_read_pajek(ctx):
    import mivora
    return lambda: mivora.Graph.from_net_file(pajek(ctx))


def mivora_write_pajek(ctx):
    graph = mivora_graph(ctx)
    return lambda: graph.output_net_file(ctx.out)


def mivora_read_json(ctx):
    import mivora
    return lambda: mivora.Graph.from_json_file(json_path(ctx))


def mivora_write_json(ctx):
    graph = mivora_graph(ctx)
    return lambda: graph.output_json_file(ctx.out)


def mivora_read_any(ctx):
    import mivora
    return lambda: mivora.Graph.read(pajek(ctx))


def mivora_write_any(ctx):
    graph = mivora_graph(ctx)
    out = ctx.out + ".net"
    return lambda: graph.write(out)


# ---- igraph ------------------------------------------------------------------------------

def igraph_graph(ctx):
    import igraph
    return ctx.cached("igraph file graph", lambda: igraph.Graph.Read_Pajek(pajek(ctx)))


def igraph_read_pajek(ctx):
    import igraph
    return lambda: igraph.Graph.Read_Pajek(pajek(ctx))


def igraph_write_pajek(ctx):
    graph = igraph_graph(ctx)
    return lambda: graph.write_pajek(ctx.out)


def igraph_read_json(ctx):
    import igraph

    def run():
        data = load_json(json_path(ctx))
        nodes = data["nodes"]
        index = {node["label"]: i for i, node in enumerate(nodes)}
        arcs = data["arcs"]
        return igraph.Graph(
            n=len(nodes), edges=[(index[a["source"]], index[a["target"]]) for a in arcs], directed=True,
            vertex_attrs={"label": list(index), "x": [v["x"] for v in nodes], "y": [v["y"] for v in nodes]},
            edge_attrs={"weight": [a["weight"] for a in arcs]})
    return run


def igraph_write_json(ctx):
    graph = igraph_graph(ctx)

    def run():
        labels = graph.vs["name"]
        document = {
            "nodes": [{"label": label, "x": x, "y": y} for label, x, y in zip(labels, graph.vs["x"], graph.vs["y"])],
            "edges": [],
            "arcs": [{"source": labels[u], "target": labels[v], "weight": w}
                     for (u, v), w in zip(graph.get_edgelist(), graph.es["weight"])],
        }
        with open(ctx.out, "w") as file:
            json.dump(document, file, indent=2)
    return run


# ---- networkx ------------------------------------------------------------------------------

def networkx_graph(ctx):
    import networkx as nx
    return ctx.cached("networkx file graph", lambda: nx.read_pajek(pajek(ctx)))


def networkx_read_pajek(ctx):
    import networkx as nx
    return lambda: nx.read_pajek(pajek(ctx))


def networkx_write_pajek(ctx):
    import networkx as nx
    graph = networkx_graph(ctx)
    return lambda: nx.write_pajek(graph, ctx.out)


def networkx_from_json(path):
    import networkx as nx
    data = load_json(path)
    graph = nx.MultiDiGraph()
    graph.add_nodes_from((node["label"], {"x": node["x"], "y": node["y"]}) for node in data["nodes"])
    graph.add_weighted_edges_from((arc["source"], arc["target"], arc["weight"]) for arc in data["arcs"])
    graph.add_weighted_edges_from((edge["source"], edge["target"], edge["weight"]) for edge in data["edges"])
    return graph


def networkx_read_json(ctx):
    return lambda: networkx_from_json(json_path(ctx))


def networkx_write_json(ctx):
    import networkx as nx
    graph = ctx.cached("networkx json graph", lambda: networkx_from_json(json_path(ctx)))

    def run():
        with open(ctx.out, "w") as file:
            json.dump(nx.node_link_data(graph, edges="links"), file, indent=2)
    return run


# ---- rustworkx ------------------------------------------------------------------------------

def rustworkx_graph(ctx):
    import rustworkx as rx

    def make():
        data = load_json(json_path(ctx))
        graph = rx.PyDiGraph()
        index = {node["label"]: graph.add_node(node) for node in data["nodes"]}
        graph.add_edges_from([(index[a["source"]], index[a["target"]], a["weight"]) for a in data["arcs"]])
        return graph
    return ctx.cached("rustworkx json graph", make)


def node_strings(node):
    return {"label": node["label"], "x": repr(node["x"]), "y": repr(node["y"])}


def weight_strings(weight):
    return {"weight": repr(weight)}


def rustworkx_read_json(ctx):
    import rustworkx as rx
    path = ctx.path("rustworkx.json")
    rx.node_link_json(rustworkx_graph(ctx), path=path, node_attrs=node_strings, edge_attrs=weight_strings)
    return lambda: rx.from_node_link_json_file(path)


def rustworkx_write_json(ctx):
    import rustworkx as rx
    graph = rustworkx_graph(ctx)
    return lambda: rx.node_link_json(graph, path=ctx.out, node_attrs=node_strings, edge_attrs=weight_strings)


def size(s):
    return f"{n(s['file_nodes'])} nodes, {n(s['file_arcs'])} arcs"


WORKLOADS = [
    Workload("Pajek read", size, {"mivora": mivora_read_pajek, "networkx": networkx_read_pajek,
                                  "igraph": igraph_read_pajek}),
    Workload("Pajek write", size, {"mivora": mivora_write_pajek, "networkx": networkx_write_pajek,
                                   "igraph": igraph_write_pajek}),
    Workload("Pajek Graph.read", size, {"mivora": mivora_read_any, "networkx": networkx_read_pajek,
                                        "igraph": igraph_read_pajek}),
    Workload("Pajek Graph.write", size, {"mivora": mivora_write_any, "networkx": networkx_write_pajek,
                                         "igraph": igraph_write_pajek}),
    Workload("JSON read", size, {"mivora": mivora_read_json, "networkx": networkx_read_json,
                                 "igraph": igraph_read_json, "rustworkx": rustworkx_read_json}),
    Workload("JSON write", size, {"mivora": mivora_write_json, "networkx": networkx_write_json,
                                  "igraph": igraph_write_json, "rustworkx": rustworkx_write_json}),
]
