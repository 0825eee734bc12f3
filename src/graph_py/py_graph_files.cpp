// Graph methods that read and write graph files.
#include <source_location>
#include <string>

#include "formats/file_reader.hpp"
#include "formats/formats.hpp"
#include "formats/file_writer.hpp"
#include "graph_py/py_graph.hpp"

namespace mivora::py {
namespace {

constexpr Signature kOutputNetFile =
    Signature{"Graph.output_net_file()", {"file_name"}, 1}.panicking_on_foreign_thread();
constexpr Signature kOutputJsonFile =
    Signature{"Graph.output_json_file()", {"file_name"}, 1}.panicking_on_foreign_thread();
constexpr Signature kFromNetFile = Signature{"Graph.from_net_file()", {"file_path"}, 1}.panicking_on_foreign_thread();
constexpr Signature kFromJsonFile = Signature{"Graph.from_json_file()", {"file_path"}, 1}.panicking_on_foreign_thread();

constexpr const char* kOpenFailed = "Failed to open file";
constexpr const char* kNetReadFailed = "Failed to read .net file";
constexpr const char* kJsonReadFailed = "Failed to read .json file";

// "{prefix}: {description}", reported at the caller's position.
[[noreturn]] void fail_with(const char* prefix, const std::string& description,
                            std::source_location where = std::source_location::current()) {
  fail(std::string(prefix) + ": " + description, where);
}

using Writer = std::optional<std::string> (*)(const std::string&, const GraphStore&);

PyObject* output_file(Writer write, const Signature& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                      PyObject* kwnames) {
  return call_method<PyGraph>(self, signature, Access::Exclusive, args, nargs, kwnames,
                              [write](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string path(to_text(arguments[0], "file_name"));
                                if (auto error = write(path, data.graph)) fail_with(kCreateFileFailed, *error);
                                return none();
                              });
}

PyObject* graph_output_net_file(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return output_file(write_net_file, kOutputNetFile, self, args, nargs, kwnames);
}

PyObject* graph_output_json_file(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return output_file(write_json_file, kOutputJsonFile, self, args, nargs, kwnames);
}

PyObject* graph_from_net_file(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  (void)self;
  return call_static(kFromNetFile, args, nargs, kwnames, [](const Arguments& arguments) {
    ReadResult result = read_net_file(std::string(to_text(arguments[0], "file_path")));
    if (!result.graph) {
      fail_with(result.error.stage == FileError::Stage::Open ? kOpenFailed : kNetReadFailed, result.error.description);
    }
    return wrap_graph(std::move(*result.graph));
  });
}

PyObject* graph_from_json_file(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  (void)self;
  return call_static(kFromJsonFile, args, nargs, kwnames, [](const Arguments& arguments) {
    ReadResult result = read_json_file(std::string(to_text(arguments[0], "file_path")));
    if (!result.graph) fail_with(kJsonReadFailed, result.error.description);
    return wrap_graph(std::move(*result.graph));
  });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;
constexpr int kStatic = METH_FASTCALL | METH_KEYWORDS | METH_STATIC;

PyMethodDef kMethods[] = {
    {"output_net_file", as_method(graph_output_net_file), kMethod, "output_net_file($self, file_name)\n--\n\n"},
    {"output_json_file", as_method(graph_output_json_file), kMethod, "output_json_file($self, file_name)\n--\n\n"},
    {"from_net_file", as_method(graph_from_net_file), kStatic, "from_net_file(file_path)\n--\n\n"},
    {"from_json_file", as_method(graph_from_json_file), kStatic, "from_json_file(file_path)\n--\n\n"},
};

}  // namespace

std::span<const PyMethodDef> graph_files_methods() { return kMethods; }

}  // namespace mivora::py
