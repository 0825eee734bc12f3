#include "graph_py/py_style.hpp"

#include <array>
#include <variant>

namespace mivora::py {
namespace {

using TextField = std::string GraphStyle::*;
using IntegerField = std::int32_t GraphStyle::*;
using BooleanField = bool GraphStyle::*;

struct Field {
  const char* name;
  std::variant<TextField, IntegerField, BooleanField> member;
};

// In constructor parameter order.
const std::array<Field, 11> kFields{{
    {"node_color", &GraphStyle::node_color},
    {"node_border", &GraphStyle::node_border},
    {"node_radius", &GraphStyle::node_radius},
    {"marker_svg", &GraphStyle::marker_svg},
    {"marker_fill", &GraphStyle::marker_fill},
    {"marker_width", &GraphStyle::marker_width},
    {"marker_height", &GraphStyle::marker_height},
    {"line_color", &GraphStyle::line_color},
    {"line_min_width", &GraphStyle::line_min_width},
    {"line_max_width", &GraphStyle::line_max_width},
    {"dynamic_line_size", &GraphStyle::dynamic_line_size},
}};

constexpr Signature kNew{"GraphStyle.__new__()",
                         {"node_color", "node_border", "node_radius", "marker_svg", "marker_fill", "marker_width",
                          "marker_height", "line_color", "line_min_width", "line_max_width", "dynamic_line_size"},
                         0};

// Converts `value` by the field's kind and stores it; on failure the field is unchanged.
void assign(GraphStyle& style, const Field& field, PyObject* value) {
  std::visit(
      [&](auto member) {
        using Member = decltype(member);
        if constexpr (std::is_same_v<Member, TextField>) {
          style.*member = std::string(to_text(value, field.name));
        } else if constexpr (std::is_same_v<Member, IntegerField>) {
          style.*member = to_i32(value, field.name);
        } else {
          style.*member = to_bool(value, field.name);
        }
      },
      field.member);
}

PyObject* read(const GraphStyle& style, const Field& field) {
  return std::visit([&](auto member) { return to_python(style.*member); }, field.member);
}

PyObject* style_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    const Arguments arguments = match_arguments(kNew, args, kwargs);
    GraphStyle style;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
      if (arguments[i] != nullptr && arguments[i] != Py_None) assign(style, kFields[i], arguments[i]);
    }
    return new_object<PyStyle>(type, std::move(style));
  });
}

PyObject* style_get(PyObject* self, void* closure) {
  return guarded([&]() -> PyObject* {
    PyStyle::Data& data = receiver<PyStyle>(self);
    Borrow borrow(data.borrow, Access::Shared);
    return read(data.style, *static_cast<const Field*>(closure));
  });
}

int style_set(PyObject* self, PyObject* value, void* closure) {
  return guarded(-1, [&]() -> int {
    if (value == nullptr) {
      PyErr_SetString(PyExc_AttributeError, "can't delete attribute");
      return -1;
    }
    PyStyle::Data& data = receiver<PyStyle>(self);
    Borrow borrow(data.borrow, Access::Exclusive);
    assign(data.style, *static_cast<const Field*>(closure), value);
    return 0;
  });
}

void style_dealloc(PyObject* self) { destroy_object<PyStyle>(self); }

std::array<PyGetSetDef, 12> make_properties() {
  std::array<PyGetSetDef, 12> properties{};
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    properties[i] = {kFields[i].name, style_get, style_set, nullptr,
                     const_cast<void*>(static_cast<const void*>(&kFields[i]))};
  }
  return properties;  // the last entry stays zeroed as the sentinel
}

std::array<PyGetSetDef, 12> kProperties = make_properties();

PyType_Slot kSlots[] = {
    {Py_tp_new, reinterpret_cast<void*>(style_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(style_dealloc)},
    {Py_tp_getset, kProperties.data()},
    {Py_tp_doc, const_cast<char*>("GraphStyle(node_color=None, node_border=None, node_radius=None, marker_svg=None, "
                                  "marker_fill=None, marker_width=None, marker_height=None, line_color=None, "
                                  "line_min_width=None, line_max_width=None, dynamic_line_size=None)\n--\n\n")},
    {0, nullptr},
};

// Created without a module of its own: "builtins" is what the interpreter
// reports for such types, and naming it avoids its deprecation warning.
PyType_Spec kSpec{"builtins.GraphStyle", sizeof(PyStyle), 0, Py_TPFLAGS_DEFAULT, kSlots};

}  // namespace

PyTypeObject* create_style_type() {
  PyStyle::type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kSpec)));
  return PyStyle::type;
}

GraphStyle to_style(PyObject* value, const char* name) {
  if (value == nullptr || value == Py_None) return GraphStyle{};
  PyStyle::Data& data = checked_data<PyStyle>(value, name);
  Borrow borrow(data.borrow, Access::Shared);
  return data.style;
}

}  // namespace mivora::py
