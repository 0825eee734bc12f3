// Graph methods for reading and writing graph files of every format by name or extension.
#include "graph_py/py_graph.hpp"

namespace mivora::py {

std::span<const PyMethodDef> graph_formats_methods() { return {}; }

}  // namespace mivora::py
