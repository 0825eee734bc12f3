#include "formats/xml_scanner.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "text_io/cancellation.hpp"
#include "text_io/format_error.hpp"

// Expat's tables of the characters XML 1.0 allows in names (bitmaps by
// Unicode page, from third_party/expat/lib): the scanner must accept exactly
// the names Expat accepts.
#include "nametab.h"

namespace mivora {

namespace {

// ---- characters -----------------------------------------------------------------

using Byte = unsigned char;

bool is_space(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

// What each byte can be in a name: ASCII bytes by XML's rules, bytes above
// ASCII the start of a character to look up.
enum NameByte : std::uint8_t { kNotName = 0, kNameChar = 1, kNameStart = 3, kMultibyte = 4, kColon = 8 };

constexpr std::array<std::uint8_t, 256> name_bytes() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[c] = kNameStart;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = kNameStart;
  table['_'] = kNameStart;
  table[':'] = kNameStart | kColon;  // without namespace processing a colon is a letter
  for (int c = '0'; c <= '9'; ++c) table[c] = kNameChar;
  table['-'] = table['.'] = kNameChar;
  for (int c = 0x80; c < 0x100; ++c) table[c] = kMultibyte;
  return table;
}
constexpr auto kNameBytes = name_bytes();

// Bytes where a run of text, of an attribute value, of a comment or of a
// processing instruction must stop and look: its own delimiters, the
// control characters XML forbids and every byte above ASCII (a multi-byte
// character to check).
constexpr std::array<bool, 256> stops_at(std::string_view delimiters) {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = c != '\t' && c != '\n' && c != '\r';
  for (int c = 0x80; c < 0x100; ++c) table[c] = true;
  for (char c : delimiters) table[static_cast<Byte>(c)] = true;
  return table;
}
constexpr auto kTextStops = stops_at("<&]\r");
constexpr auto kValueStops = stops_at("<&\"'\t\n\r");
constexpr auto kCommentStops = stops_at("-");
constexpr auto kInstructionStops = stops_at("?");
constexpr auto kCdataStops = stops_at("]\r");

const char* run_end(const char* p, const char* end, const std::array<bool, 256>& stops) {
  while (p < end && !stops[static_cast<Byte>(*p)]) ++p;
  return p;
}

// The length of the UTF-8 character at p (2 to 4), 0 when the bytes are not
// one Expat accepts (a stray or overlong byte, a surrogate, U+FFFE, U+FFFF,
// beyond U+10FFFF), -1 when the input ends inside it.
int multibyte_length(const char* at, const char* end) {
  const auto* p = reinterpret_cast<const Byte*>(at);
  const int length = p[0] < 0xC2 ? 0 : p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : p[0] < 0xF5 ? 4 : 0;
  if (length == 0) return 0;
  if (end - at < length) return -1;
  auto trail = [](Byte b) { return (b & 0xC0) == 0x80; };
  switch (length) {
    case 2:
      return trail(p[1]) ? 2 : 0;
    case 3:
      if (!trail(p[1]) || !trail(p[2])) return 0;
      if (p[0] == 0xE0 && p[1] < 0xA0) return 0;             // overlong
      if (p[0] == 0xED && p[1] > 0x9F) return 0;             // surrogate
      if (p[0] == 0xEF && p[1] == 0xBF && p[2] > 0xBD) return 0;  // U+FFFE, U+FFFF
      return 3;
    default:
      if (!trail(p[1]) || !trail(p[2]) || !trail(p[3])) return 0;
      if (p[0] == 0xF0 && p[1] < 0x90) return 0;  // overlong
      if (p[0] == 0xF4 && p[1] > 0x8F) return 0;  // beyond U+10FFFF
      return 4;
  }
}

// Whether the valid multi-byte character at p (of `length` bytes) may start
// or continue a name: Expat's bitmaps, which know no name character beyond
// the Basic Multilingual Plane.
bool multibyte_in_name(const char* at, int length, bool start) {
  const auto* p = reinterpret_cast<const Byte*>(at);
  const unsigned char* pages = start ? nmstrtPages : namePages;
  if (length == 2) {
    const unsigned word = (pages[(p[0] >> 2) & 7] << 3) + ((p[0] & 3) << 1) + ((p[1] >> 5) & 1);
    return (namingBitmap[word] & (1u << (p[1] & 0x1F))) != 0;
  }
  if (length == 3) {
    const unsigned word =
        (pages[((p[0] & 0xF) << 4) + ((p[1] >> 2) & 0xF)] << 3) + ((p[1] & 3) << 1) + ((p[2] >> 5) & 1);
    return (namingBitmap[word] & (1u << (p[2] & 0x1F))) != 0;
  }
  return false;
}

bool is_xml_char(std::uint32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Writes the code point's UTF-8 bytes (at most 4) at `out` and moves it on.
void put_utf8(char*& out, std::uint32_t code) {
  if (code < 0x80) {
    *out++ = static_cast<char>(code);
  } else if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
}

// ---- tokens ---------------------------------------------------------------------

// A token scanned from p: complete (its end), cut off by the end of the
// window (more input decides), or malformed.
enum class Outcome { complete, cut, malformed };
struct Scan {
  Outcome outcome;
  const char* end = nullptr;
  bool prefixed = true;  // of a name: whether it may hold a colon
};
constexpr Scan kCut{Outcome::cut};
constexpr Scan kMalformed{Outcome::malformed};

// A name from p, with characters above ASCII: its end is the first byte
// that is not a name character.
[[gnu::noinline]] Scan scan_name_with_multibyte(const char* p, const char* end) {
  bool start = true;
  while (p < end) {
    const std::uint8_t kind = kNameBytes[static_cast<Byte>(*p)];
    if (kind != kMultibyte) {
      if (kind == kNotName || (start && (kind & kNameStart) != kNameStart)) {
        return start ? kMalformed : Scan{Outcome::complete, p};
      }
      ++p;
    } else {
      const int length = multibyte_length(p, end);
      if (length < 0) return kCut;
      if (length == 0 || !multibyte_in_name(p, length, start)) return start ? kMalformed : Scan{Outcome::complete, p};
      p += length;
    }
    start = false;
  }
  return kCut;
}

// A name from p; ASCII names, the common case, in a tight loop.
inline Scan scan_name(const char* p, const char* end) {
  const char* q = p;
  if (q < end && (kNameBytes[static_cast<Byte>(*q)] & kNameStart) == kNameStart) {
    std::uint8_t seen = kNameBytes[static_cast<Byte>(*q)];
    ++q;
    while (q < end && (kNameBytes[static_cast<Byte>(*q)] & kNameChar) != 0) seen |= kNameBytes[static_cast<Byte>(*q++)];
    if (q < end && kNameBytes[static_cast<Byte>(*q)] != kMultibyte) return {Outcome::complete, q, (seen & kColon) != 0};
  }
  return scan_name_with_multibyte(p, end);
}

// Whether two short texts (names) are equal, without a call to memcmp.
inline bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// The name without its namespace prefix; `prefixed` as the name's scan found.
inline std::string_view local_part(std::string_view name, bool prefixed) { return prefixed ? local_name(name) : name; }

// A run of characters up to the next stop byte that is not a valid
// multi-byte character: multi-byte characters are checked and passed.
Scan scan_characters(const char* p, const char* end, const std::array<bool, 256>& stops) {
  while (true) {
    p = run_end(p, end, stops);
    if (p == end || static_cast<Byte>(*p) < 0x80) return {Outcome::complete, p};
    const int length = multibyte_length(p, end);
    if (length < 0) return kCut;
    if (length == 0) return kMalformed;
    p += length;
  }
}

// A comment from just after "<!--".
Scan scan_comment(const char* p, const char* end) {
  while (true) {
    const Scan run = scan_characters(p, end, kCommentStops);
    if (run.outcome != Outcome::complete) return run;
    p = run.end;
    if (p == end) return kCut;
    if (*p != '-') return kMalformed;  // a control character
    if (end - p < 3) return kCut;
    if (p[1] == '-') return p[2] == '>' ? Scan{Outcome::complete, p + 3} : kMalformed;
    ++p;
  }
}

// A processing instruction from just after "<?". `xml_target` says whether
// its target is "xml" in any case (the declaration, or a reserved name).
Scan scan_instruction(const char* p, const char* end, bool* xml_target = nullptr) {
  const Scan target = scan_name(p, end);
  if (target.outcome != Outcome::complete) return target;
  const bool reserved = target.end - p == 3 && (p[0] | 0x20) == 'x' && (p[1] | 0x20) == 'm' && (p[2] | 0x20) == 'l';
  if (xml_target != nullptr) *xml_target = reserved;
  if (reserved) return kMalformed;
  p = target.end;
  if (end - p < 2) return kCut;
  if (p[0] == '?') return p[1] == '>' ? Scan{Outcome::complete, p + 2} : kMalformed;
  if (!is_space(*p)) return kMalformed;
  while (true) {
    const Scan run = scan_characters(p, end, kInstructionStops);
    if (run.outcome != Outcome::complete) return run;
    p = run.end;
    if (p == end) return kCut;
    if (*p != '?') return kMalformed;
    if (end - p < 2) return kCut;
    if (p[1] == '>') return {Outcome::complete, p + 2};
    ++p;
  }
}

// A reference from its '&': writes the character it stands for at `out`
// (at most 4 bytes, never more than the reference's own) and moves it on.
Scan scan_reference(const char* p, const char* end, char*& out) {
  ++p;
  if (p == end) return kCut;
  if (*p == '#') {
    ++p;
    if (p == end) return kCut;
    const bool hex = *p == 'x';
    if (hex) ++p;
    std::uint32_t code = 0;
    const char* digits = p;
    for (; p < end; ++p) {
      const char c = *p;
      unsigned digit;
      if (c >= '0' && c <= '9') {
        digit = static_cast<unsigned>(c - '0');
      } else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        digit = static_cast<unsigned>((c | 0x20) - 'a' + 10);
      } else {
        break;
      }
      code = code * (hex ? 16u : 10u) + digit;
      if (code > 0x10FFFF) code = 0x110000;  // stays out of range, never wraps
    }
    if (p == end) return kCut;
    if (*p != ';' || p == digits || !is_xml_char(code)) return kMalformed;
    put_utf8(out, code);
    return {Outcome::complete, p + 1};
  }
  const Scan name = scan_name(p, end);
  if (name.outcome != Outcome::complete) return name;
  if (*name.end != ';') return kMalformed;
  const std::string_view entity(p, static_cast<std::size_t>(name.end - p));
  char replacement;
  if (entity == "lt") {
    replacement = '<';
  } else if (entity == "gt") {
    replacement = '>';
  } else if (entity == "amp") {
    replacement = '&';
  } else if (entity == "quot") {
    replacement = '"';
  } else if (entity == "apos") {
    replacement = '\'';
  } else {
    return kMalformed;  // no DTD, so no other entity exists
  }
  *out++ = replacement;
  return {Outcome::complete, name.end + 1};
}

bool starts_with(const char* p, const char* end, std::string_view prefix) {
  return static_cast<std::size_t>(end - p) >= prefix.size() && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

// Whether [p, end) could still grow into `prefix` (a prefix of it, cut off).
bool cut_prefix_of(const char* p, const char* end, std::string_view prefix) {
  const auto have = static_cast<std::size_t>(end - p);
  return have < prefix.size() && std::memcmp(p, prefix.data(), have) == 0;
}

// ---- the prolog -----------------------------------------------------------------

// `<?xml version="1.0" encoding="UTF-8" standalone="yes"?>`, encoding and
// standalone optional, in the order the grammar fixes.
const char* plain_declaration_end(const char* p, const char* end) {
  p += 5;  // "<?xml"
  auto pseudo_attribute = [&](std::string_view name, auto accepted) -> bool {
    const char* at = p;
    if (at == end || !is_space(*at)) return false;
    while (at < end && is_space(*at)) ++at;
    if (!starts_with(at, end, name)) return false;
    at += name.size();
    while (at < end && is_space(*at)) ++at;
    if (at == end || *at != '=') return false;
    ++at;
    while (at < end && is_space(*at)) ++at;
    if (at == end || (*at != '"' && *at != '\'')) return false;
    const char quote = *at++;
    const char* value = at;
    while (at < end && *at != quote) ++at;
    if (at == end || !accepted(std::string_view(value, static_cast<std::size_t>(at - value)))) return false;
    p = at + 1;
    return true;
  };
  if (!pseudo_attribute("version", [](std::string_view v) { return v == "1.0"; })) return nullptr;
  pseudo_attribute("encoding", [](std::string_view v) {
    return v.size() == 5 && (v[0] | 0x20) == 'u' && (v[1] | 0x20) == 't' && (v[2] | 0x20) == 'f' && v[3] == '-' &&
           v[4] == '8';
  });
  pseudo_attribute("standalone", [](std::string_view v) { return v == "yes" || v == "no"; });
  while (p < end && is_space(*p)) ++p;
  return starts_with(p, end, "?>") ? p + 2 : nullptr;
}

}  // namespace

std::optional<std::size_t> plain_document_root(std::string_view start) {
  const char* const begin = start.data();
  const char* const end = begin + start.size();
  const char* p = begin;
  if (starts_with(p, end, "\xEF\xBB\xBF")) p += 3;
  if (starts_with(p, end, "<?xml") && end - p > 5 && is_space(p[5])) {
    p = plain_declaration_end(p, end);
    if (p == nullptr) return std::nullopt;  // another encoding or version: Expat decides
  }
  while (true) {
    while (p < end && is_space(*p)) ++p;
    if (end - p < 2 || *p != '<') return std::nullopt;
    if (starts_with(p, end, "<!--")) {
      const Scan comment = scan_comment(p + 4, end);
      if (comment.outcome != Outcome::complete) return std::nullopt;
      p = comment.end;
    } else if (p[1] == '?') {
      const Scan instruction = scan_instruction(p + 2, end);
      if (instruction.outcome != Outcome::complete) return std::nullopt;
      p = instruction.end;
    } else if (p[1] == '!') {
      return std::nullopt;  // a DOCTYPE: Expat reads the DTD
    } else {
      return static_cast<std::size_t>(p - begin);
    }
  }
}

namespace {

// ---- the scanner ----------------------------------------------------------------

class Scanner {
 public:
  Scanner(ChunkInput& input, XmlHandler& handler) : input_(input), handler_(handler) {
    wants_text_ = handler_.wants_text();
  }

