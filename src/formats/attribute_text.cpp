#include "formats/attribute_text.hpp"

#include "text_io/number_text.hpp"

namespace mivora {

void append_attribute_value(std::string& out, const AttributeColumn& column, std::size_t row) {
  switch (column.type()) {
    case AttributeType::Float:
      append_shortest(out, column.float_at(row));
      break;
    case AttributeType::Integer:
      append_integer(out, column.integer_at(row));
      break;
    case AttributeType::Bool:
      out += column.bool_at(row) ? "true" : "false";
      break;
    case AttributeType::String:
      out += column.string_at(row);
      break;
  }
}

const char* xml_type_name(AttributeType type) {
  switch (type) {
    case AttributeType::Float:
      return "double";
    case AttributeType::Integer:
      return "long";
    case AttributeType::Bool:
      return "boolean";
    case AttributeType::String:
      break;
  }
  return "string";
}

}  // namespace mivora
