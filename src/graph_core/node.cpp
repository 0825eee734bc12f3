#include "graph_core/node.hpp"

namespace mivora {
namespace {

thread_local std::uint64_t connections_added = 0;

}  // namespace

std::uint64_t connections_added_on_this_thread() { return connections_added; }
void note_connections_added(std::uint64_t count) { connections_added += count; }

void NodeRecord::add_connection(const std::shared_ptr<NodeRecord>& target, bool is_directed, Weight weight) {
  const bool same_graph = graph_serial != kNoGraph && target->graph_serial == graph_serial &&
                          target->position < StoredConnection::kNotLocal;
  StoredConnection connection{target, weight, StoredConnection::kNotLocal, is_directed};
  if (same_graph) connection.local_target = static_cast<std::uint32_t>(target->position);
  connections.push_back(std::move(connection));
  ++connections_added;
}

}  // namespace mivora
