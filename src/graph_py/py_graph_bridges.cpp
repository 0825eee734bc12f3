// Graph methods for exchanging graphs with arrays, tables, networkx and igraph.
#include "graph_py/py_graph.hpp"

namespace mivora::py {

std::span<const PyMethodDef> graph_bridges_methods() { return {}; }

}  // namespace mivora::py
