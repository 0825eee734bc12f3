#pragma once
// The attributes a reader finds besides labels, positions, weights and
// directions: named columns of one domain (vertices or links), one value per
// row (a vertex or link number), any row possibly missing.
//
// A column is either declared with its type (GraphML keys, GEXF attributes,
// Pajek partitions and vectors: values are parsed as they arrive, and a
// value that is not of the type fails the read) or inferred (CSV columns,
// GML keys: values are kept as text and the column settles its type once
// every row is in: integer if every value is one, else float, else bool
// (true/false in any case, CSV only), else string). GML marks values that
// were quoted strings: a column with one of them is a string column.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/attributes.hpp"
#include "graph_core/name_index.hpp"

namespace mivora {

// A column's type as a reader names it: "double" and "float" to Float,
// "int", "integer", "long", "short", "byte" to Integer, "boolean"/"bool" to
// Bool, anything else (string, anyURI, date, liststring, ...) to String.
AttributeType attribute_type_named(std::string_view name);

struct AttributeColumnRecord {
  std::string name;
  AttributeType type = AttributeType::String;
  bool inferred = false;
  bool quoted = false;        // inferred: some value was a quoted string
  bool bools_allowed = true;  // inferred: true/false may make a bool column
  std::vector<double> floats;
  std::vector<std::int64_t> integers;
  std::vector<std::uint8_t> bools;
  std::vector<std::string> strings;         // string columns, and every inferred column until finish
  std::vector<std::uint8_t> present;        // by row; rows past its end are missing
  std::optional<std::string> default_text;  // declared default, for rows left missing

  std::size_t rows() const { return present.size(); }
  std::size_t present_count() const;
};

class AttributeRecords {
 public:
  // The column `name` of type `type`, made when new. A column declared again
  // under the same name keeps its first type.
  std::size_t declare(std::string_view name, AttributeType type);
  // The inferred column `name`, made when new.
  std::size_t inferred(std::string_view name, bool bools_allowed = true);
  std::optional<std::size_t> find(std::string_view name) const;
  // Removes a column; the later ones move up a place.
  void remove(std::size_t column);

  // Sets `row` of `column` from its text. Declared columns parse it (an
  // empty text leaves a float/integer/bool row missing); false when it is
  // not of the column's type, and nothing is set.
  bool set_text(std::size_t column, std::size_t row, std::string_view text, bool quoted = false);
  void set_float(std::size_t column, std::size_t row, double value);
  void set_integer(std::size_t column, std::size_t row, std::int64_t value);
  // A declared default: rows without a value take it in finish(). False when
  // it is not of the column's type.
  bool set_default(std::size_t column, std::string_view text);

  // Settles inferred types and fills defaults: a column with a default gets
  // `rows` rows; one without keeps the rows up to its last value (the rows
  // after it read as missing).
  void finish(std::size_t rows);

  bool empty() const { return columns.empty(); }
  // Added to by declare() and inferred() only, removed from by remove().
  std::vector<AttributeColumnRecord> columns;

 private:
  // Rows a file's values may spread over before the reader asks how far
  // apart they lie, and how many column rows each row or value read may
  // cost past that.
  static constexpr std::size_t kRowsHeldFreely = std::size_t{1} << 22;
  static constexpr std::size_t kRowsPerRead = 64;

  NameIndex index_;
  std::size_t values_ = 0;     // values set
  std::size_t rows_seen_ = 0;  // one past the last row a value was set in
  std::size_t rows_held_ = 0;  // rows of all columns
  // Makes `row` exist for a value being set; a FormatError when the file's
  // values lie so far apart that the rows would cost far more than they.
  void grow_for_value(AttributeColumnRecord& column, std::size_t row);
  void grow(AttributeColumnRecord& column, std::size_t row);
};

// Parsers of a value's text in each type, as every reader spells them.
bool parse_attribute_integer(std::string_view text, std::int64_t& value);
bool parse_attribute_bool(std::string_view text, bool& value);

}  // namespace mivora
