#pragma once
// Degree and strength measures. Connections are seen the way their records
// show them: by the label text of both ends, so a foreign target whose label
// is a label of this graph counts as that node.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "graph_core/graph.hpp"

namespace mivora {

struct DegreeRecord {
  std::int32_t in = 0;
  std::int32_t out = 0;
  std::int32_t total = 0;  // directed connections only: in + out
  std::int32_t undirected = 0;
};

struct StrengthRecord {
  float out = 0.0f;
  float in = 0.0f;
  float total = 0.0f;
};

struct CentralityRecord {
  float out = 0.0f;
  float in = 0.0f;
  float total = 0.0f;
  float undirected = 0.0f;
};

// Degrees of the node named `label` (all zero for a label no record names).
DegreeRecord compute_degrees(const GraphStore& graph, std::string_view label);

// Degrees of every label in one pass, indexed by canonical position
// (entries of positions that repeat an earlier label stay zero).
std::vector<DegreeRecord> compute_all_degrees(const GraphStore& graph);

StrengthRecord get_node_strength(const GraphStore& graph, std::string_view label);

// Nothing for graphs of fewer than two nodes.
std::optional<CentralityRecord> get_centrality_degrees(const GraphStore& graph, std::string_view label);

float get_average_degree(const GraphStore& graph, bool directed);

}  // namespace mivora
