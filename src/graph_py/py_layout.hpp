#pragma once
// Python class Layout: the enumeration Random 0, Circular 1, Spring 2, Force 3.
#include "graph_py/frame.hpp"
#include "layout/layout.hpp"

namespace mivora::py {

struct PyLayout {
  PyObject_HEAD struct Data {
    LayoutKind kind;
  } data;

  static inline PyTypeObject* type = nullptr;
  static constexpr const char* kName = "Layout";
};

PyTypeObject* create_layout_type();
// Converter for arguments declared as Layout; NULL (left out) reads as Random.
LayoutKind to_layout(PyObject* value, const char* name);

}  // namespace mivora::py
