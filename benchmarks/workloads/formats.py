"""GML, GraphML, GEXF and edge lists: the generated graph of the file
workloads (200,000 positioned nodes, 1,000,000 weighted arcs) in each format,
written once per run by plain Python (untimed) and read by every library.

  read    mivora    Graph.read(path)   (format from the extension)
          networkx  read_gml / read_graphml / read_gexf / read_edgelist
                    (edge list: MultiDiGraph with float weights)
          igraph    Read_GML / Read_GraphML / Read_Ncol (no GEXF reader)
          pandas    read_csv of the edge list (edge lists only: the three
                    columns into a data frame, no graph)
          polars    (edge lists only) write_csv of the three columns, read
                    into a data frame first (untimed)
  write   mivora    graph.write(path)  (the graph Graph.read made)
          networkx  write_gml / write_graphml / write_gexf / write_edgelist
          igraph    write_gml / write_graphml / write_ncol
networkx's GML reader keeps node labels as keys and its GEXF/GraphML readers
build dicts per element: all pure Python.
"""
import os

from workloads.common import Workload, file_graph, n

EXTENSIONS = {"GML": "gml", "GraphML": "graphml", "GEXF": "gexf", "Edge list": "edges"}


def canvas(x, y):
    return x * 1480 + 20, y * 680 + 20


def write_gml(out, labels, positions, triples):
    out.write("graph [\n  directed 1\n  multigraph 1\n")
    for i, (label, (x, y)) in enumerate(zip(labels, positions)):
        cx, cy = canvas(x, y)
        out.write(f'  node [\n    id {i}\n    label "{label}"\n    graphics [\n      x {cx}\n      y {cy}\n    ]\n  ]\n')
    for u, v, w in triples:
        out.write(f"  edge [\n    source {u}\n    target {v}\n    weight {w}\n  ]\n")
    out.write("]\n")


def write_graphml(out, labels, positions, triples):
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<graphml xmlns="http://graphml.graphdrawing.org/xmlns">\n'
              '  <key id="label" for="node" attr.name="label" attr.type="string"/>\n'
              '  <key id="x" for="node" attr.name="x" attr.type="double"/>\n'
              '  <key id="y" for="node" attr.name="y" attr.type="double"/>\n'
              '  <key id="weight" for="edge" attr.name="weight" attr.type="double"/>\n'
              '  <graph id="G" edgedefault="directed">\n')
    for i, (label, (x, y)) in enumerate(zip(labels, positions)):
        cx, cy = canvas(x, y)
        out.write(f'    <node id="n{i}"><data key="label">{label}</data><data key="x">{cx}</data>'
                  f'<data key="y">{cy}</data></node>\n')
    for u, v, w in triples:
        out.write(f'    <edge source="n{u}" target="n{v}"><data key="weight">{w}</data></edge>\n')
    out.write("  </graph>\n</graphml>\n")


def write_gexf(out, labels, positions, triples):
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n'
              '<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3">\n'
              '  <graph mode="static" defaultedgetype="directed">\n    <nodes>\n')
    for i, (label, (x, y)) in enumerate(zip(labels, positions)):
        cx, cy = canvas(x, y)
        out.write(f'      <node id="{i}" label="{label}"><viz:position x="{cx}" y="{cy}" z="0.0"/></node>\n')
    out.write("    </nodes>\n    <edges>\n")
    for k, (u, v, w) in enumerate(triples):
        out.write(f'      <edge id="{k}" source="{u}" target="{v}" weight="{w}"/>\n')
    out.write("    </edges>\n  </graph>\n</gexf>\n")


def write_edges(out, labels, positions, triples):
    out.writelines(f"{labels[u]} {labels[v]} {w}\n" for u, v, w in triples)


WRITERS = {"gml": write_gml, "graphml": write_graphml, "gexf": write_gexf, "edges": write_edges}


