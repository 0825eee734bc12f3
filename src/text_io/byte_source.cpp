#include "text_io/byte_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "text_io/cancellation.hpp"
#include "text_io/text_scan.hpp"

namespace mivora {

FileSource::FileSource(std::string path) : path_(std::move(path)), fd_(open_file(path_, O_RDONLY)) {
  struct stat info{};
  if (::fstat(fd_.get(), &info) == 0 && S_ISREG(info.st_mode)) size_ = static_cast<std::uint64_t>(info.st_size);
  if (size_) progress_.start(*size_);
}

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
  // Each chunk counts as much work as its size: an endless device such as
  // /dev/zero still reaches the cancellation check every few milliseconds.
  poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(capacity, 1u << 20)));
  const std::size_t count = read_some(fd_.get(), buffer, capacity, path_);
  progress_.advance(count);
  return count;
}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
  const std::size_t count = std::min(capacity, bytes_.size());
  std::memcpy(buffer, bytes_.data(), count);
  bytes_.remove_prefix(count);
  return count;
}

std::optional<TextEncoding> parse_text_encoding(std::string_view name) {
  std::string key;
  for (const char c : name) key += c == '_' ? '-' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (key == "utf-8" || key == "utf8" || key == "utf-8-sig") return TextEncoding::Utf8;
  if (key == "latin-1" || key == "latin1" || key == "iso-8859-1" || key == "iso8859-1") return TextEncoding::Latin1;
  if (key == "cp1252" || key == "windows-1252") return TextEncoding::Cp1252;
  if (key == "cp1250" || key == "windows-1250") return TextEncoding::Cp1250;
  return std::nullopt;
}

namespace {

// Bytes 0x80..0xFF of the Windows code pages; unassigned bytes keep their
// C1 code points, as web browsers decode them.
constexpr char16_t kCp1252High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
    0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0,
    0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD,
    0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA,
    0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
constexpr char16_t kCp1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

std::size_t append_utf8(char* out, char32_t code) {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | (code >> 6));
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (code >> 12));
  out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (code & 0x3F));
  return 3;
}

}  // namespace

std::size_t DecodingSource::read(char* buffer, std::size_t capacity) {
  if (capacity < 3) return 0;  // readers always ask for whole chunks
  if (raw_begin_ == raw_.size()) {
    raw_.resize(std::max<std::size_t>(capacity / 3, 1));
    raw_.resize(inner_.read(raw_.data(), raw_.size()));
    raw_begin_ = 0;
    if (raw_.empty()) return 0;
  }
  std::size_t written = 0;
  while (raw_begin_ < raw_.size() && written + 3 <= capacity) {
    const auto byte = static_cast<unsigned char>(raw_[raw_begin_++]);
    char32_t code = byte;
    if (byte >= 0x80 && encoding_ == TextEncoding::Cp1252) code = kCp1252High[byte - 0x80];
    if (byte >= 0x80 && encoding_ == TextEncoding::Cp1250) code = kCp1250High[byte - 0x80];
    written += append_utf8(buffer + written, code);
  }
  return written;
}

std::optional<std::uint64_t> DecodingSource::total_size() const {
  const auto size = inner_.total_size();
  if (!size) return std::nullopt;
  return *size * 3;
}

std::size_t PrefixedSource::read(char* buffer, std::size_t capacity) {
  if (taken_ < head_.size()) {
    const std::size_t count = std::min(capacity, head_.size() - taken_);
    std::memcpy(buffer, head_.data() + taken_, count);
    taken_ += count;
    if (taken_ == head_.size()) {
      head_ = {};  // handed out: free it
      taken_ = 0;
    }
    return count;
  }
  return inner_.read(buffer, capacity);
}

