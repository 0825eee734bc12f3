#include "file_writer_core/file_writer.hpp"
#include "file_writer_core/html_writer.hpp"
#include "graph_py/py_graph.hpp"
#include "graph_py/py_layout.hpp"
#include "graph_py/py_style.hpp"
#include "svg_creation/svg_creation.hpp"

namespace mivora::py {
namespace {

constexpr Signature kOutputSvg{"Graph.output_svg()", {"layout", "override_positions", "style"}, 0};
constexpr Signature kOutputHtml{"Graph.output_html()", {"file_name", "layout", "override_positions", "style"}, 1};


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

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"output_svg", as_method(graph_output_svg), kMethod, "output_svg($self, layout=..., override_positions=False, style=None)\n--\n\n"},
    {"output_html", as_method(graph_output_html), kMethod, "output_html($self, file_name, layout=..., override_positions=False, style=None)\n--\n\n"},
};

}  // namespace

std::span<const PyMethodDef> graph_drawing_methods() { return kMethods; }

}  // namespace mivora::py
