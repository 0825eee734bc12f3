#include "graph_core/node.hpp"

namespace mivora {

void NodeRecord::add_connection(const std::shared_ptr<NodeRecord>& target, bool is_directed, Weight weight) {
  const bool same_graph = graph_serial != kNoGraph && target->graph_serial == graph_serial &&
                          target->position < StoredConnection::kNotLocal;
  StoredConnection connection{target, weight, StoredConnection::kNotLocal, is_directed};
  if (same_graph) connection.local_target = static_cast<NodeId>(target->position);
  connections.push_back(std::move(connection));
}

}  // namespace mivora
