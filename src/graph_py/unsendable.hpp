#pragma once
// Deallocation of objects bound to their creator thread.
#include "graph_py/frame.hpp"

namespace mivora::py {

// Frees the object; on a thread other than its creator's the core data is
// leaked rather than touched, and the interpreter is told through its
// unraisable-exception hook.
template <typename T>
void destroy_unsendable(PyObject* self) {
  const auto& data = reinterpret_cast<T*>(self)->data;
  if (!data.constructed.is_set() || data.thread.is_current()) {
    destroy_object<T>(self);
    return;
  }
  PyObject* saved = take_raised_exception();
  const std::string message = std::string(T::kTypePath) + " is unsendable, but is being dropped on another thread";
  PyErr_SetString(PyExc_RuntimeError, message.c_str());
  PyErr_WriteUnraisable(nullptr);
  restore_raised_exception(saved);
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

}  // namespace mivora::py
