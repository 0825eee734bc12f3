#include "measures/pagerank.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "text_io/number_text.hpp"

#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

void check_options(const PageRankOptions& options) {
  if (!(options.damping >= 0.0 && options.damping <= 1.0)) {
    throw MeasureError("pagerank: damping must lie between 0 and 1, got " + shortest_text(options.damping));
  }
  if (!(options.tolerance >= 0.0) || std::isinf(options.tolerance)) {
    throw MeasureError("pagerank: tol must be a finite number that is not negative, got " +
                       shortest_text(options.tolerance));
  }
  if (options.max_iterations < 0) {
    throw MeasureError("pagerank: max_iter must not be negative, got " + integer_text(options.max_iterations));
  }
}

}  // namespace

std::vector<double> pagerank(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                             PageRankOptions options) {
  check_options(options);
  const std::size_t n = nodes.size();
  if (n == 0) return {};
  if (options.weighted) require_non_negative_weights(graph, snapshot, "weighted pagerank");

  // Each node's share of its out-weight, read along the in-rows. Parallel
  // entries stay apart: the sum over them is the same.
  auto weight_of = [&](Weight weight) { return options.weighted ? static_cast<double>(weight) : 1.0; };
  std::vector<double> inverse_out(n, 0.0);
  std::vector<std::uint32_t> dangling;
  for (std::uint32_t u = 0; u < n; ++u) {
    double out_weight = 0.0;
    for (const Weight weight : snapshot.out.weights_of(nodes.positions[u])) out_weight += weight_of(weight);
    if (out_weight != 0.0) {
      inverse_out[u] = 1.0 / out_weight;
    } else {
      dangling.push_back(u);
    }
  }
  std::vector<std::uint64_t> offsets(n + 1, 0);
  std::vector<std::uint32_t> sources;
  std::vector<double> shares;
  sources.reserve(snapshot.in.neighbours.size());
  shares.reserve(snapshot.in.neighbours.size());
  for (std::uint32_t v = 0; v < n; ++v) {
    const NodeIndex position = nodes.positions[v];
    const auto neighbours = snapshot.in.neighbours_of(position);
    const auto weights = snapshot.in.weights_of(position);
    for (std::size_t k = 0; k < neighbours.size(); ++k) {
      const std::uint32_t u = nodes.id_of[neighbours[k]];
      sources.push_back(u);
      shares.push_back(weight_of(weights[k]) * inverse_out[u]);
    }
    offsets[v + 1] = sources.size();
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
      const std::uint64_t end = offsets[v + 1];
      for (std::uint64_t k = offsets[v]; k < end; ++k) incoming += rank[sources[k]] * shares[k];
      next[v] = options.damping * incoming + base + jump;
      change += std::fabs(next[v] - rank[v]);
    }
    rank.swap(next);
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(sources.size() + n, UINT32_MAX)));
    if (change < static_cast<double>(n) * options.tolerance) return rank;
  }
  throw MeasureError("pagerank did not converge within " + integer_text(options.max_iterations) +
                     " iterations (tolerance " + shortest_text(options.tolerance) + " per node)");
}

}  // namespace mivora
