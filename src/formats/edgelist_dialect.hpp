#pragma once
// What the edge-list reader concludes from the first rows of a file, shared
// with the writer so that it can write what the reader will take for what
// it meant: whether the first row names the columns.
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// A field the reader takes for a number (a weight, or a count).
bool is_number_field(std::string_view field);
// The names that give a column of the header its role; the first column of
// each role counts, a later one of the same name is a link attribute.
bool names_source_column(std::string_view field);
bool names_target_column(std::string_view field);
bool names_weight_column(std::string_view field);
bool names_type_column(std::string_view field);  // the links' directions

// Whether the first of `rows` (each split into its fields, unquoted) names
// the columns: it names the two ends (source and target, from and to, ...)
// or holds a word in one of its first three columns where every later row
// holds a number.
bool reads_as_header(const std::vector<std::vector<std::string>>& rows);

}  // namespace mivora
