#include "graph_py/py_graph.hpp"
#include "graph_py/py_layout.hpp"
#include "graph_py/py_style.hpp"
#include "svg_creation/svg_creation.hpp"

namespace mivora::py {
namespace {

constexpr Signature kOutputSvg{"Graph.output_svg()", {"layout", "override_positions", "style"}, 0};

}  // namespace

MIVORA_GRAPH_METHOD(graph_output_svg) {
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

MIVORA_GRAPH_METHOD(graph_output_html) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_output_html");
  return nullptr;
}

}  // namespace mivora::py
