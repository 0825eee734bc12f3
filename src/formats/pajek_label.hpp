#pragma once
// How a label holding a double quote stands between the quotes of a Pajek
// vertex line in the files Graph.write makes: the quote as "&#34;", as igraph
// writes it, and an ampersand that would otherwise start one of the two
// references as "&#38;", so that every label reads back as it was.
#include <string>
#include <string_view>

namespace mivora {

// Appends `label` with those references.
void append_pajek_label(std::string& out, std::string_view label);

// Whether `label` (as read between the quotes) holds a reference to decode.
bool has_pajek_reference(std::string_view label);

// Replaces `out` with `label`, each reference decoded in one pass.
void decode_pajek_label(std::string_view label, std::string& out);

}  // namespace mivora