  void run(std::size_t root) {
    at_ = root;
    view();
    while (true) {
      const char* p = begin_ + at_;
      if (p == end_) {
        if (!refill(at_)) break;
        continue;
      }
      const Scan token = *p == '<' ? markup(p) : text(p);
      if (token.outcome == Outcome::malformed) fault(p);
      if (token.outcome == Outcome::cut && token.end == nullptr) {
        // Nothing of the token was taken: it needs more input.
        if (refill_for_token()) continue;
        if (root_closed_ && only_space(begin_ + at_, end_)) break;  // a last "\r"
        fault(begin_ + at_);
      }
      at_ = static_cast<std::size_t>(token.end - begin_);
    }
    if (!root_closed_) fault(end_);  // the document ends inside its root
  }

 private:
  void view() {
    const std::string_view window = input_.window();
    begin_ = window.data();
    end_ = begin_ + window.size();
  }

  // Drops the window's bytes before `keep` (counting their lines first) and
  // appends more input; false at the end of the input. The window is seen
  // afresh: only refills move it.
  bool refill(std::size_t keep) {
    count_lines_to(keep);
    const bool more = input_.more(keep);
    counted_ = 0;
    at_ -= keep;
    view();
    poll_cancellation(4096);
    return more;
  }

  // Reads on until the window holds twice what the cut token has so far:
  // a token longer than a chunk is scanned again a few times, not once for
  // every chunk it spans.
  bool refill_for_token() {
    const std::size_t token_bytes = static_cast<std::size_t>(end_ - begin_) - at_;
    if (!refill(at_)) return false;
    while (static_cast<std::size_t>(end_ - begin_) < 2 * token_bytes && input_.more(0)) view();
    view();  // the window's buffer may have moved even when nothing came
    return true;
  }