def path_of(ctx, extension):
    """The input file of one format, written on first use (untimed; the
    libraries run one after another, so no two processes write it)."""
    path = ctx.path(f"graph.{extension}")
    if not os.path.exists(path):
        labels, positions, triples = ctx.cached("file graph", lambda: file_graph(ctx.sizes))
        with open(path + ".part", "w") as out:
            WRITERS[extension](out, labels, positions, triples)
        os.replace(path + ".part", path)
    return path


# ---- mivora ---------------------------------------------------------------------------

def mivora_read(extension):
    def factory(ctx):
        import mivora
        path = path_of(ctx, extension)
        return lambda: mivora.Graph.read(path)
    return factory


def mivora_write(extension):
    def factory(ctx):
        import mivora
        graph = mivora.Graph.read(path_of(ctx, extension))
        out = ctx.out + "." + extension
        return lambda: graph.write(out)
    return factory


# ---- networkx -------------------------------------------------------------------------

def networkx_reader(extension):
    import networkx as nx
    if extension == "edges":
        return lambda path: nx.read_edgelist(path, create_using=nx.MultiDiGraph, data=[("weight", float)])
    return {"gml": nx.read_gml, "graphml": nx.read_graphml, "gexf": nx.read_gexf}[extension]


def networkx_read(extension):
    def factory(ctx):
        path = path_of(ctx, extension)
        read = networkx_reader(extension)
        return lambda: read(path)
    return factory


def networkx_write(extension):
    def factory(ctx):
        import networkx as nx
        graph = networkx_reader(extension)(path_of(ctx, extension))
        write = {"gml": nx.write_gml, "graphml": nx.write_graphml, "gexf": nx.write_gexf,
                 "edges": lambda g, p: nx.write_edgelist(g, p, data=["weight"])}[extension]
        return lambda: write(graph, ctx.out)
    return factory


# ---- igraph ---------------------------------------------------------------------------

def igraph_reader(extension):
    import igraph
    if extension == "edges":
        return lambda path: igraph.Graph.Read_Ncol(path, names=True, weights=True, directed=True)
    return {"gml": igraph.Graph.Read_GML, "graphml": igraph.Graph.Read_GraphML}[extension]


def igraph_read(extension):
    def factory(ctx):
        path = path_of(ctx, extension)
        read = igraph_reader(extension)
        return lambda: read(path)
    return factory


def igraph_write(extension):
    def factory(ctx):
        graph = igraph_reader(extension)(path_of(ctx, extension))
        method = {"gml": "write_gml", "graphml": "write_graphml", "edges": "write_ncol"}[extension]
        return lambda: getattr(graph, method)(ctx.out)
    return factory


def pandas_read_edges(ctx):
    import pandas
    path = path_of(ctx, "edges")
    return lambda: pandas.read_csv(path, sep=" ", header=None, names=["source", "target", "weight"])


def polars_write_edges(ctx):
    import polars
    frame = polars.read_csv(path_of(ctx, "edges"), separator=" ", has_header=False,
                            new_columns=["source", "target", "weight"])
    return lambda: frame.write_csv(ctx.out, separator=" ", include_header=False)


def size(s):
    return f"{n(s['file_nodes'])} nodes, {n(s['file_arcs'])} arcs"


def workloads():
    result = []
    for name, extension in EXTENSIONS.items():
        read_cases = {"mivora": mivora_read(extension), "networkx": networkx_read(extension)}
        write_cases = {"mivora": mivora_write(extension), "networkx": networkx_write(extension)}
        if extension != "gexf":
            read_cases["igraph"] = igraph_read(extension)
            write_cases["igraph"] = igraph_write(extension)
        if extension == "edges":
            read_cases["pandas"] = pandas_read_edges
            write_cases["polars"] = polars_write_edges
        result.append(Workload(f"{name} read", size, read_cases))
        result.append(Workload(f"{name} write", size, write_cases))
    return result


WORKLOADS = workloads()
