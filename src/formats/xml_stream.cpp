#include "formats/xml_stream.hpp"

#include <expat.h>

#include <climits>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "formats/xml_scanner.hpp"
#include "text_io/format_error.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {

std::string_view local_name(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

namespace {

// local_name of a C string in one pass, its length found on the way.
std::string_view local_name(const char* name) {
  const char* local = name;
  const char* end = name;
  for (; *end != '\0'; ++end) {
    if (*end == ':') local = end + 1;
  }
  return std::string_view(local, static_cast<std::size_t>(end - local));
}

}  // namespace

// The names asked for hold no colon: a match after a colon is a match after
// the last one.
bool XmlHandler::Attributes::named(std::string_view full, std::string_view name) {
  if (full.size() == name.size()) return full == name;
  return full.size() > name.size() && full[full.size() - name.size() - 1] == ':' && full.ends_with(name);
}

std::string_view XmlHandler::Attributes::get(std::string_view name) const {
  for (const Attribute& attribute : *this) {
    if (named(attribute.name, name)) return attribute.value;
  }
  return {};
}

bool XmlHandler::Attributes::has(std::string_view name) const {
  for (const Attribute& attribute : *this) {
    if (named(attribute.name, name)) return true;
  }
  return false;
}

namespace {

constexpr int kChunk = 1 << 18;

struct ParserFree {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// Expat is C: nothing may unwind through it. A callback that fails keeps the
// exception here and stops the parser; the loop rethrows it.
struct Session {
  XML_Parser parser;
  XmlHandler& handler;
  std::exception_ptr failure;
  std::string refusal;  // why the document itself was refused
  bool text_handler_set = false;
  std::vector<XmlHandler::Attribute> attributes;  // of the start tag at hand

  // Expat skips text nobody listens to faster than it reports it: the text
  // handler is installed only while the handler wants text.
  void update_text_handler();

  template <typename Call>
  void guard(Call&& call) {
    if (failure || !refusal.empty()) return;
    try {
      call();
    } catch (...) {
      failure = std::current_exception();
      XML_StopParser(parser, XML_FALSE);
    }
  }
};

void XMLCALL on_text(void* data, const XML_Char* text, int length) {
  auto& session = *static_cast<Session*>(data);
  if (!session.handler.wants_text()) return;
  session.guard([&] { session.handler.text(std::string_view(text, static_cast<std::size_t>(length))); });
}

void Session::update_text_handler() {
  const bool wanted = handler.wants_text();
  if (wanted == text_handler_set) return;
  XML_SetCharacterDataHandler(parser, wanted ? on_text : nullptr);
  text_handler_set = wanted;
}

void XMLCALL on_start(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& session = *static_cast<Session*>(data);
  session.attributes.clear();
  for (const XML_Char** pair = attributes; *pair != nullptr; pair += 2)
    session.attributes.push_back({pair[0], pair[1]});
  session.guard([&] {
    session.handler.start(local_name(name),
                          XmlHandler::Attributes{session.attributes.data(), session.attributes.size()});
  });
  session.update_text_handler();
}

void XMLCALL on_end(void* data, const XML_Char* name) {
  auto& session = *static_cast<Session*>(data);
  session.guard([&] { session.handler.end(local_name(name)); });
  session.update_text_handler();
}

void XMLCALL on_entity_declaration(void* data, const XML_Char* name, int, const XML_Char*, int, const XML_Char*,
                                   const XML_Char*, const XML_Char*, const XML_Char*) {
  auto& session = *static_cast<Session*>(data);
  if (session.refusal.empty()) {
    session.refusal =
        "the document declares the entity '" + shown_text(name) + "'; entity declarations are not accepted";
  }
  XML_StopParser(session.parser, XML_FALSE);
}

// A default in an attribute-list declaration is copied into every element
// that lacks the attribute: a line of DTD could multiply the document as an
// entity would, so it is refused like one. Declarations without a default
// (#IMPLIED, #REQUIRED) change nothing and pass.
void XMLCALL on_attribute_list_declaration(void* data, const XML_Char* element, const XML_Char* attribute,
                                           const XML_Char*, const XML_Char* default_value, int) {
  if (default_value == nullptr) return;
  auto& session = *static_cast<Session*>(data);
  if (session.refusal.empty()) {
    session.refusal = "the document declares a default for the attribute '" + shown_text(attribute) + "' of '" +
                      shown_text(element) + "'; attribute defaults are not accepted";
  }
  XML_StopParser(session.parser, XML_FALSE);
}

[[noreturn]] void fail_at(XML_Parser parser, const std::string& message) {
  throw FormatError(message, XML_GetCurrentLineNumber(parser), XML_GetCurrentColumnNumber(parser) + 1);
}

// `encoding` nullptr: Expat finds it (byte-order mark, declaration).
std::unique_ptr<XML_ParserStruct, ParserFree> new_parser(const char* encoding) {
  std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(encoding));
  if (!parser) throw std::bad_alloc();
  return parser;
}

// Feeds the window from `from` on, then the rest of the input, while
// `parse` accepts; returns the first status that is not OK.
template <typename Parse>
XML_Status feed(ChunkInput& input, std::size_t from, Parse&& parse) {
  while (true) {
    const std::string_view window = input.window().substr(from);
    if (window.size() > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    const XML_Status status = parse(window, input.at_end());
    if (status != XML_STATUS_OK || input.at_end()) return status;
    input.more(input.window().size());
    from = 0;
    poll_cancellation(64);
  }
}

// Documents the scanner does not read (other encodings, a DTD): Expat
// parses them whole, entity refusals included.
void parse_with_expat(ChunkInput& input, XmlHandler& handler) {
  const auto owner = new_parser(nullptr);
  XML_Parser parser = owner.get();
  Session session{parser, handler, nullptr, {}, false, {}};
  XML_SetUserData(parser, &session);
  XML_SetElementHandler(parser, on_start, on_end);
  XML_SetEntityDeclHandler(parser, on_entity_declaration);
  XML_SetAttlistDeclHandler(parser, on_attribute_list_declaration);
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  const XML_Status status = feed(input, 0, [&](std::string_view bytes, bool last) {
    const XML_Status parsed =
        XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), last ? XML_TRUE : XML_FALSE);
    if (session.failure) {
      try {
        std::rethrow_exception(session.failure);
      } catch (const FormatError& failure) {
        if (failure.line() != 0) throw;
        fail_at(parser, failure.message());
      }
    }
    if (!session.refusal.empty()) fail_at(parser, session.refusal);
    return parsed;
  });
  if (status != XML_STATUS_OK)
    fail_at(parser, std::string("malformed XML: ") + XML_ErrorString(XML_GetErrorCode(parser)));
}

}  // namespace

