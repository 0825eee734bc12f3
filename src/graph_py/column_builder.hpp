#pragma once
// Collects a column value by value from any source (buffer, Arrow chunk,
// Python object), holding the one set of rules for what a role accepts:
// which value types, which ids, and the messages that refuse the rest.
#include <cstdint>
#include <string>

#include "graph_core/types.hpp"
#include "graph_py/column_reader.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {

// The type of the values a source holds, as far as roles care.
enum class ValueType { Integer, Float, Text, Bool };

class ColumnBuilder {
 public:
  ColumnBuilder(const char* name, ColumnRole role) : name_(name), role_(role) {}

  const char* name() const { return name_; }
  std::size_t rows() const { return column_.size(); }
  bool holds_labels() const { return column_.kind == Column::Kind::Labels; }

  // Declares the type of the values that follow (`described` names the
  // source's type in messages, such as "float64 array"). The first call
  // fixes the column's kind; a source of another kind later is refused.
  void begin(ValueType type, const std::string& described);
  void reserve(std::size_t count);

  void add_signed(std::int64_t value) {
    if (column_.kind == Column::Kind::Labels) {
      add_integer_label(value);
    } else if (column_.kind == Column::Kind::Numbers) {
      column_.numbers.push_back(static_cast<float>(value));
    } else if (value < 0) {
      refuse_id(integer_text(value));
    } else {
      add_id(static_cast<std::uint64_t>(value));
    }
  }
  void add_unsigned(std::uint64_t value) {
    if (column_.kind == Column::Kind::Labels) {
      add_integer_label(value);
    } else if (column_.kind == Column::Kind::Numbers) {
      column_.numbers.push_back(static_cast<float>(value));
    } else {
      add_id(value);
    }
  }
  void add_number(double value) { column_.numbers.push_back(static_cast<float>(value)); }
  void add_label(std::string_view label) { column_.labels.push_back(label); }

  // ValueError "argument '{name}': row {row} is null".
  [[noreturn]] void refuse_null(std::size_t row) const;

  Column finish() { return std::move(column_); }

 private:
  template <typename Integer>
  void add_integer_label(Integer value) {
    digits_.clear();
    append_integer(digits_, value);
    column_.labels.push_back(digits_);
  }
  void add_id(std::uint64_t value) {
    if (value >= kIdBound) refuse_id(integer_text(value));
    column_.ids.push_back(static_cast<NodeId>(value));
    if (value >= column_.id_limit) column_.id_limit = value + 1;
  }
  [[noreturn]] void refuse_id(const std::string& value) const;

  const char* name_;
  ColumnRole role_;
  bool begun_ = false;
  Column column_;
  std::string digits_;  // the text of the integer label being added
};

}  // namespace mivora::py
