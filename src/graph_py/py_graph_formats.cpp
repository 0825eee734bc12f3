// Graph methods for reading and writing graph files of every format by name or
// extension, and mivora.FormatError.
#include <cstring>
#include <memory>
#include <string>

#include "formats/format_by_content.hpp"
#include "formats/formats.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_py/py_graph.hpp"
#include "text_io/byte_source.hpp"
#include "text_io/checked_writer.hpp"
#include "text_io/file_error.hpp"
#include "text_io/format_error.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

using Writer = void (*)(const GraphStore&, CheckedWriter&, const WriteOptions&);

struct Format {
  const char* name;
  GraphReader read;
  Writer write;
  const char* extensions[5];
};

constexpr Format kFormats[] = {
    {"pajek", read_pajek, write_pajek, {".net", ".paj"}},
    {"gml", read_gml, write_gml, {".gml"}},
    {"graphml", read_graphml, write_graphml, {".graphml", ".xml"}},
    {"gexf", read_gexf, write_gexf, {".gexf"}},
    {"edgelist", read_edgelist, write_edgelist, {".csv", ".tsv", ".txt", ".edges", ".edgelist"}},
    {"json", read_json, write_json, {".json"}},
};

constexpr const char* kFormatNames = "'pajek', 'gml', 'graphml', 'gexf', 'edgelist' or 'json'";
constexpr const char* kExtensions =
    ".net, .paj, .gml, .graphml, .xml, .gexf, .csv, .tsv, .txt, .edges, .edgelist, .json";

[[noreturn]] void raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
  throw PythonError{};
}

std::string lower_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

const Format* format_named(std::string_view name) {
  for (const Format& entry : kFormats) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

// The format the file name's extension stands for, if any.
const Format* format_of_extension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
  const std::string extension = lower_ascii(std::string_view(path).substr(dot));
  for (const Format& entry : kFormats) {
    for (const char* known : entry.extensions) {
      if (known != nullptr && extension == known) return &entry;
    }
  }
  return nullptr;
}

// Extensions that many formats use: the content decides.
bool extension_is_generic(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : lower_ascii(std::string_view(path).substr(dot));
  return extension == ".txt" || extension == ".xml";
}

const Format* given_format(PyObject* format) {
  if (format == nullptr || format == Py_None) return nullptr;
  const std::string name = lower_ascii(to_text(format, "format"));
  if (const Format* entry = format_named(name)) return entry;
  raise(PyExc_ValueError, "unknown format '" + name + "': expected " + kFormatNames);
}

const Format& format_for(PyObject* format, const std::string& path) {
  if (const Format* entry = given_format(format)) return *entry;
  if (const Format* entry = format_of_extension(path)) return *entry;
  raise(PyExc_ValueError, "cannot tell the format of '" + path + "' from its extension (known: " + kExtensions +
                              "): pass format= one of " + kFormatNames);
}

// The format to read a file in when format= is not given: its extension's,
// unless the extension is generic or missing, then what the first bytes
// show (an edge list when they show no other format). A file whose
// extension names one format while its content plainly is another is a
// FormatError naming both.
const Format& format_from_content(const std::string& path, const Format* by_name, std::string_view head) {
  const ContentFormat content = format_by_content(head);
  const Format* found = format_named(content.format);
  if (by_name != nullptr && !extension_is_generic(path)) {
    if (found != nullptr && found != by_name) {
      throw FormatError(std::string("the file name says ") + by_name->name + " but the content is " + found->name +
                            " (" + content.evidence + "): pass format='" + found->name + "' to read it as " +
                            found->name,
                        0);
    }
    return *by_name;
  }
  if (found != nullptr) return *found;
  if (content.format == "xml") {
    throw FormatError("expected a graph file (an XML root element <graphml> or <gexf>), found " + content.evidence, 0);
  }
  return by_name != nullptr ? *by_name : *format_named("edgelist");
}

// ---- Graph.read ------------------------------------------------------------------

constexpr Signature kRead = Signature{"Graph.read()",
                                      {"file_path", "format", "encoding", "positions", "directed", "delimiter",
                                       "comments", "header", "weight", "progress"},
                                      1}
                                .keyword_only_from(2);

bool given(PyObject* value) { return value != nullptr && value != Py_None; }

char to_delimiter(PyObject* value, const char* name) {
  const std::string_view text = to_text(value, name);
  if (text.size() != 1) raise(PyExc_ValueError, std::string(name) + " must be a single character");
  return text[0];
}

// Edge-list options given for a file of another format.
void check_edge_list_options(const Arguments& arguments, const Format& format) {
  if (std::strcmp(format.name, "edgelist") == 0) return;
  for (std::size_t i = 4; i <= 8; ++i) {
    if (given(arguments[i])) {
      raise(PyExc_ValueError, std::string(kRead.parameters[i]) + "= applies to edge lists only, not to " + format.name);
    }
  }
}