  // ---- positions: counted in bulk, only for the bytes a refill drops and
  // for the position of a fault.

  void count_lines_to(std::size_t offset) {
    if (offset <= counted_) return;
    const std::string_view counted(begin_ + counted_, offset - counted_);
    const std::size_t last_break = counted.find_last_of("\r\n");
    if (last_break == std::string_view::npos) {
      column_ += xml_columns(counted);
    } else {
      line_ += line_breaks(counted.substr(0, last_break + 1));
      if (previous_ == '\r' && counted.front() == '\n') --line_;  // "\r\n" is one line break
      column_ = xml_columns(counted.substr(last_break + 1));
    }
    previous_ = counted.back();
    counted_ = offset;
  }

  // "\n", "\r" and "\r\n" each end a line. Files with "\r" are rare: the
  // common case finds each "\n" with memchr.
  static long line_breaks(std::string_view text) {
    long breaks = 0;
    if (text.find('\r') == std::string_view::npos) {
      for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) ++breaks;
      return breaks;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
      breaks += text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
    }
    return breaks;
  }

  static bool only_space(const char* p, const char* end) {
    for (; p < end; ++p) {
      if (!is_space(*p)) return false;
    }
    return true;
  }


  [[noreturn]] void fault(const char* token) {
    count_lines_to(static_cast<std::size_t>(token - begin_));
    // Never empty: Expat takes a document's first bytes for a guess at its
    // encoding ("<" and a zero byte: UTF-16), the token's included.
    std::string context;
    if (root_closed_) {
      context = "<r/>";
    } else if (open_starts_.empty()) {
      context = "<!---->";
    } else {
      for (std::size_t i = 0; i < open_starts_.size(); ++i) {
        const std::size_t stop = i + 1 < open_starts_.size() ? open_starts_[i + 1] : open_.size();
        context.append("<").append(open_, open_starts_[i], stop - open_starts_[i]).append(">");
      }
    }
    fail_as_expat({context, input_, static_cast<std::size_t>(token - begin_), line_, column_});
  }

