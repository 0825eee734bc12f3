#pragma once
// Node layouts on the 1500 x 700 canvas. Each layout writes x and y of every
// node of the graph; the positions stay in the graph.
#include <cstdint>

#include "graph_core/graph.hpp"
#include "graph_core/random_generator.hpp"

namespace mivora {

// The value is the index into the table of layout functions.
enum class LayoutKind : int { Random = 0, Circular = 1, Spring = 2, Force = 3 };

// x uniform in [20, 1500), y uniform in [20, 700), drawn x then y per node.
void generate_random_positions(GraphStore& graph);
void generate_random_positions(GraphStore& graph, RandomGenerator& random);
// Evenly on a circle of radius 200 around (800, 400), the first node at (1000, 400).
void generate_circular_positions(GraphStore& graph);
// Fruchterman-Reingold from a random start: 50 iterations, step limit
// 150 * 0.95^(i-1), nodes kept inside [20, 1500] x [20, 700].
void generate_force_layout_positions(GraphStore& graph);
void generate_force_layout_positions(GraphStore& graph, RandomGenerator& random);

// Runs the layout that `kind` names. Layouts that draw random numbers take
// them from `random`, or from the thread's generator.
void generate_positions(GraphStore& graph, LayoutKind kind);
void generate_positions(GraphStore& graph, LayoutKind kind, RandomGenerator& random);

}  // namespace mivora
