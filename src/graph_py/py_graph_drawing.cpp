#include <cerrno>
#include <optional>

#include "file_writer_core/file_writer.hpp"
#include "file_writer_core/html_writer.hpp"
#include "file_writer_core/notebook_view.hpp"
#include "file_writer_core/webgl_writer.hpp"
#include "graph_py/py_graph.hpp"
#include "graph_py/py_layout.hpp"
#include "graph_py/py_style.hpp"
#include "svg_creation/svg_creation.hpp"

namespace mivora::py {
namespace {

constexpr Signature kOutputSvg{"Graph.output_svg()", {"layout", "override_positions", "style"}, 0};
constexpr Signature kOutputHtml{"Graph.output_html()", {"file_name", "layout", "override_positions", "style"}, 1};
constexpr Signature kOutputWebgl{"Graph.output_webgl()", {"file_name", "layout", "override_positions"}, 1};
// The parameters that may come by position; the rest are keyword-only.
constexpr Signature kOutputWebglPositional{"Graph.output_webgl()", {"file_name", "layout"}, 1};
constexpr Signature kReprHtml{"Graph._repr_html_()", {}, 0};


PyObject* graph_output_svg(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kOutputSvg, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const LayoutKind layout = to_layout(arguments[0], "layout");
                                const bool override_positions =
                                    arguments[1] ? to_bool(arguments[1], "override_positions") : false;
                                const GraphStyle style = to_style(arguments[2], "style");
                                const std::string svg = output_svg(data.graph, layout, override_positions, style);
                                return to_python(std::string_view(svg));
                              });
}

PyObject* graph_output_html(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kOutputHtml, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view file_name = to_text(arguments[0], "file_name");
                                const LayoutKind layout = to_layout(arguments[1], "layout");
                                const bool override_positions =
                                    arguments[2] ? to_bool(arguments[2], "override_positions") : false;
                                const GraphStyle style = to_style(arguments[3], "style");
                                if (const auto error = output_html(data.graph, file_name, layout,
                                                                   override_positions, style)) {
                                  fail(std::string(kCreateFileFailed) + ": " + error->description);
                                }
                                return none();
                              });
}

// Raises the OSError subclass that matches the failed write (FileNotFoundError,
// PermissionError, ...), naming the file.
[[noreturn]] void raise_write_error(const Writeable::Error& error, PyObject* file_name) {
  if (error.code == 0) {
    PyErr_SetString(PyExc_ValueError, error.description.c_str());
  } else {
    errno = error.code;
    PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, file_name);
  }
  throw PythonError{};
}

PyObject* graph_output_webgl(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kOutputWebgl, Access::Exclusive, args, nargs, kwnames,
                              [args, nargs](PyGraph::Data& data, const Arguments& arguments) {
                                if (PyVectorcall_NARGS(nargs) > 2) {
                                  match_arguments(kOutputWebglPositional, args, nargs, nullptr);
                                }
                                const std::string_view file_name = to_text(arguments[0], "file_name");
                                std::optional<LayoutKind> layout;
                                if (arguments[1] != nullptr && arguments[1] != Py_None) {
                                  layout = to_layout(arguments[1], "layout");
                                }
                                const bool override_positions =
                                    arguments[2] ? to_bool(arguments[2], "override_positions") : false;
                                if (const auto error = output_webgl(data.graph, file_name, layout, override_positions)) {
                                  raise_write_error(*error, arguments[0]);
                                }
                                return none();
                              });
}

PyObject* graph_repr_html(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kReprHtml, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                const std::string html = notebook_html(data.graph);
                                return to_python(std::string_view(html));
                              });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"output_svg", as_method(graph_output_svg), kMethod, "output_svg($self, layout=..., override_positions=False, style=None)\n--\n\n"},
    {"output_html", as_method(graph_output_html), kMethod, "output_html($self, file_name, layout=..., override_positions=False, style=None)\n--\n\n"},
    // ---- drawing at scale ----
    {"output_webgl", as_method(graph_output_webgl), kMethod,
     "output_webgl($self, file_name, layout=None, *, override_positions=False)\n--\n\n"
     "Write an interactive WebGL viewer of the graph to one offline HTML file.\n\n"
     "The page draws nodes and links with WebGL and stays fluid at hundreds of\n"
     "thousands of nodes: pan, zoom around the pointer, node drag, label search\n"
     "that flies to the node, hover details (label, degrees, component), click\n"
     "to highlight a node's neighbours, fit to view, and downloads of the graph\n"
     "as Pajek and JSON (read back by from_net_file / from_json_file) and of the\n"
     "view as PNG. Node size follows degree, colour the connected component.\n"
     "The page loads nothing from the network.\n\n"
     "Parameters\n"
     "----------\n"
     "file_name : str\n"
     "    Path of the HTML file, created or replaced.\n"
     "layout : Layout or None\n"
     "    Layout used when the graph is laid out. None: the spring layout up to\n"
     "    3,000 nodes, random positions above.\n"
     "override_positions : bool\n"
     "    Lay the graph out even when every node has a stored position. Without\n"
     "    it, stored positions are drawn as they are; the graph is laid out only\n"
     "    when some node has none. New positions stay in the graph.\n\n"
     "Raises\n"
     "------\n"
     "OSError\n"
     "    The file cannot be written (the subclass says why). A file that\n"
     "    exists is left as it was when the page cannot be built.\n"
     "ValueError\n"
     "    The file name holds a nul byte.\n"},
    {"_repr_html_", as_method(graph_repr_html), kMethod,
     "_repr_html_($self)\n--\n\n"
     "HTML for notebooks: the WebGL viewer inline for a graph of up to 2,000\n"
     "nodes (laid out first if some node has no position), else a summary\n"
     "table of counts, density and components, without laying it out.\n\n"
     "Returns\n"
     "-------\n"
     "str\n"
     "    An <iframe> holding the viewer page, or a <table>.\n"},
};

}  // namespace

std::span<const PyMethodDef> graph_drawing_methods() { return kMethods; }

}  // namespace mivora::py
