// Graph methods for network measures on the adjacency snapshot.
#include "graph_py/py_graph.hpp"

namespace mivora::py {

std::span<const PyMethodDef> graph_measures_methods() { return {}; }

}  // namespace mivora::py
