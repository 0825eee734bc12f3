#pragma once
// Force layout for large graphs: a multilevel force layout with Barnes-Hut
// repulsion (the scheme of Hu's sfdp) and logarithmic attraction along the
// edges. The graph is coarsened by matching neighbours (edges on many
// triangles first) until a few dozen nodes are left, each coarse node
// carrying the mass of the nodes it stands for; the smallest graph is laid
// out from a random start, and each finer graph starts from the coarser
// layout and is refined with a few iterations. Every iteration costs
// O(N log N + E); the result depends only on the graph and the seed.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "graph_core/graph.hpp"
#include "layout/barnes_hut.hpp"

namespace mivora {

struct ForceLayoutOptions {
  std::uint64_t seed = 0;
  // Iterations on the finest level; 0 chooses from the graph's size.
  int iterations = 0;
};

// Positions of nodes 0..node_count-1 in layout units (an edge is about one
// unit long) for undirected edges given as node pairs (repeats and loops
// allowed). Polls for cancellation.
std::vector<LayoutPoint> multilevel_force_layout(std::size_t node_count,
                                                 const std::vector<std::pair<std::uint32_t, std::uint32_t>>& edges,
                                                 const ForceLayoutOptions& options);

// Turned so the longer extent is horizontal and scaled, keeping proportions,
// into the canvas [20, 1500] x [20, 700] less `padding` on each side.
void fit_to_canvas(std::vector<LayoutPoint>& points, double padding);

// Lays the graph out and writes every node's position, only once finished:
// a cancelled layout leaves the positions as they were. Connections count
// once whatever their direction and weight; those to nodes outside the
// graph are left out.
void generate_multilevel_positions(GraphStore& graph, const ForceLayoutOptions& options);

}  // namespace mivora