void fail_as_expat(const XmlFault& fault) {
  // The scanner reads UTF-8 only; told so, Expat guesses nothing from the
  // token's first bytes.
  const auto owner = new_parser("UTF-8");
  XML_Parser parser = owner.get();
  // Where Expat places some faults depends on where its input is cut (after
  // the root, a quote opens a literal that may end lines later, or at the
  // cut): it is given the token and up to 64 KiB after it in one piece, as
  // when it reads the whole document, so that the place does not depend on
  // how the file came in.
  constexpr std::size_t kAhead = std::size_t{1} << 16;
  while (fault.input.window().size() - fault.token < kAhead && fault.input.more(0)) {
  }
  XML_Status status = XML_Parse(parser, fault.context.data(), static_cast<int>(fault.context.size()), XML_FALSE);
  if (status == XML_STATUS_OK) {
    status = feed(fault.input, fault.token, [&](std::string_view bytes, bool last) {
      return XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), last ? XML_TRUE : XML_FALSE);
    });
  }
  if (status == XML_STATUS_OK) {
    // Expat passed what the scanner refused: the document is still not read.
    throw FormatError(std::string("malformed XML: ") + XML_ErrorString(XML_ERROR_INVALID_TOKEN), fault.line,
                      fault.column + 1);
  }
  // The context holds no line break: Expat's first line continues the token's.
  const long line = static_cast<long>(XML_GetCurrentLineNumber(parser));
  const long column = static_cast<long>(XML_GetCurrentColumnNumber(parser));
  throw FormatError(std::string("malformed XML: ") + XML_ErrorString(XML_GetErrorCode(parser)), fault.line + line - 1,
                    (line == 1 ? fault.column + column - xml_columns(fault.context) : column) + 1);
}

void parse_xml(const ChunkInput::Fill& fill, XmlHandler& handler) {
  ChunkInput input(fill, kChunk);
  input.more(0);
  if (const auto root = plain_document_root(input.window())) {
    scan_plain_xml(input, *root, handler);
  } else {
    parse_with_expat(input, handler);
  }
}

}  // namespace mivora