  // A handler's FormatError without a position is placed where Expat
  // places it: just after the token.
  template <typename Call>
  void call_handler(const char* token_end, Call&& call) {
    try {
      call();
    } catch (const FormatError& failure) {
      if (failure.line() != 0) throw;
      count_lines_to(static_cast<std::size_t>(token_end - begin_));
      throw FormatError(failure.message(), line_, column_ + 1);
    }
    wants_text_ = handler_.wants_text();
  }

  // ---- content

  Scan markup(const char* p) {
    if (end_ - p < 2) return kCut;
    switch (p[1]) {
      case '/':
        return root_closed_ ? kMalformed : end_tag(p);
      case '?': {
        const Scan instruction = scan_instruction(p + 2, end_);
        return instruction.outcome == Outcome::cut ? kCut : instruction;
      }
      case '!':
        if (starts_with(p, end_, "<!--")) {
          const Scan comment = scan_comment(p + 4, end_);
          return comment.outcome == Outcome::cut ? kCut : comment;
        }
        if (cut_prefix_of(p, end_, "<!--") || cut_prefix_of(p, end_, "<![CDATA[")) return kCut;
        if (starts_with(p, end_, "<![CDATA[") && !root_closed_) return cdata(p + 9);
        return kMalformed;
      default:
        return root_closed_ ? kMalformed : start_tag(p);
    }
  }

