#include "formats/pajek_label.hpp"

namespace mivora {
namespace {

constexpr std::string_view kQuote = "&#34;";
constexpr std::string_view kAmpersand = "&#38;";

bool starts_reference(std::string_view text) { return text.starts_with(kQuote) || text.starts_with(kAmpersand); }

}  // namespace

void append_pajek_label(std::string& out, std::string_view label) {
  for (std::size_t at = 0; at < label.size(); ++at) {
    const char c = label[at];
    if (c == '"')
      out += kQuote;
    else if (c == '&' && starts_reference(label.substr(at)))
      out += kAmpersand;
    else
      out += c;
  }
}

bool has_pajek_reference(std::string_view label) {
  for (std::size_t at = label.find('&'); at != std::string_view::npos; at = label.find('&', at + 1)) {
    if (starts_reference(label.substr(at))) return true;
  }
  return false;
}

void decode_pajek_label(std::string_view label, std::string& out) {
  out.clear();
  while (!label.empty()) {
    const std::size_t at = label.find('&');
    if (at == std::string_view::npos) break;
    out.append(label.substr(0, at));
    label.remove_prefix(at);
    if (label.starts_with(kQuote)) {
      out += '"';
      label.remove_prefix(kQuote.size());
    } else if (label.starts_with(kAmpersand)) {
      out += '&';
      label.remove_prefix(kAmpersand.size());
    } else {
      out += '&';
      label.remove_prefix(1);
    }
  }
  out.append(label);
}

}  // namespace mivora
