#pragma once
// Tables handed out through the Arrow C stream interface (__arrow_c_stream__),
// which pyarrow, polars, pandas and DuckDB read. Number columns point into
// memory the table owns or shares with the graph's attribute columns, so
// nothing is copied on the way out.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graph_core/graph.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

// One column in the Arrow layout: buffers (validity first, possibly null)
// and what keeps their memory alive.
struct ArrowColumnData {
  std::string name;
  const char* format = "";  // Arrow format string: "u", "U", "g", "f", "l", "b"
  std::int64_t null_count = 0;
  std::vector<const void*> buffers;
  std::vector<std::shared_ptr<const void>> owners;
};

struct ArrowTableData {
  std::int64_t rows = 0;
  std::vector<ArrowColumnData> columns;
};

// The node table: label, x, y (null where a node has no position), then
// every node attribute column.
std::shared_ptr<const ArrowTableData> node_table_data(GraphStore& graph);
// The link table, rows in to_edges() order: source and target labels,
// weight (float32), directed, then every link attribute column.
std::shared_ptr<const ArrowTableData> edge_table_data(GraphStore& graph);

// A new mivora.ArrowTable object over `table`.
PyObject* wrap_arrow_table(std::shared_ptr<const ArrowTableData> table);
// Adds the ArrowTable type to the module.
void add_arrow_table_type(PyObject* module);

}  // namespace mivora::py