  Scan start_tag(const char* lt) {
    const char* name = lt + 1;
    const Scan name_scan = scan_name(name, end_);
    if (name_scan.outcome != Outcome::complete) return name_scan.outcome == Outcome::cut ? kCut : name_scan;
    make_room(static_cast<std::size_t>(end_ - lt));
    attributes_.clear();
    const char* p = name_scan.end;
    while (true) {
      const char* before = p;
      while (p < end_ && is_space(*p)) ++p;
      if (p == end_) return kCut;
      if (*p == '>' || *p == '/') {
        if (*p == '/') {
          if (end_ - p < 2) return kCut;
          if (p[1] != '>') return kMalformed;
        }
        const bool empty = *p == '/';
        const char* const token_end = p + (empty ? 2 : 1);
        const std::string_view raw(name, static_cast<std::size_t>(name_scan.end - name));
        const std::string_view local = local_part(raw, name_scan.prefixed);
        emit_start(token_end, local);
        if (empty) {
          call_handler(token_end, [&] { handler_.end(local); });
          if (open_starts_.empty()) root_closed_ = true;
        } else {
          open_starts_.push_back(open_.size());
          open_.append(raw);
        }
        return {Outcome::complete, token_end};
      }
      if (p == before) return kMalformed;  // attributes need space between them
      const Scan attribute = attribute_of(p);
      if (attribute.outcome != Outcome::complete) return attribute.outcome == Outcome::cut ? kCut : attribute;
      p = attribute.end;
    }
  }

