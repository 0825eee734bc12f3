// Graph methods of the drawing area: the SVG text and viewer page of a
// drawing, and layouts computed and kept in the graph for later drawings.
#include <cmath>
#include <cerrno>
#include <optional>

#include "formats/file_writer.hpp"
#include "pages/html_writer.hpp"
#include "pages/notebook_view.hpp"
#include "pages/webgl_writer.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_py/py_graph.hpp"
#include "graph_py/py_layout.hpp"
#include "graph_py/py_style.hpp"
#include "layout/force_layout.hpp"
#include "layout/node_size.hpp"
#include "svg_creation/svg_creation.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

constexpr Signature kOutputSvg =
    Signature{"Graph.output_svg()", {"layout", "override_positions", "style"}, 0}.panicking_on_foreign_thread();
constexpr Signature kOutputHtml =
    Signature{"Graph.output_html()", {"file_name", "layout", "override_positions", "style"}, 1}
        .panicking_on_foreign_thread();
constexpr Signature kComputeLayout =
    Signature{"Graph.compute_layout()", {"layout", "seed", "iterations", "progress"}, 0}.keyword_only_from(1);
constexpr Signature kPositions{"Graph.positions()", {}, 0};
constexpr Signature kOutputWebgl =
    Signature{
        "Graph.output_webgl()", {"file_name", "layout", "override_positions", "color_by", "size_by", "file_style"}, 1}
        .keyword_only_from(2);
constexpr Signature kReprHtml{"Graph._repr_html_()", {}, 0};

// Without a style of its own, a drawing whose positions come from the force
// layout, or are positions kept by compute_layout, gets nodes sized for the
// graph; every other drawing keeps the style's defaults.
GraphStyle drawing_style(PyObject* given, const GraphStore& graph, LayoutKind layout, bool override_positions) {
  GraphStyle style = to_style(given, "style");
  if (given != nullptr && given != Py_None) return style;
  const bool fresh = override_positions || !(graph.has_positions() || graph.has_kept_positions());
  if (fresh ? layout == LayoutKind::Force : graph.has_kept_positions()) {
    style.node_radius = std::max(1, static_cast<int>(std::lround(suggested_node_radius(graph.node_count()))));
  }
  return style;
}

PyObject* graph_output_svg(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kOutputSvg, Access::Exclusive, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const LayoutKind layout = to_layout(arguments[0], "layout");
        const bool override_positions = arguments[1] ? to_bool(arguments[1], "override_positions") : false;
        const GraphStyle style = drawing_style(arguments[2], data.graph, layout, override_positions);
        const std::string svg = output_svg(data.graph, layout, override_positions, style);
        return to_python(std::string_view(svg));
      });
}

PyObject* graph_output_html(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kOutputHtml, Access::Exclusive, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const std::string_view file_name = to_text(arguments[0], "file_name");
        const LayoutKind layout = to_layout(arguments[1], "layout");
        const bool override_positions = arguments[2] ? to_bool(arguments[2], "override_positions") : false;
        const GraphStyle style = drawing_style(arguments[3], data.graph, layout, override_positions);
        if (const auto error = output_html(data.graph, file_name, layout, override_positions, style)) {
          fail(std::string(kCreateFileFailed) + ": " + error->description);
        }
        return none();
      });
}

constexpr std::int32_t kMaxIterations = 100'000;

PyObject* graph_compute_layout(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kComputeLayout, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const LayoutKind layout =
                                    arguments[0] ? to_layout(arguments[0], "layout") : LayoutKind::Force;
                                const std::uint64_t seed = to_seed(arguments[1], "seed");
                                std::int32_t iterations = 0;
                                if (arguments[2] != nullptr && arguments[2] != Py_None) {
                                  if (layout != LayoutKind::Force) {
                                    PyErr_SetString(PyExc_ValueError, "iterations applies to Layout.Force only");
                                    throw PythonError{};
                                  }
                                  iterations = to_i32(arguments[2], "iterations");
                                  if (iterations < 1 || iterations > kMaxIterations) {
                                    PyErr_Format(PyExc_ValueError, "iterations must be between 1 and %d, not %d",
                                                 static_cast<int>(kMaxIterations), static_cast<int>(iterations));
                                    throw PythonError{};
                                  }
                                }
                                ProgressReport progress(arguments[3], "Graph.compute_layout()");
                                if (layout == LayoutKind::Force) {
                                  generate_multilevel_positions(data.graph, ForceLayoutOptions{seed, iterations});
                                } else {
                                  RandomGenerator random(seed);
                                  generate_positions(data.graph, layout, random);
                                }
                                data.graph.keep_positions();
                                progress.finish();
                                return none();
                              });
}

