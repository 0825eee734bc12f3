#pragma once
// Connected components of a snapshot, over the first node of each label
// (later nodes with a repeated label take no part).
#include "graph_core/snapshot.hpp"
#include "measures/node_groups.hpp"

namespace mivora {

// Weak components: every link joins its two ends, whatever its direction.
NodeGroups weak_components(const LinkList& links);

// Strong components: arcs followed forward only, edges both ways.
NodeGroups strong_components(const LinkList& links, const AdjacencyRows& out);

// Whether the taking-part nodes form one weak component; MeasureError for a
// graph without nodes (connectedness means nothing there).
bool is_weakly_connected(const LinkList& links);

}  // namespace mivora