  // One attribute from its name. Its name, and its value where nothing in
  // it needs decoding (nearly always), are views of the window; other
  // values are decoded into scratch_.
  Scan attribute_of(const char* p) {
    const Scan name_scan = scan_name(p, end_);
    if (name_scan.outcome != Outcome::complete) return name_scan;
    const std::string_view name(p, static_cast<std::size_t>(name_scan.end - p));
    for (const XmlHandler::Attribute& earlier : attributes_) {
      if (same_text(earlier.name, name)) return kMalformed;  // a duplicate
    }
    p = name_scan.end;
    while (p < end_ && is_space(*p)) ++p;
    if (p == end_) return kCut;
    if (*p != '=') return kMalformed;
    ++p;
    while (p < end_ && is_space(*p)) ++p;
    if (p == end_) return kCut;
    if (*p != '"' && *p != '\'') return kMalformed;
    const char quote = *p++;
    const char* const value = p;
    while (p < end_ && !kValueStops[static_cast<Byte>(*p)]) ++p;
    if (p == end_) return kCut;
    if (*p == quote) {
      attributes_.push_back({name, std::string_view(value, static_cast<std::size_t>(p - value))});
      return {Outcome::complete, p + 1};
    }
    char* const decoded = scratch_.get() + used_;
    char* out = decoded;
    for (const char* from = value; from < p;) *out++ = *from++;
    while (true) {
      while (p < end_ && !kValueStops[static_cast<Byte>(*p)]) *out++ = *p++;
      if (p == end_) return kCut;
      const char c = *p;
      if (c == quote) break;
      if (c == '"' || c == '\'') {
        *out++ = c;
        ++p;
      } else if (c == '&') {
        const Scan reference = scan_reference(p, end_, out);
        if (reference.outcome != Outcome::complete) return reference;
        p = reference.end;
      } else if (c == '\t' || c == '\n') {
        *out++ = ' ';  // white space in a value reads as a space
        ++p;
      } else if (c == '\r') {
        if (end_ - p < 2) return kCut;
        *out++ = ' ';
        p += p[1] == '\n' ? 2 : 1;
      } else if (static_cast<Byte>(c) >= 0x80) {
        const int bytes = multibyte_length(p, end_);
        if (bytes < 0) return kCut;
        if (bytes == 0) return kMalformed;
        for (int i = 0; i < bytes; ++i) *out++ = *p++;
      } else {
        return kMalformed;  // '<' or a control character
      }
    }
    used_ = static_cast<std::size_t>(out - scratch_.get());
    attributes_.push_back({name, std::string_view(decoded, static_cast<std::size_t>(out - decoded))});
    return {Outcome::complete, p + 1};
  }

  // Decoded, a start tag's values never take more bytes than the tag: room
  // for the rest of the window is room for them all.
  void make_room(std::size_t bytes) {
    used_ = 0;
    if (bytes < scratch_capacity_) return;
    scratch_capacity_ = std::max(bytes + 1, 2 * scratch_capacity_);
    scratch_ = std::make_unique_for_overwrite<char[]>(scratch_capacity_);
  }

  void emit_start(const char* token_end, std::string_view name) {
    call_handler(token_end, [&] {
      handler_.start(name, XmlHandler::Attributes{attributes_.data(), attributes_.size()});
    });
  }

  Scan end_tag(const char* lt) {
    const char* name = lt + 2;
    const Scan name_scan = scan_name(name, end_);
    if (name_scan.outcome != Outcome::complete) return name_scan.outcome == Outcome::cut ? kCut : name_scan;
    const char* p = name_scan.end;
    while (p < end_ && is_space(*p)) ++p;
    if (p == end_) return kCut;
    if (*p != '>' || open_starts_.empty()) return kMalformed;
    const std::string_view raw(name, static_cast<std::size_t>(name_scan.end - name));
    if (!same_text(std::string_view(open_).substr(open_starts_.back()), raw)) return kMalformed;  // a mismatched tag
    call_handler(p + 1, [&] { handler_.end(local_part(raw, name_scan.prefixed)); });
    open_.resize(open_starts_.back());
    open_starts_.pop_back();
    if (open_starts_.empty()) root_closed_ = true;
    return {Outcome::complete, p + 1};
  }

