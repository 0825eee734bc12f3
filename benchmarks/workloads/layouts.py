"""Layouts for large graphs: mivora's multilevel force layout against
igraph's layouts on planted-partition graphs (communities of equal size,
each a random geometric graph, nine links in ten inside a community; see
planted_partition), with a quality table.

  force layout           mivora  compute_layout(Layout.Force, seed=1)
  (3,000 nodes)          igraph  layout_fruchterman_reingold()  (its defaults:
                                 500 iterations, grid approximation above
                                 1,000 nodes)
  force layout (large)   mivora  compute_layout(Layout.Force, seed=1)
  (100,000 nodes)        igraph  layout_drl()  (its large-graph layout)
  force layout (huge)    mivora  compute_layout(Layout.Force, seed=1); no peer
  (1,000,000 nodes)              finishes in a comparable time
networkx and rustworkx offer only the all-pairs spring layout (see the
drawing workloads), O(N^2) per iteration: left out here.

Quality (quality_report, printed after the timing table), on the same graphs:
  stress     normalised stress over sampled node pairs: for 100 sources and
             up to 1,000 targets each, (s * drawn distance - graph distance)^2
             / graph distance^2, averaged, with the scale s that minimises it
             (lower is better)
  neighbours for sampled nodes of degree k, the share of their graph
             neighbours among their k nearest drawn nodes (higher is better)
"""
import os

import numpy as np

from workloads.common import Workload, n

DEGREE = 10            # average degree: links = nodes * DEGREE / 2
INSIDE_SHARE = 0.9     # links inside a community


def communities(nodes):
    return max(2, round(nodes ** 0.5 / 2))


def planted_partition(nodes, seed=11):
    """Links (u, v) as two int arrays, no self-loops or repeats. Node i is in
    community i % k; inside a community each node links to its nearest
    members by a hidden position in the unit square (a random geometric
    graph), so neighbourhoods have a shape a layout can recover; one link in
    ten goes to a random node anywhere."""
    from scipy.spatial import cKDTree
    rng = np.random.default_rng(seed)
    k = communities(nodes)
    hidden = rng.random((nodes, 2))
    nearest = DEGREE // 2 + 2  # about DEGREE / 2 links per node once repeats go
    us, vs = [], []
    for c in range(k):
        members = np.arange(c, nodes, k)
        count = min(nearest, len(members) - 1)
        if count < 1:
            continue
        _, found = cKDTree(hidden[members]).query(hidden[members], k=count + 1)
        found = found.reshape(len(members), -1)[:, 1:]
        us.append(np.repeat(members, count))
        vs.append(members[found.ravel()])
    u, v = np.concatenate(us), np.concatenate(vs)
    across = rng.random(len(u)) > INSIDE_SHARE
    v = np.where(across, rng.integers(0, nodes, len(u)), v)
    pairs = np.unique(np.sort(np.column_stack([u, v]), axis=1), axis=0)
    pairs = pairs[pairs[:, 0] != pairs[:, 1]]
    return pairs[:, 0], pairs[:, 1]


def pajek_path(folder, nodes):
    """The graph as a Pajek file without positions, written once per folder."""
    path = os.path.join(folder, f"planted-{nodes}.net")
    if not os.path.exists(path):
        u, v = planted_partition(nodes)
        with open(path + ".tmp", "w") as out:
            out.write(f"*Vertices {nodes}\n")
            out.write("".join(f'{i + 1} "{i}"\n' for i in range(nodes)))
            out.write("*Edges\n")
            np.savetxt(out, np.column_stack([u + 1, v + 1]), fmt="%d %d 1")
        os.replace(path + ".tmp", path)
    return path


def mivora_graph(folder, nodes):
    import mivora
    return mivora.Graph.from_net_file(pajek_path(folder, nodes))


def igraph_graph(nodes):
    import igraph
    u, v = planted_partition(nodes)
    return igraph.Graph(n=nodes, edges=np.column_stack([u, v]).tolist())


def mivora_positions(graph):
    """Positions by node position (labels are the node numbers)."""
    positions = graph.positions()
    return np.array([positions[str(i)] for i in range(len(positions))])


# ---- quality ----------------------------------------------------------------

def adjacency(nodes, u, v):
    from scipy.sparse import coo_matrix
    ones = np.ones(len(u) * 2, dtype=np.int8)
    matrix = coo_matrix((ones, (np.concatenate([u, v]), np.concatenate([v, u]))), shape=(nodes, nodes)).tocsr()
    matrix.data[:] = 1
    return matrix