bool given(PyObject* argument) { return argument != nullptr && argument != Py_None; }

[[noreturn]] void raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
  throw PythonError{};
}

// The columns the page is asked to draw by, checked before anything is drawn.
void check_drawn_columns(const GraphStore& graph, const WebglOptions& options) {
  const NamedColumns& columns = graph.attributes().nodes();
  if (options.color_by && columns.find(*options.color_by) == nullptr) {
    raise(PyExc_KeyError, "color_by: the graph has no node attribute '" + *options.color_by + "'");
  }
  if (!options.size_by) return;
  const AttributeColumn* size = columns.find(*options.size_by);
  if (size == nullptr) raise(PyExc_KeyError, "size_by: the graph has no node attribute '" + *options.size_by + "'");
  if (size->type() != AttributeType::Float && size->type() != AttributeType::Integer) {
    raise(PyExc_TypeError, "size_by: the node attribute '" + *options.size_by + "' holds " +
                               attribute_type_name(size->type()) + " values, not numbers");
  }
}

// The page's drawing options, each column checked before anything is drawn.
WebglOptions webgl_options(const GraphStore& graph, PyObject* color_by, PyObject* size_by, PyObject* file_style) {
  WebglOptions options;
  if (given(color_by)) options.color_by = std::string(to_text(color_by, "color_by"));
  if (given(size_by)) options.size_by = std::string(to_text(size_by, "size_by"));
  if (file_style != nullptr) options.file_style = to_bool(file_style, "file_style");
  check_drawn_columns(graph, options);
  return options;
}

PyObject* graph_output_webgl(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kOutputWebgl, Access::Exclusive, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const std::string file_name = to_path(arguments[0], "file_name");
        std::optional<LayoutKind> layout;
        if (arguments[1] != nullptr && arguments[1] != Py_None) {
          layout = to_layout(arguments[1], "layout");
        }
        const bool override_positions = arguments[2] ? to_bool(arguments[2], "override_positions") : false;
        const WebglOptions options = webgl_options(data.graph, arguments[3], arguments[4], arguments[5]);
        output_webgl(data.graph, file_name, layout, override_positions, options);
        return none();
      });
}

PyObject* graph_positions(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kPositions, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                const GraphStore& graph = data.graph;
                                PyRef dict = PyRef::owned(PyDict_New());
                                for (NodeIndex i = 0; i < graph.node_count(); ++i) {
                                  const NodeRecord& node = graph.node(i);
                                  if (!node.has_position() || graph.canonical_position(i) != i) continue;
                                  PyRef label = PyRef::owned(to_python(std::string_view(node.label)));
                                  const GraphStore::Coordinates at = graph.coordinates(i);
                                  PyRef x = PyRef::owned(to_python(at.x));
                                  PyRef y = PyRef::owned(to_python(at.y));
                                  set_item(dict.get(), label.get(), PyTuple_Pack(2, x.get(), y.get()));
                                }
                                return dict.release();
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
    {"output_svg", as_method(graph_output_svg), kMethod,
     "output_svg($self, layout=..., override_positions=False, style=None)\n--\n\n"},
    {"output_html", as_method(graph_output_html), kMethod,
     "output_html($self, file_name, layout=..., override_positions=False, style=None)\n--\n\n"},
    // ---- drawing at scale ----
    {"output_webgl", as_method(graph_output_webgl), kMethod,
     "output_webgl($self, file_name, layout=None, *, override_positions=False, color_by=None, size_by=None, "
     "file_style=False)\n--\n\n" MIVORA_DOC_Graph_output_webgl},
    {"_repr_html_", as_method(graph_repr_html), kMethod, "_repr_html_($self)\n--\n\n" MIVORA_DOC_Graph__repr_html_},
    {"compute_layout", as_method(graph_compute_layout), kMethod,
     "compute_layout($self, layout=..., *, seed=None, iterations=None, "
     "progress=None)\n--\n\n" MIVORA_DOC_Graph_compute_layout},
    {"positions", as_method(graph_positions), kMethod, "positions($self)\n--\n\n" MIVORA_DOC_Graph_positions},
};

}  // namespace

std::span<const PyMethodDef> graph_drawing_methods() { return kMethods; }

}  // namespace mivora::py