  // Text up to the next markup, or as far as the window lets it be read
  // whole; delivered to the handler only while it wants text. A cut Scan
  // with an end took part of the text.
  Scan text(const char* p) {
    const char* const start = p;
    while (true) {
      const char* run = p;
      p = run_end(p, end_, kTextStops);
      if (root_closed_) {
        for (const char* q = run; q < p; ++q) {
          if (!is_space(*q)) return kMalformed;  // junk after the root
        }
      }
      deliver(run, p);
      if (p == end_) return cut_after(start, p);
      const char c = *p;
      if (c == '<') return {Outcome::complete, p};
      if (root_closed_ && c != '\r') return kMalformed;
      if (c == '&') {
        char piece[4];
        char* piece_end = piece;
        const Scan reference = scan_reference(p, end_, piece_end);
        if (reference.outcome == Outcome::cut) return cut_after(start, p);
        if (reference.outcome == Outcome::malformed) return kMalformed;
        deliver(piece, piece_end);
        p = reference.end;
      } else if (c == ']') {
        if (end_ - p < 3) return cut_after(start, p);
        if (p[1] == ']' && p[2] == '>') return kMalformed;
        deliver(p, p + 1);
        ++p;
      } else if (c == '\r') {
        if (end_ - p < 2) return cut_after(start, p);
        deliver("\n", 1);
        p += p[1] == '\n' ? 2 : 1;
      } else if (static_cast<Byte>(c) >= 0x80) {
        const int length = multibyte_length(p, end_);
        if (length < 0) return cut_after(start, p);
        if (length == 0) return kMalformed;
        deliver(p, p + length);
        p += length;
      } else {
        return kMalformed;  // a control character
      }
    }
  }

  // Text read up to `p` and stopped there for want of input.
  Scan cut_after(const char* start, const char* p) { return p == start ? kCut : Scan{Outcome::cut, p}; }

  // Text after the root is white space nobody is told of.
  void deliver(const char* from, const char* to) {
    if (wants_text_ && from != to && !root_closed_)
      handler_.text(std::string_view(from, static_cast<std::size_t>(to - from)));
  }
  void deliver(const char* text, std::size_t size) { deliver(text, text + size); }

  // A CDATA section from just after "<![CDATA[", whole or not at all.
  Scan cdata(const char* body) {
    const char* p = body;
    while (true) {
      const Scan run = scan_characters(p, end_, kCdataStops);
      if (run.outcome != Outcome::complete) return run.outcome == Outcome::cut ? kCut : run;
      p = run.end;
      if (end_ - p < 3) return kCut;
      if (*p == ']') {
        if (p[1] == ']' && p[2] == '>') break;
        ++p;
      } else if (*p == '\r') {
        ++p;
      } else {
        return kMalformed;
      }
    }
    if (wants_text_) {
      for (const char* run = body; run < p;) {
        const char* cr = static_cast<const char*>(std::memchr(run, '\r', static_cast<std::size_t>(p - run)));
        const char* stop = cr == nullptr ? p : cr;
        deliver(run, stop);
        if (cr == nullptr) break;
        deliver("\n", 1);
        run = cr + 1 < p && cr[1] == '\n' ? cr + 2 : cr + 1;
      }
    }
    return {Outcome::complete, p + 3};
  }

  ChunkInput& input_;
  XmlHandler& handler_;
  const char* begin_ = nullptr;
  const char* end_ = nullptr;
  std::size_t at_ = 0;
  bool wants_text_ = false;
  bool root_closed_ = false;
  // Raw names of the open elements, one after another.
  std::string open_;
  std::vector<std::size_t> open_starts_;
  // The start tag being read, and the values it needed decoded.
  std::vector<XmlHandler::Attribute> attributes_;
  std::unique_ptr<char[]> scratch_;
  std::size_t scratch_capacity_ = 0;
  std::size_t used_ = 0;
  // Position of window offset counted_.
  std::size_t counted_ = 0;
  long line_ = 1;
  long column_ = 0;
  char previous_ = '\0';
};

}  // namespace

long xml_columns(std::string_view text) {
  long count = 0;
  for (char c : text) count += (static_cast<Byte>(c) & 0xC0) != 0x80;
  return count;
}

void scan_plain_xml(ChunkInput& input, std::size_t root, XmlHandler& handler) {
  Scanner(input, handler).run(root);
}

}  // namespace mivora