namespace {

// How many leading bytes of `text` are ASCII; 32 bytes at a time.
std::size_t ascii_prefix(std::string_view text) {
  std::size_t i = 0;
  for (; i + 32 <= text.size(); i += 32) {
    std::uint64_t words[4];
    std::memcpy(words, text.data() + i, 32);
    if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

bool is_ascii_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Letters of Central European text that Western text writes rarely or as
// symbols: š ž Š Ž ť ź Ť Ź Ł ł Ą ą Ż ż Ľ ľ in cp1250.
bool is_central_letter(unsigned char c) {
  switch (c) {
    case 0x8A:
    case 0x8D:
    case 0x8E:
    case 0x8F:
    case 0x9A:
    case 0x9D:
    case 0x9E:
    case 0xA3:
    case 0xA5:
    case 0xAF:
    case 0xB3:
    case 0xB9:
    case 0xBC:
    case 0xBE:
    case 0xBF:
      return true;
    default:
      return false;
  }
}

}  // namespace

TextEncoding code_page_of(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t high = 0, central = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] < 0x80) continue;
    ++high;
    if (!is_central_letter(p[i])) continue;
    const bool before = i > 0 && (is_ascii_letter(p[i - 1]) || p[i - 1] >= 0x80);
    const bool after = i + 1 < n && (is_ascii_letter(p[i + 1]) || p[i + 1] >= 0x80);
    if (before || after) ++central;
  }
  return central > 0 && central * 20 >= high ? TextEncoding::Cp1250 : TextEncoding::Cp1252;
}

const char* text_encoding_name(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return "utf-8";
    case TextEncoding::Latin1:
      return "latin-1";
    case TextEncoding::Cp1252:
      return "cp1252";
    case TextEncoding::Cp1250:
      return "cp1250";
  }
  return "utf-8";
}

std::size_t GuessingSource::read(char* buffer, std::size_t capacity) {
  if (state_ == State::CodePage) return decoder_->read(buffer, capacity);
  if (state_ == State::Utf8 && carry_.empty()) return inner_.read(buffer, capacity);
  for (;;) {
    // The carried bytes first, then as many new ones as fit.
    std::size_t count = carry_.size();
    if (count > capacity) return 0;  // readers always ask for whole chunks
    std::memcpy(buffer, carry_.data(), count);
    carry_.clear();
    const std::size_t fresh = inner_.read(buffer + count, capacity - count);
    count += fresh;
    if (count == 0) return 0;
    if (state_ == State::Utf8) return count;
    // One pass over ASCII text, the usual case.
    const std::size_t ascii = ascii_prefix(std::string_view(buffer, count));
    if (ascii == count) return count;
    bool cut_short = false;
    const std::size_t valid = ascii + valid_utf8_prefix(std::string_view(buffer + ascii, count - ascii), cut_short);
    if (valid > ascii) {
      // UTF-8 beyond ASCII: the text stays UTF-8, and a later invalid byte is
      // for the reader to report.
      state_ = State::Utf8;
      if (valid < count && cut_short && fresh != 0) {
        carry_.assign(buffer + valid, count - valid);
        return valid;
      }
      return count;
    }
    if (cut_short && fresh != 0) {
      // Maybe a sequence the next read completes.
      carry_.assign(buffer + valid, count - valid);
      if (valid > 0) return valid;
      continue;
    }
    if (valid > 0) {
      // ASCII up to here; the rest comes decoded on the next call.
      switch_to_code_page(std::string(buffer + valid, count - valid));
      return valid;
    }
    switch_to_code_page(std::string(buffer, count));
    return decoder_->read(buffer, capacity);
  }
}

// Chooses the code page from `head` and what follows, up to 256 KiB.
void GuessingSource::switch_to_code_page(std::string head) {
  constexpr std::size_t kLook = std::size_t{1} << 18;
  std::size_t have = head.size();
  if (have < kLook) {
    head.resize(kLook);
    while (have < kLook) {
      const std::size_t got = inner_.read(head.data() + have, kLook - have);
      if (got == 0) break;
      have += got;
    }
    head.resize(have);
  }
  guessed_ = code_page_of(head);
  state_ = State::CodePage;
  rest_ = std::make_unique<PrefixedSource>(std::move(head), inner_);
  decoder_ = std::make_unique<DecodingSource>(*rest_, *guessed_);
}

ByteSource& decoded(ByteSource& source, TextEncoding encoding, std::unique_ptr<ByteSource>& holder) {
  if (encoding == TextEncoding::Utf8) return source;
  holder = std::make_unique<DecodingSource>(source, encoding);
  return *holder;
}

void read_all(ByteSource& source, std::string& out) {
  constexpr std::size_t kChunk = 1 << 16;
  if (const auto size = source.total_size())
    out.reserve(out.size() + static_cast<std::size_t>(std::min<std::uint64_t>(*size, 1u << 30)) + kChunk);
  for (;;) {
    const std::size_t start = out.size();
    out.resize(start + kChunk);
    const std::size_t count = source.read(out.data() + start, kChunk);
    out.resize(start + count);
    if (count == 0) return;
  }
}

}  // namespace mivora
