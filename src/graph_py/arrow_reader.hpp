#pragma once
// Columns and tables that export the Arrow PyCapsule interface
// (__arrow_c_stream__, __arrow_c_array__), read through the C data interface
// without pyarrow.
#include <span>
#include <string>

#include <vector>

#include "graph_py/attribute_values.hpp"
#include "graph_py/column_builder.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

// Whether `value` exports an Arrow column or table.
bool exports_arrow(PyObject* value);

// Appends every value of the Arrow column `value` to `builder`, chunk by
// chunk. A stream of records with a single field reads as that field.
void read_arrow_column(PyObject* value, ColumnBuilder& builder);
// The same for an attribute column: nulls read as missing values.
void read_arrow_column(PyObject* value, AttributeBuilder& builder);

// The further columns of a table read as attributes.
struct TableAttributes {
  bool all_others = true;  // every column not asked for by name; else `names`
  bool for_nodes = false;  // whose field names (label, x, y or source, target, ...) are refused
  std::vector<std::string> names;  // the columns read (filled in when all_others)
  std::vector<AttributeBuilder> builders;
  // With all_others: the columns left out, each with the reason.
  std::vector<std::string> skipped;
};

// Appends the fields `names[k]` of the record stream `table` to
// `builders[k]`; `name` is the argument the table came in as.
// When `attributes` is given, its columns are read too, in the same pass.
void read_arrow_table(PyObject* table, const char* name, std::span<const std::string> names,
                      std::span<ColumnBuilder> builders, TableAttributes* attributes = nullptr);

}  // namespace mivora::py
