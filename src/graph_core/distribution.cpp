#include "graph_core/distribution.hpp"

#include <algorithm>
#include <cmath>

#include "graph_core/degrees.hpp"

namespace mivora {
namespace {

// Number of nodes per degree, indexed by degree.
std::vector<std::uint32_t> tally(const GraphStore& graph, const std::vector<DegreeRecord>& records,
                                 std::int32_t DegreeRecord::* kind) {
  std::int32_t largest = 0;
  for (const DegreeRecord& record : records) largest = std::max(largest, record.*kind);
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(largest) + 1, 0);
  for (NodeIndex position = 0; position < records.size(); ++position) {
    ++counts[static_cast<std::size_t>(records[graph.canonical_position(position)].*kind)];
  }
  return counts;
}

Distribution fractions(const std::vector<std::uint32_t>& counts, std::size_t node_count) {
  Distribution distribution;
  const float nodes = static_cast<float>(node_count);
  for (std::size_t degree = 0; degree < counts.size(); ++degree) {
    if (counts[degree] == 0) continue;
    distribution.emplace_back(static_cast<std::int32_t>(degree), static_cast<float>(counts[degree]) / nodes);
  }
  return distribution;
}

float entropy(const Distribution& distribution) {
  float sum = 0.0f;
  for (const auto& entry : distribution) sum += entry.second * std::log(entry.second);
  return -sum;
}

// Degrees counted per node, wrapping like 32-bit integers.
std::int32_t wrapping_product(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a * b); }

float skewness(const GraphStore& graph, const std::vector<DegreeRecord>& records, std::int32_t DegreeRecord::* kind) {
  const std::size_t n = records.size();
  // Ranks follow the degrees sorted descending; equal degrees are
  // interchangeable, so a count per degree stands in for the sort.
  const std::vector<std::uint32_t> counts = tally(graph, records, kind);
  float weighted = 0.0f;
  std::uint32_t rank = 0;
  std::uint32_t degree_sum = 0;
  for (std::size_t degree = counts.size(); degree-- > 0;) {
    const auto d = static_cast<std::uint32_t>(degree);
    for (std::uint32_t k = 0; k < counts[degree]; ++k) {
      ++rank;
      weighted += static_cast<float>(wrapping_product(rank, d));
      degree_sum += d;
    }
  }
  const float mean = n == 0 ? 0.0f : static_cast<float>(static_cast<std::int32_t>(degree_sum)) / static_cast<float>(n);
  const float nodes = static_cast<float>(n);
  const float scale = ((nodes + 1.0f) * nodes * 0.5f) * mean;
  return weighted / scale;  // 0 / 0 (NaN) when every degree is 0
}

}  // namespace

DegreeDistribution get_degree_distribution(const GraphStore& graph, const std::vector<DegreeRecord>& records) {
  if (records.empty()) return {};
  return DegreeDistribution{fractions(tally(graph, records, &DegreeRecord::in), records.size()),
                            fractions(tally(graph, records, &DegreeRecord::out), records.size()),
                            fractions(tally(graph, records, &DegreeRecord::undirected), records.size())};
}

DegreeKinds compute_entropy(const DegreeDistribution& distribution) {
  return DegreeKinds{entropy(distribution.in), entropy(distribution.out), entropy(distribution.undirected)};
}

DegreeKinds get_skewness(const GraphStore& graph, const std::vector<DegreeRecord>& records) {
  return DegreeKinds{skewness(graph, records, &DegreeRecord::in), skewness(graph, records, &DegreeRecord::out),
                     skewness(graph, records, &DegreeRecord::undirected)};
}

float get_density(const GraphStore& graph, bool directed) {
  const float factor = directed ? 2.0f : 1.0f;
  const float nodes = static_cast<float>(graph.node_count());
  return factor * static_cast<float>(graph.get_edge_count()) / ((nodes - 1.0f) * nodes);
}

double get_max_possible_entropy(std::size_t node_count) {
  return std::log(static_cast<double>(static_cast<std::uint64_t>(node_count) - 1u));
}

}  // namespace mivora
