"""The measures workloads as CPU time, for a machine too loaded for peers.py.

mivora, igraph and rustworkx are called in turn in one process on the inputs of
workloads/measures.py, each figure the median of 5 process_time() runs (CPU
time of all threads), printed as README table rows in milliseconds:

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
}
def cpu(f):
    s = time.process_time(); f(); return time.process_time() - s
for name, fs in cases.items():
    ts = [[], [], []]
    for _ in range(5):
        for k, f in enumerate(fs):
            if f: ts[k].append(cpu(f))
    med = [statistics.median(t) if t else None for t in ts]
    peers = [x for x in med[1:] if x]
    print(f"| {name} | {med[0]*1000:.1f} | {med[1]*1000:.1f} | {'-' if med[2] is None else f'{med[2]*1000:.1f}'} | {med[0]/min(peers):.2f} |", flush=True)