ReadOptions read_options(const Arguments& arguments) {
  ReadOptions options;
  if (given(arguments[2])) {
    const auto encoding = parse_text_encoding(to_text(arguments[2], "encoding"));
    if (!encoding) {
      raise(PyExc_ValueError, "unknown encoding '" + std::string(to_text(arguments[2], "encoding")) + "': expected " +
                                  kAcceptedEncodings);
    }
    options.encoding = *encoding;
  }
  if (given(arguments[3])) {
    const std::string_view positions = to_text(arguments[3], "positions");
    if (positions == "file") {
      options.positions = PositionMode::File;
    } else if (positions != "canvas") {
      raise(PyExc_ValueError, "positions must be 'canvas' or 'file', not '" + std::string(positions) + "'");
    }
  }
  if (given(arguments[4])) options.directed = to_bool(arguments[4], "directed");
  if (given(arguments[5])) options.delimiter = to_delimiter(arguments[5], "delimiter");
  if (given(arguments[6])) options.comments = std::string(to_text(arguments[6], "comments"));
  if (given(arguments[7])) options.header = to_bool(arguments[7], "header");
  if (given(arguments[8])) {
    const std::int32_t column = to_i32(arguments[8], "weight");
    if (column < 0) raise(PyExc_ValueError, "weight must be a column number from 0");
    options.weight = static_cast<std::size_t>(column);
  }
  return options;
}

PyObject* graph_read(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_static(kRead, args, nargs, kwnames, [](const Arguments& arguments) {
    const std::string path = to_path(arguments[0], "file_path");
    const Format* chosen = given_format(arguments[1]);
    const Format* by_name = format_of_extension(path);
    const ReadOptions options = read_options(arguments);
    // Options that cannot apply fail before the file is opened where the
    // name already tells the format.
    if (chosen != nullptr) check_edge_list_options(arguments, *chosen);
    if (chosen == nullptr && by_name != nullptr && !extension_is_generic(path))
      check_edge_list_options(arguments, *by_name);
    const bool guess_encoding = !given(arguments[2]);
    ProgressReport progress(arguments[9], "Graph.read()");
    ReadNotes notes;
    std::optional<TextEncoding> guessed;
    GraphStore graph = read_graph_file_by_content(
        path,
        [&](std::string_view head) -> GraphReader {
          const Format& format = chosen != nullptr ? *chosen : format_from_content(path, by_name, head);
          if (chosen == nullptr) check_edge_list_options(arguments, format);
          return format.read;
        },
        options, guess_encoding, guessed, notes);
    if (guessed) {
      const std::string other = *guessed == TextEncoding::Cp1250 ? "cp1252" : "cp1250";
      const std::string message = path + ": the file is not UTF-8; read as " + text_encoding_name(*guessed) +
                                  ", which its bytes fit best; pass encoding= ('" + other +
                                  "', 'latin-1', 'utf-8') to read it otherwise";
      if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) < 0) throw PythonError{};
    }
    for (const std::string& warning : notes.warnings) {
      const std::string message = path + ": " + warning;
      if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) < 0) throw PythonError{};
    }
    progress.finish();
    return wrap_graph(std::move(graph));
  });
}

// ---- Graph.write -----------------------------------------------------------------

// The separator an edge list is written with unless one is given: what its
// extension promises (comma-separated, tab-separated), else a space.
char delimiter_for(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : lower_ascii(std::string_view(path).substr(dot));
  if (extension == ".csv") return ',';
  if (extension == ".tsv") return '\t';
  return ' ';
}

constexpr Signature kWrite =
    Signature{"Graph.write()", {"file_name", "format", "delimiter", "header", "weights", "sync"}, 1}.keyword_only_from(
        2);

PyObject* graph_write(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kWrite, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const std::string path = to_path(arguments[0], "file_name");
        const Format& format = format_for(arguments[1], path);
        WriteOptions options;
        const bool edge_list = std::strcmp(format.name, "edgelist") == 0;
        for (std::size_t i = 2; i <= 4; ++i) {
          if (given(arguments[i]) && !edge_list) {
            raise(PyExc_ValueError,
                  std::string(kWrite.parameters[i]) + "= applies to edge lists only, not to " + format.name);
          }
        }
        options.delimiter = given(arguments[2]) ? to_delimiter(arguments[2], "delimiter") : delimiter_for(path);
        // An edge list of a graph with link attributes names its columns unless told not to.
        options.header = edge_list && !data.graph.attributes().connections().empty();
        if (given(arguments[3])) options.header = to_bool(arguments[3], "header");
        if (given(arguments[4])) options.weights = to_bool(arguments[4], "weights");
        const bool sync = arguments[5] == nullptr || to_bool(arguments[5], "sync");
        CheckedWriter out(path, sync);
        format.write(data.graph, out, options);
        out.commit();
        return none();
      });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;
constexpr int kStatic = METH_FASTCALL | METH_KEYWORDS | METH_STATIC;

PyMethodDef kMethods[] = {
    {"read", as_method(graph_read), kStatic,
     "read(file_path, format=None, *, encoding='utf-8', positions='canvas', directed=None, delimiter=None, "
     "comments='#%', header=None, weight=None, progress=None)\n--\n\n" MIVORA_DOC_Graph_read},
    {"write", as_method(graph_write), kMethod,
     "write($self, file_name, format=None, *, delimiter=None, header=None, "
     "weights=None, sync=True)\n--\n\n" MIVORA_DOC_Graph_write},
};

}  // namespace

std::span<const PyMethodDef> graph_formats_methods() { return kMethods; }

}  // namespace mivora::py
