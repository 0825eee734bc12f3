#pragma once
// PageRank of the measured graph by power iteration: a walker follows an
// out-connection with probability proportional to its weight (parallel
// connections add up, a self-loop edge counts once) with probability
// `damping`, and jumps to a node chosen uniformly otherwise; a node whose
// out-weight is 0 (dangling) jumps uniformly. Stops when the L1 change of
// one step falls below n * tolerance. Results are indexed by measured id.
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "measures/measured_graph.hpp"

namespace mivora {

struct PageRankOptions {
  double damping = 0.85;
  bool weighted = true;
  double tolerance = 1e-10;
  std::int64_t max_iterations = 1000;
};

// MeasureError for bad options, negative or non-finite weights (weighted),
// or when `max_iterations` steps do not converge.
std::vector<double> pagerank(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                             PageRankOptions options);

}  // namespace mivora
