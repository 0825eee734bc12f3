#pragma once
// Python class GraphStyle: eleven readable and writable style fields.
#include "graph_py/frame.hpp"
#include "layout/style.hpp"

namespace mivora::py {

struct PyStyle {
  PyObject_HEAD struct Data {
    GraphStyle style;
    BorrowFlag borrow{};
    Constructed constructed{};
  } data;

  static inline PyTypeObject* type = nullptr;
  static constexpr const char* kName = "GraphStyle";
};

PyTypeObject* create_style_type();
// Converter for arguments declared as GraphStyle or None: a copy of the
// style, or the default style for NULL (left out) and None.
GraphStyle to_style(PyObject* value, const char* name);

}  // namespace mivora::py
