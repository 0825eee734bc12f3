// Graph methods for centralities and communities on the adjacency snapshot.
#include "graph_py/py_graph.hpp"

namespace mivora::py {

std::span<const PyMethodDef> graph_centrality_methods() { return {}; }

}  // namespace mivora::py
