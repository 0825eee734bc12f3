// Module initialisation: creates `mivora` once per process and registers its
// four classes in order.
#include "graph_py/arrow_tables.hpp"
#include "graph_py/frame.hpp"
#include "graph_py/py_graph.hpp"
#include "graph_py/py_layout.hpp"
#include "graph_py/py_node.hpp"
#include "graph_py/py_style.hpp"

namespace mivora::py {
namespace {

PyModuleDef kModule = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "mivora",
    .m_doc = "Network analysis and drawing: graphs of labelled nodes and weighted connections.",
    // Not -1: the interpreter then calls the init function again on every
    // import, which lets it refuse sub-interpreters.
    .m_size = 0,
    .m_methods = nullptr,
    .m_slots = nullptr,
    .m_traverse = nullptr,
    .m_clear = nullptr,
    .m_free = nullptr,
};

PyObject* g_module = nullptr;
std::int64_t g_interpreter = -1;

void add_type(PyObject* module, PyTypeObject* type, const char* name) {
  PyRef owned = PyRef::steal(reinterpret_cast<PyObject*>(type));
  if (PyModule_AddObjectRef(module, name, owned.get()) < 0) throw PythonError{};
}

PyObject* create_module() {
  PyRef module = PyRef::owned(PyModule_Create(&kModule));
  create_panic_exception();
  install_signal_check();
  install_duplicate_label_report();
  install_graph_lookups();
  add_type(module.get(), create_node_type(), "Node");
  add_type(module.get(), create_graph_type(), "Graph");
  add_type(module.get(), create_layout_type(), "Layout");
  add_type(module.get(), create_style_type(), "GraphStyle");
  add_format_error(module.get());
  add_arrow_table_type(module.get());
  // The class internal errors are raised as, so that they can be caught by name.
  if (PyModule_AddObjectRef(module.get(), "PanicException", panic_exception()) < 0) throw PythonError{};
  return module.release();
}

}  // namespace
}  // namespace mivora::py

PyMODINIT_FUNC PyInit_mivora() {
  using namespace mivora::py;
  return guarded([]() -> PyObject* {
    const std::int64_t interpreter = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (g_interpreter != -1 && interpreter != g_interpreter) {
      PyErr_SetString(PyExc_ImportError,
                      "mivora does not support sub-interpreters: it is bound to the first "
                      "interpreter that imported it");
      return nullptr;
    }
    if (g_module == nullptr) {
      g_module = create_module();
      g_interpreter = interpreter;
    }
    return Py_NewRef(g_module);
  });
}
