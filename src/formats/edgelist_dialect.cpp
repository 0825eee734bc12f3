#include "formats/edgelist_dialect.hpp"

#include <algorithm>
#include <array>

#include "text_io/text_scan.hpp"

namespace mivora {
namespace {

template <std::size_t N>
bool names_one_of(std::string_view field, const std::array<std::string_view, N>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view name) { return equals_ignoring_case(field, name); });
}

constexpr std::array<std::string_view, 9> kSourceNames = {"source", "from",      "src",  "node1", "u",
                                                          "id1",    "source_id", "head", "start"};
constexpr std::array<std::string_view, 9> kTargetNames = {"target", "to",        "dst",  "node2", "v",
                                                          "id2",    "target_id", "tail", "end"};

}  // namespace

bool is_number_field(std::string_view field) {
  double value;
  return parse_float(field, value) == FloatParse::Ok;
}

bool names_source_column(std::string_view field) { return names_one_of(field, kSourceNames); }
bool names_target_column(std::string_view field) { return names_one_of(field, kTargetNames); }
bool names_weight_column(std::string_view field) { return equals_ignoring_case(field, "weight"); }
bool names_type_column(std::string_view field) { return equals_ignoring_case(field, "type"); }

bool reads_as_header(const std::vector<std::vector<std::string>>& rows) {
  if (rows.empty()) return false;
  const std::vector<std::string>& first = rows[0];
  if (first.size() >= 2 && names_source_column(first[0]) && names_target_column(first[1])) return true;
  if (first.size() < 2 || rows.size() < 2) return false;
  for (std::size_t i = 0; i < std::min<std::size_t>(first.size(), 3); ++i) {
    if (is_number_field(first[i])) continue;
    bool numbers_below = true;
    for (std::size_t r = 1; r < rows.size() && numbers_below; ++r) {
      numbers_below = rows[r].size() > i && is_number_field(rows[r][i]);
    }
    if (numbers_below) return true;
  }
  return false;
}

}  // namespace mivora
