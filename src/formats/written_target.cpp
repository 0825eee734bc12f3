// The single rule every writer follows for where a connection leads.
#include "formats/formats.hpp"

namespace mivora {

std::optional<NodeIndex> written_target(const GraphStore& graph, const NodeRecord& from,
                                        const StoredConnection& connection) {
  if (connection.is_local()) return connection.target;
  const NodeHandle target = from.outside_target(connection);
  if (!target) return std::nullopt;
  if (target->graph_serial == graph.serial()) return target->position;
  // A node of another graph (or of none): the node of this graph that
  // carries its label stands for it; its position in its own graph would
  // name an unrelated node here.
  if (const auto same_label = graph.find_by_label(target->label)) return *same_label;
  throw NotWritable("a connection leads to the node '" + target->label.text() +
                    "' of another graph, and no node of this graph carries that label");
}

}  // namespace mivora
