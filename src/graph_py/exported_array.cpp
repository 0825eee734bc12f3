#include "graph_py/exported_array.hpp"

namespace mivora::py {
namespace {

struct PyExportedArray {
  PyObject_HEAD struct Data {
    std::unique_ptr<ArrayStorage> storage;
    ArrayLayout layout;
    std::array<Py_ssize_t, 2> strides;
  } data;
};

int exported_getbuffer(PyObject* self, Py_buffer* view, int flags) {
  auto& data = reinterpret_cast<PyExportedArray*>(self)->data;
  if ((flags & PyBUF_WRITABLE) == PyBUF_WRITABLE) {
    PyErr_SetString(PyExc_BufferError, "mivora arrays are read-only");
    view->obj = nullptr;
    return -1;
  }
  const ArrayLayout& layout = data.layout;
  Py_ssize_t length = layout.itemsize;
  for (int d = 0; d < layout.ndim; ++d) length *= layout.shape[static_cast<std::size_t>(d)];
  view->buf = const_cast<void*>(data.storage->data());
  view->obj = Py_NewRef(self);
  view->len = length;
  view->readonly = 1;
  view->itemsize = layout.itemsize;
  view->format = (flags & PyBUF_FORMAT) ? const_cast<char*>(layout.format) : nullptr;
  view->ndim = layout.ndim;
  // C order: the shape and strides are always given, as every consumer
  // accepts them for contiguous memory.
  view->shape = (flags & PyBUF_ND) == PyBUF_ND ? const_cast<Py_ssize_t*>(layout.shape.data()) : nullptr;
  view->strides = (flags & PyBUF_STRIDES) == PyBUF_STRIDES ? data.strides.data() : nullptr;
  view->suboffsets = nullptr;
  view->internal = nullptr;
  return 0;
}

void exported_dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  reinterpret_cast<PyExportedArray*>(self)->data.~Data();
  type->tp_free(self);
  Py_DECREF(type);
}

PyType_Slot kSlots[] = {
    {Py_bf_getbuffer, reinterpret_cast<void*>(exported_getbuffer)},
    {Py_tp_dealloc, reinterpret_cast<void*>(exported_dealloc)},
    {Py_tp_doc, const_cast<char*>("Memory of an array exported by mivora (read through memoryview).")},
    {0, nullptr},
};

// Not instantiable from Python and not listed in the module: users see the
// memoryview around it.
PyType_Spec kSpec{"mivora._ExportedArray", sizeof(PyExportedArray), 0,
                  Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, kSlots};

PyTypeObject* exported_array_type() {
  static PyTypeObject* type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kSpec)));
  return type;
}

}  // namespace

PyObject* export_array(std::unique_ptr<ArrayStorage> storage, const ArrayLayout& layout) {
  PyTypeObject* type = exported_array_type();
  PyObject* self = static_cast<PyObject*>(PyObject_Malloc(sizeof(PyExportedArray)));
  if (self == nullptr) {
    PyErr_NoMemory();
    throw PythonError{};
  }
  PyObject_Init(self, type);
  std::array<Py_ssize_t, 2> strides{layout.itemsize, 0};
  if (layout.ndim == 2) strides = {layout.shape[1] * layout.itemsize, layout.itemsize};
  new (&reinterpret_cast<PyExportedArray*>(self)->data) PyExportedArray::Data{std::move(storage), layout, strides};
  PyRef owner = PyRef::steal(self);
  return check(PyMemoryView_FromObject(owner.get()));
}

}  // namespace mivora::py