def normalised_stress(matrix, points, rng, sources=100, targets=1000):
    from scipy.sparse.csgraph import shortest_path
    nodes = matrix.shape[0]
    chosen = rng.choice(nodes, size=min(sources, nodes), replace=False)
    distances = shortest_path(matrix, unweighted=True, indices=chosen)
    graph_d, drawn_d = [], []
    for row, source in zip(distances, chosen):
        picks = rng.choice(nodes, size=min(targets, nodes), replace=False)
        picks = picks[np.isfinite(row[picks]) & (picks != source)]
        graph_d.append(row[picks])
        drawn_d.append(np.hypot(*(points[picks] - points[source]).T))
    d, e = np.concatenate(graph_d), np.concatenate(drawn_d)
    scale = np.sum(e / d) / np.sum(e * e / (d * d))
    return float(np.mean((scale * e - d) ** 2 / (d * d)))


def neighbourhood_preservation(matrix, points, rng, samples=5000):
    from scipy.spatial import cKDTree
    nodes = matrix.shape[0]
    tree = cKDTree(points)
    chosen = rng.choice(nodes, size=min(samples, nodes), replace=False)
    shares = []
    for node in chosen:
        neighbours = matrix.indices[matrix.indptr[node]:matrix.indptr[node + 1]]
        neighbours = neighbours[neighbours != node]
        if len(neighbours) == 0:
            continue
        _, nearest = tree.query(points[node], k=len(neighbours) + 1)
        nearest = np.atleast_1d(nearest)
        nearest = nearest[nearest != node][:len(neighbours)]
        shares.append(len(np.intersect1d(nearest, neighbours)) / len(neighbours))
    return float(np.mean(shares))


def quality(nodes, points):
    u, v = planted_partition(nodes)
    matrix = adjacency(nodes, u, v)
    rng = np.random.default_rng(5)
    return normalised_stress(matrix, points, rng), neighbourhood_preservation(matrix, points, rng)


def quality_report(sizes, only=None):
    """Prints stress and neighbourhood preservation of each layout (when
    `only`, the names of the selected workloads, includes a force layout)."""
    if only and not any(part in workload.name for part in only for workload in WORKLOADS):
        return
    import tempfile

    import igraph
    rows = []
    with tempfile.TemporaryDirectory(prefix="mivora-layouts-") as folder:
        for key, peer in (("layout_small", "fruchterman_reingold"), ("layout_large", "drl")):
            nodes = sizes[key]
            graph = mivora_graph(folder, nodes)
            graph.compute_layout(seed=1)
            rows.append((nodes, "mivora Layout.Force", *quality(nodes, mivora_positions(graph))))
            u, v = planted_partition(nodes)
            layout = getattr(igraph.Graph(n=nodes, edges=np.column_stack([u, v]).tolist()), f"layout_{peer}")()
            rows.append((nodes, f"igraph layout_{peer}", *quality(nodes, np.array(layout.coords))))
    print(f"{'layout quality':<16}{'nodes':>10}  {'layout':<30}{'stress (lower better)':>22}"
          f"{'neighbours (higher better)':>28}")
    for nodes, name, stress, share in rows:
        print(f"{'':<16}{n(nodes):>10}  {name:<30}{stress:>22.4f}{share:>28.4f}")


# ---- timed cases ----------------------------------------------------------------

def mivora_case(key):
    def case(ctx):
        import mivora
        graph = ctx.cached(("planted", key), lambda: mivora_graph(ctx.folder, ctx.sizes[key]))
        return lambda: graph.compute_layout(mivora.Layout.Force, seed=1)
    return case


def igraph_case(key, method):
    def case(ctx):
        graph = ctx.cached(("planted", key), lambda: igraph_graph(ctx.sizes[key]))
        return lambda: getattr(graph, method)()
    return case


def size(key):
    return lambda s: f"{n(s[key])} nodes, ~{n(s[key] * DEGREE // 2)} links, planted partition"


WORKLOADS = [
    Workload("force layout", size("layout_small"),
             {"mivora": mivora_case("layout_small"), "igraph": igraph_case("layout_small", "layout_fruchterman_reingold")}),
    Workload("force layout (large)", size("layout_large"),
             {"mivora": mivora_case("layout_large"), "igraph": igraph_case("layout_large", "layout_drl")}),
    Workload("force layout (huge)", size("layout_huge"), {"mivora": mivora_case("layout_huge")}),
]
