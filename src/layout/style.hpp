#pragma once
// GraphStyle: every visual choice of a drawing. A plain value, copied into
// each drawing when it starts.
#include <cstdint>
#include <string>

namespace mivora {

struct GraphStyle {
  std::string node_color = "blue";
  std::string node_border = "blue";
  std::int32_t node_radius = 20;
  std::string marker_svg = "M0,0 L0,6 L9,3 z";
  std::string marker_fill = "black";
  std::int32_t marker_width = 30;
  std::int32_t marker_height = 30;
  std::string line_color = "black";
  std::int32_t line_min_width = 1;
  std::int32_t line_max_width = 5;
  bool dynamic_line_size = true;
};

}  // namespace mivora
