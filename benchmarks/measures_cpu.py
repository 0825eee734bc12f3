"""The measures workloads as CPU time, for a machine too loaded for peers.py.

mivora, igraph and rustworkx are called in turn in one process on the inputs of
workloads/measures.py, each figure the median of 5 process_time() runs (CPU
time of all threads), printed as README table rows in milliseconds. mivora keeps
its picture of an unchanged graph between calls: rows marked "first call" drop it
before each run (Graph.drop_cache), the others reuse it as a second call would.
The "as_array" rows return mivora's values as arrays in node order, as igraph and
rustworkx return theirs by vertex index; "sequence" is PageRank, betweenness and
closeness in a row on one graph of 10,000 nodes / 100,000 arcs (first call:
the picture is taken once for the three); "to_edges" every link of 100,000 nodes /
1,000,000 arcs as arrays (igraph get_edgelist, rustworkx edge_list):

    PYTHONPATH=build python benchmarks/measures_cpu.py
"""
import os
import statistics
import sys
import time

import mivora, igraph as ig, rustworkx as rx
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from workloads.common import labelled_edges
labels, triples = labelled_edges(100_000, 500_000, seed=1)
und = [(u, v, w) for u, v, w in triples if u != v]
m = mivora.Graph(); mu = mivora.Graph()
for l in labels: m.add_node(l); mu.add_node(l)
for u, v, w in triples: m.create_connection(labels[u], labels[v], w, True)
for u, v, w in und: mu.create_connection(labels[u], labels[v], w, False)
gi = ig.Graph(n=len(labels), edges=[(u, v) for u, v, _ in triples], directed=True); gi.es["weight"] = [w for *_, w in triples]
gu = ig.Graph(n=len(labels), edges=[(u, v) for u, v, _ in und]); gu.es["weight"] = [w for *_, w in und]
r = rx.PyDiGraph(); r.add_nodes_from(labels); r.add_edges_from(triples)
ru = rx.PyGraph(); ru.add_nodes_from(labels); ru.add_edges_from(und)
far = list(m.shortest_path_lengths("v0", False))[-1]; fari = int(far[1:])
import numpy as np
small_labels, small_triples = labelled_edges(10_000, 100_000, seed=2)
ms = mivora.Graph.from_edges(np.array([u for u, _, _ in small_triples]), np.array([v for _, v, _ in small_triples]),
                             np.array([w for *_, w in small_triples], dtype=np.float32), directed=True,
                             labels=small_labels)
gs = ig.Graph(n=len(small_labels), edges=[(u, v) for u, v, _ in small_triples], directed=True)
gs.es["weight"] = [w for *_, w in small_triples]
rng = np.random.default_rng(13)
es, et = rng.integers(0, 100_000, 1_000_000), rng.integers(0, 100_000, 1_000_000)
me = mivora.Graph.from_edges(es, et, directed=True)
ie = ig.Graph(n=100_000, edges=list(zip(es.tolist(), et.tolist())), directed=True)
re_ = rx.PyDiGraph(); re_.add_nodes_from(range(100_000)); re_.add_edges_from_no_data(list(zip(es.tolist(), et.tolist())))


def first(graph, call):
    """The call on a graph whose kept picture was just dropped (untimed)."""
    return ("first", graph, call)


def sequence():
    ms.pagerank(); ms.betweenness_centrality(); return ms.closeness_centrality()


def igraph_sequence():
    gs.pagerank(weights="weight"); gs.betweenness(directed=True); return gs.closeness(mode="in")
cases = {
 "weak components": [m.connected_components, lambda: list(gi.connected_components("weak")), lambda: rx.weakly_connected_components(r)],
 "strong components": [m.strongly_connected_components, lambda: list(gi.connected_components("strong")), lambda: rx.strongly_connected_components(r)],
 "shortest path (weighted)": [lambda: m.shortest_path("v0", far), lambda: gi.get_shortest_path(0, fari, weights="weight"), lambda: rx.digraph_dijkstra_shortest_paths(r, 0, target=fari, weight_fn=float)],
 "path lengths (weighted)": [lambda: m.shortest_path_lengths("v0"), lambda: gi.distances(source=0, weights="weight"), lambda: rx.digraph_dijkstra_shortest_path_lengths(r, 0, edge_cost_fn=float)],
 "path lengths (hops)": [lambda: m.shortest_path_lengths("v0", False), lambda: gi.distances(source=0), None],
 "clustering": [mu.clustering, lambda: gu.transitivity_local_undirected(mode="zero"), None],
 "average clustering": [mu.average_clustering, lambda: gu.transitivity_avglocal_undirected(mode="zero"), None],
 "transitivity": [mu.transitivity, gu.transitivity_undirected, lambda: rx.transitivity(ru)],
 "triangles": [mu.triangles, gu.list_triangles, None],
 "core number": [mu.core_number, gu.coreness, lambda: rx.core_number(ru)],
 "minimum spanning tree": [mu.minimum_spanning_tree, lambda: gu.spanning_tree(weights="weight"), lambda: rx.minimum_spanning_tree(ru, weight_fn=float)],
 "path lengths (hops), first call": [first(m, lambda: m.shortest_path_lengths("v0", False)), lambda: gi.distances(source=0), None],
 "path lengths (hops) as_array": [lambda: m.shortest_path_lengths("v0", False, as_array=True), lambda: gi.distances(source=0), None],
 "clustering, first call": [first(mu, mu.clustering), lambda: gu.transitivity_local_undirected(mode="zero"), None],
 "clustering as_array": [lambda: mu.clustering(as_array=True), lambda: gu.transitivity_local_undirected(mode="zero"), None],
 "core number, first call": [first(mu, mu.core_number), gu.coreness, lambda: rx.core_number(ru)],
 "core number as_array": [lambda: mu.core_number(as_array=True), gu.coreness, lambda: rx.core_number(ru)],
 "pagerank as_array": [lambda: m.pagerank(as_array=True), lambda: gi.pagerank(weights="weight"), None],
 "sequence pr+btw+close, first call": [first(ms, sequence), igraph_sequence, None],
 "to_edges, first call": [first(me, me.to_edges), ie.get_edgelist, re_.edge_list],
 "to_edges": [me.to_edges, ie.get_edgelist, re_.edge_list],
}
def cpu(f):
    if isinstance(f, tuple):
        _, graph, f = f
        graph.drop_cache()
    s = time.process_time(); f(); return time.process_time() - s
print("load average before: %.2f %.2f %.2f" % os.getloadavg(), flush=True)
for name, fs in cases.items():
    ts = [[], [], []]
    for _ in range(5):
        for k, f in enumerate(fs):
            if f: ts[k].append(cpu(f))
    med = [statistics.median(t) if t else None for t in ts]
    peers = [x for x in med[1:] if x]
    print(f"| {name} | {med[0]*1000:.1f} | {med[1]*1000:.1f} | {'-' if med[2] is None else f'{med[2]*1000:.1f}'} | {med[0]/min(peers):.2f} |", flush=True)
print("load average after: %.2f %.2f %.2f" % os.getloadavg(), flush=True)
