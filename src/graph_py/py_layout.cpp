#include "graph_py/py_layout.hpp"

#include <array>

namespace mivora::py {
namespace {

constexpr std::array<const char*, 4> kMemberNames{"Random", "Circular", "Spring", "Force"};

LayoutKind kind_of(PyObject* self) { return reinterpret_cast<PyLayout*>(self)->data.kind; }
long value_of(PyObject* self) { return static_cast<long>(kind_of(self)); }

PyObject* layout_repr(PyObject* self) {
  return PyUnicode_FromFormat("Layout.%s", kMemberNames[static_cast<std::size_t>(value_of(self))]);
}

PyObject* layout_int(PyObject* self) { return PyLong_FromLong(value_of(self)); }

Py_hash_t layout_hash(PyObject* self) { return value_of(self); }

// Members compare by value with each other and with integers; there is no ordering.
PyObject* layout_richcompare(PyObject* self, PyObject* other, int op) {
  if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
  long other_value = 0;
  if (PyObject_TypeCheck(other, PyLayout::type)) {
    other_value = value_of(other);
  } else if (PyLong_Check(other)) {
    int overflow = 0;
    other_value = PyLong_AsLongAndOverflow(other, &overflow);
    if (overflow != 0) return Py_NewRef(op == Py_NE ? Py_True : Py_False);
  } else {
    Py_RETURN_NOTIMPLEMENTED;
  }
  return Py_NewRef((value_of(self) == other_value) == (op == Py_EQ) ? Py_True : Py_False);
}

PyType_Slot kSlots[] = {
    {Py_tp_repr, reinterpret_cast<void*>(layout_repr)},
    {Py_tp_hash, reinterpret_cast<void*>(layout_hash)},
    {Py_tp_richcompare, reinterpret_cast<void*>(layout_richcompare)},
    {Py_nb_int, reinterpret_cast<void*>(layout_int)},
    {Py_tp_doc, const_cast<char*>("")},
    {0, nullptr},
};

// Created without a module of its own: "builtins" is what the interpreter
// reports for such types, and naming it avoids its deprecation warning.
PyType_Spec kSpec{"builtins.Layout", sizeof(PyLayout), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
                  kSlots};

}  // namespace

PyTypeObject* create_layout_type() {
  PyRef type = PyRef::owned(PyType_FromSpec(&kSpec));
  PyTypeObject* layout_type = reinterpret_cast<PyTypeObject*>(type.get());
  for (std::size_t value = 0; value < kMemberNames.size(); ++value) {
    PyObject* member = check(layout_type->tp_alloc(layout_type, 0));
    reinterpret_cast<PyLayout*>(member)->data.kind = static_cast<LayoutKind>(value);
    PyRef owned = PyRef::steal(member);
    if (PyObject_SetAttrString(type.get(), kMemberNames[value], member) < 0) throw PythonError{};
  }
  PyLayout::type = layout_type;
  return reinterpret_cast<PyTypeObject*>(type.release());
}

LayoutKind to_layout(PyObject* value, const char* name) {
  if (value == nullptr) return LayoutKind::Random;
  if (!PyObject_TypeCheck(value, PyLayout::type)) raise_cannot_convert(value, name, "Layout");
  return kind_of(value);
}

}  // namespace mivora::py
