#include "formats/attribute_records.hpp"

#include <algorithm>
#include <charconv>

#include "text_io/format_error.hpp"
#include "text_io/number_text.hpp"
#include "text_io/text_scan.hpp"

namespace mivora {
namespace {

std::string_view trimmed(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool parse_attribute_float(std::string_view text, double& value) { return parse_float(text, value) == FloatParse::Ok; }

// Whether every present value of an inferred column parses as `parse` wants.
template <typename Parse>
bool every_value(const AttributeColumnRecord& column, Parse&& parse) {
  for (std::size_t row = 0; row < column.present.size(); ++row) {
    if (column.present[row] && !parse(trimmed(column.strings[row]))) return false;
  }
  return true;
}

}  // namespace

AttributeType attribute_type_named(std::string_view name) {
  if (equals_ignoring_case(name, "double") || equals_ignoring_case(name, "float")) return AttributeType::Float;
  if (equals_ignoring_case(name, "int") || equals_ignoring_case(name, "integer") ||
      equals_ignoring_case(name, "long") || equals_ignoring_case(name, "short") || equals_ignoring_case(name, "byte"))
    return AttributeType::Integer;
  if (equals_ignoring_case(name, "boolean") || equals_ignoring_case(name, "bool")) return AttributeType::Bool;
  return AttributeType::String;
}

bool parse_attribute_integer(std::string_view text, std::int64_t& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parse_attribute_bool(std::string_view text, bool& value) {
  if (equals_ignoring_case(text, "true") || text == "1") {
    value = true;
    return true;
  }
  if (equals_ignoring_case(text, "false") || text == "0") {
    value = false;
    return true;
  }
  return false;
}

std::size_t AttributeColumnRecord::present_count() const {
  std::size_t count = 0;
  for (const std::uint8_t p : present) count += p;
  return count;
}

std::size_t AttributeRecords::declare(std::string_view name, AttributeType type) {
  if (const auto found = find(name)) return *found;
  AttributeColumnRecord& column = columns.emplace_back();
  column.name = std::string(name);
  column.type = type;
  return columns.size() - 1;
}

std::size_t AttributeRecords::inferred(std::string_view name, bool bools_allowed) {
  if (const auto found = find(name)) return *found;
  AttributeColumnRecord& column = columns.emplace_back();
  column.name = std::string(name);
  column.inferred = true;
  column.bools_allowed = bools_allowed;
  return columns.size() - 1;
}

std::optional<std::size_t> AttributeRecords::find(std::string_view name) const {
  return index_.find(name, columns.size(), [&](std::size_t i) -> std::string_view { return columns[i].name; });
}

void AttributeRecords::remove(std::size_t column) {
  columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(column));
  index_.clear();
}

void AttributeRecords::grow_for_value(AttributeColumnRecord& column, std::size_t row) {
  ++values_;
  rows_seen_ = std::max(rows_seen_, row + 1);
  if (row >= column.present.size()) {
    rows_held_ += row + 1 - column.present.size();
    // A column holds every row up to its last value, so values far apart
    // (each of thousands of keys used by one late node) would cost the
    // square of the file's size; the file's rows and values bound it.
    const std::size_t read = values_ + rows_seen_;
    if (rows_held_ > kRowsHeldFreely && rows_held_ / read > kRowsPerRead) {
      throw FormatError("attribute values lie too far apart: their columns would hold more than " +
                            integer_text(kRowsPerRead) + " rows for each of the " + integer_text(read) +
                            " rows and values read so far",
                        0, 0);
    }
  }
  grow(column, row);
}

void AttributeRecords::grow(AttributeColumnRecord& column, std::size_t row) {
  if (row < column.present.size()) return;
  const std::size_t size = row + 1;
  column.present.resize(size, 0);
  if (column.inferred) {
    column.strings.resize(size);
    return;
  }
  switch (column.type) {
    case AttributeType::Float:
      column.floats.resize(size, 0.0);
      break;
    case AttributeType::Integer:
      column.integers.resize(size, 0);
      break;
    case AttributeType::Bool:
      column.bools.resize(size, 0);
      break;
    case AttributeType::String:
      column.strings.resize(size);
      break;
  }
}

bool AttributeRecords::set_text(std::size_t index, std::size_t row, std::string_view text, bool quoted) {
  AttributeColumnRecord& column = columns[index];
  if (column.inferred) {
    grow_for_value(column, row);
    column.strings[row].assign(text);
    column.present[row] = 1;
    column.quoted = column.quoted || quoted;
    return true;
  }
  if (column.type == AttributeType::String) {
    grow_for_value(column, row);
    column.strings[row].assign(text);
    column.present[row] = 1;
    return true;
  }
  const std::string_view value_text = trimmed(text);
  if (value_text.empty()) return true;  // no value: the row stays missing
  switch (column.type) {
    case AttributeType::Float: {
      double value;
      if (!parse_attribute_float(value_text, value)) return false;
      set_float(index, row, value);
      return true;
    }
    case AttributeType::Integer: {
      std::int64_t value;
      if (!parse_attribute_integer(value_text, value)) return false;
      set_integer(index, row, value);
      return true;
    }
    case AttributeType::Bool: {
      bool value;
      if (!parse_attribute_bool(value_text, value)) return false;
      grow_for_value(column, row);
      column.bools[row] = value ? 1 : 0;
      column.present[row] = 1;
      return true;
    }
    case AttributeType::String:
      break;
  }
  return true;
}

void AttributeRecords::set_float(std::size_t index, std::size_t row, double value) {
  AttributeColumnRecord& column = columns[index];
  grow_for_value(column, row);
  column.floats[row] = value;
  column.present[row] = 1;
}

void AttributeRecords::set_integer(std::size_t index, std::size_t row, std::int64_t value) {
  AttributeColumnRecord& column = columns[index];
  grow_for_value(column, row);
  column.integers[row] = value;
  column.present[row] = 1;
}

bool AttributeRecords::set_default(std::size_t index, std::string_view text) {
  AttributeColumnRecord& column = columns[index];
  const std::string_view value_text = column.type == AttributeType::String ? text : trimmed(text);
  double as_float;
  std::int64_t as_integer;
  bool as_bool;
  switch (column.type) {
    case AttributeType::Float:
      if (!parse_attribute_float(value_text, as_float)) return false;
      break;
    case AttributeType::Integer:
      if (!parse_attribute_integer(value_text, as_integer)) return false;
      break;
    case AttributeType::Bool:
      if (!parse_attribute_bool(value_text, as_bool)) return false;
      break;
    case AttributeType::String:
      break;
  }
  column.default_text = std::string(value_text);
  return true;
}

void AttributeRecords::finish(std::size_t rows) {
  for (std::size_t index = 0; index < columns.size(); ++index) {
    AttributeColumnRecord& column = columns[index];
    if (column.inferred) {
      // Settle the type, then parse the kept text into it.
      AttributeType type = AttributeType::String;
      if (!column.quoted) {
        std::int64_t i;
        double f;
        bool b;
        if (every_value(column, [&](std::string_view t) { return parse_attribute_integer(t, i); }))
          type = AttributeType::Integer;
        else if (every_value(column, [&](std::string_view t) { return parse_attribute_float(t, f); }))
          type = AttributeType::Float;
        else if (column.bools_allowed && every_value(column, [&](std::string_view t) {
                   return (equals_ignoring_case(t, "true") || equals_ignoring_case(t, "false")) &&
                          parse_attribute_bool(t, b);
                 }))
          type = AttributeType::Bool;
      }
      column.inferred = false;
      column.type = type;
      if (type != AttributeType::String) {
        std::vector<std::string> texts_kept = std::move(column.strings);
        std::vector<std::uint8_t> present_kept = std::move(column.present);
        column.strings.clear();
        column.present.clear();
        for (std::size_t row = 0; row < present_kept.size(); ++row) {
          if (present_kept[row]) set_text(index, row, texts_kept[row]);
        }
      }
    }
    // Rows past the last value read as missing: a column sized to every row
    // only when its default gives every row a value. Files may declare
    // thousands of keys that few rows use.
    if (!column.default_text) continue;
    if (rows > 0) grow(column, rows - 1);
    for (std::size_t row = 0; row < column.present.size(); ++row) {
      if (!column.present[row]) set_text(index, row, *column.default_text);
    }
  }
}

}  // namespace mivora
