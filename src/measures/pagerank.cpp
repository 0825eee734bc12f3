#include "measures/pagerank.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "graph_core/number_text.hpp"

#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

std::string text_of(double value) {
  std::string text;
  append_shortest(text, value);
  return text;
}

void check_options(const PageRankOptions& options) {
  if (!(options.damping >= 0.0 && options.damping <= 1.0)) {
    throw MeasureError("pagerank: damping must lie between 0 and 1, got " + text_of(options.damping));
  }
  if (!(options.tolerance >= 0.0) || std::isinf(options.tolerance)) {
    throw MeasureError("pagerank: tol must be a finite number that is not negative, got " +
                       text_of(options.tolerance));
  }
  if (options.max_iterations < 0) {
    throw MeasureError("pagerank: max_iter must not be negative, got " + std::to_string(options.max_iterations));
  }
}

}  // namespace

std::vector<double> pagerank(const _Graph& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                             PageRankOptions options) {
  check_options(options);
  const std::size_t n = nodes.size();
  if (n == 0) return {};
  if (options.weighted) require_non_negative_weights(graph, snapshot, "weighted pagerank");

  // Each node's share of its out-weight, read along the in-rows.
  const NeighbourRows out_rows = neighbour_rows(snapshot.out, nodes, Parallel::Sum, options.weighted);
  std::vector<double> inverse_out(n, 0.0);
  std::vector<std::uint32_t> dangling;
  for (std::uint32_t u = 0; u < n; ++u) {
    double out_weight = 0.0;
    for (const double weight : out_rows.weights_of(u)) out_weight += weight;
    if (out_weight != 0.0) {
      inverse_out[u] = 1.0 / out_weight;
    } else {
      dangling.push_back(u);
    }
  }
  NeighbourRows in_rows = neighbour_rows(snapshot.in, nodes, Parallel::Sum, options.weighted);
  for (std::uint32_t v = 0; v < n; ++v) {
    const std::uint64_t end = in_rows.offsets[v + 1];
    for (std::uint64_t k = in_rows.offsets[v]; k < end; ++k) in_rows.weights[k] *= inverse_out[in_rows.neighbours[k]];
  }

  const double uniform = 1.0 / static_cast<double>(n);
  const double jump = (1.0 - options.damping) * uniform;
  std::vector<double> rank(n, uniform);
  std::vector<double> next(n, 0.0);
  for (std::int64_t step = 0; step < options.max_iterations; ++step) {
    double dangling_rank = 0.0;
    for (const std::uint32_t u : dangling) dangling_rank += rank[u];
    const double base = options.damping * (dangling_rank * uniform);
    double change = 0.0;
    for (std::uint32_t v = 0; v < n; ++v) {
      double incoming = 0.0;
      const std::uint64_t end = in_rows.offsets[v + 1];
      for (std::uint64_t k = in_rows.offsets[v]; k < end; ++k) incoming += rank[in_rows.neighbours[k]] * in_rows.weights[k];
      next[v] = options.damping * incoming + base + jump;
      change += std::fabs(next[v] - rank[v]);
    }
    rank.swap(next);
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(in_rows.neighbours.size() + n, UINT32_MAX)));
    if (change < static_cast<double>(n) * options.tolerance) return rank;
  }
  throw MeasureError("pagerank did not converge within " + std::to_string(options.max_iterations) +
                     " iterations (tolerance " + text_of(options.tolerance) + " per node)");
}

}  // namespace mivora
