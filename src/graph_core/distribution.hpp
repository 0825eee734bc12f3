#pragma once
// Graph-wide statistics over the in, out and undirected degrees of all nodes.
#include <cstdint>
#include <utility>
#include <vector>

#include "graph_core/degrees.hpp"
#include "graph_core/graph.hpp"

namespace mivora {

// (degree, fraction of nodes with that degree), degrees ascending, only
// degrees that occur.
using Distribution = std::vector<std::pair<std::int32_t, float>>;

struct DegreeDistribution {
  Distribution in;
  Distribution out;
  Distribution undirected;
};

// One value per degree kind.
struct DegreeKinds {
  float in = 0.0f;
  float out = 0.0f;
  float undirected = 0.0f;
};

// `degrees` is compute_all_degrees() of the graph, which a caller may keep
// while the graph does not change; a node repeating a label counts with the
// degrees of its label.
DegreeDistribution get_degree_distribution(const GraphStore& graph, const std::vector<DegreeRecord>& degrees);
// -sum(p ln p) in nats, single precision.
DegreeKinds compute_entropy(const DegreeDistribution& distribution);
// Rank-weighted skewness: sum(r * d(r)) over degrees sorted descending,
// divided by (N + 1) N / 2 times the mean degree.
DegreeKinds get_skewness(const GraphStore& graph, const std::vector<DegreeRecord>& degrees);
float get_density(const GraphStore& graph, bool directed);
// ln(N - 1) with N - 1 taken as an unsigned 64-bit count (wraps for N = 0).
double get_max_possible_entropy(std::size_t node_count);

}  // namespace mivora
