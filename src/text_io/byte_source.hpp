#pragma once
// Where readers get their bytes: a chunked source that hands out up to N
// bytes at a time and 0 at the end. Over a file (any kind: regular files,
// pipes, FIFOs, devices) or over memory (fuzz targets, tests), optionally
// decoded from a single-byte code page to UTF-8 on the way.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text_io/cancellation.hpp"
#include "text_io/file_descriptor.hpp"

namespace mivora {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `capacity` bytes into `buffer`; 0 only at the end. Throws FileError,
  // or Cancelled when the caller's operation was interrupted.
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  // How many bytes the whole input holds, when that is known before reading
  // (regular files, memory): lets readers bound what they reserve.
  virtual std::optional<std::uint64_t> total_size() const { return std::nullopt; }
  // The file's name for messages ("" in memory).
  virtual const std::string& name() const = 0;
};

class FileSource final : public ByteSource {
 public:
  // Opens `path` for reading; throws FileError(Open).
  explicit FileSource(std::string path);
  std::size_t read(char* buffer, std::size_t capacity) override;
  std::optional<std::uint64_t> total_size() const override { return size_; }
  const std::string& name() const override { return path_; }

 private:
  std::string path_;
  FileDescriptor fd_;
  std::optional<std::uint64_t> size_;
  ProgressScope progress_;  // the bytes read of a regular file tell how far a reading call is
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes, std::string name = {}) : bytes_(bytes), name_(std::move(name)) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  std::optional<std::uint64_t> total_size() const override { return bytes_.size(); }
  const std::string& name() const override { return name_; }

 private:
  std::string_view bytes_;
  std::string name_;
};

// Text encodings a reader accepts. Single-byte code pages are decoded to
// UTF-8 before any reader sees the text, so readers deal in UTF-8 only.
enum class TextEncoding { Utf8, Latin1, Cp1252, Cp1250 };

// "utf-8", "utf8", "utf-8-sig", "latin-1", "latin1", "iso-8859-1",
// "cp1252", "windows-1252", "cp1250", "windows-1250" (any letter case, '_'
// for '-'); nothing otherwise.
std::optional<TextEncoding> parse_text_encoding(std::string_view name);
inline constexpr const char* kAcceptedEncodings = "'utf-8', 'latin-1', 'cp1252', 'cp1250'";

// Decodes a single-byte code page from `inner` to UTF-8.
class DecodingSource final : public ByteSource {
 public:
  DecodingSource(ByteSource& inner, TextEncoding encoding) : inner_(inner), encoding_(encoding) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  // Up to three bytes out for one in: only an upper bound.
  std::optional<std::uint64_t> total_size() const override;
  const std::string& name() const override { return inner_.name(); }

 private:
  ByteSource& inner_;
  TextEncoding encoding_;
  std::string raw_;
  std::size_t raw_begin_ = 0;
};

// The bytes `head` (already taken from `inner`), then the rest of `inner`:
// lets a caller look at the start of a stream that cannot be read twice.
class PrefixedSource final : public ByteSource {
 public:
  PrefixedSource(std::string head, ByteSource& inner) : head_(std::move(head)), inner_(inner) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  std::optional<std::uint64_t> total_size() const override { return inner_.total_size(); }
  const std::string& name() const override { return inner_.name(); }

 private:
  std::string head_;
  std::size_t taken_ = 0;
  ByteSource& inner_;
};

// The Windows code page that bytes which are not UTF-8 most likely use.
// cp1250 when at least one in twenty of the bytes above 0x7F is one that
// Central European text uses for a letter and Western text for a symbol or
// a rare loan letter (š ž Š Ž ť ź Ť Ź Ł ł Ą ą Ż ż Ľ ľ), standing next to an
// ASCII letter or another high byte; cp1252 otherwise.
TextEncoding code_page_of(std::string_view bytes);

// Text in UTF-8 while it is UTF-8. At the first byte that is not, with only
// ASCII before it, the rest is decoded from the code page that
// code_page_of() finds in the next bytes. After a valid multi-byte
// sequence the text stays UTF-8 (a later invalid byte is the reader's error).
class GuessingSource final : public ByteSource {
 public:
  explicit GuessingSource(ByteSource& inner) : inner_(inner) {}
  std::size_t read(char* buffer, std::size_t capacity) override;
  std::optional<std::uint64_t> total_size() const override { return inner_.total_size(); }
  const std::string& name() const override { return inner_.name(); }
  // The code page chosen, once the text turned out not to be UTF-8.
  std::optional<TextEncoding> guessed() const { return guessed_; }

 private:
  enum class State { Ascii, Utf8, CodePage };
  void switch_to_code_page(std::string head);

  ByteSource& inner_;
  State state_ = State::Ascii;
  std::string carry_;  // the start of a sequence cut off by the last read
  std::optional<TextEncoding> guessed_;
  std::unique_ptr<PrefixedSource> rest_;
  std::unique_ptr<DecodingSource> decoder_;
};

// Names as parse_text_encoding() accepts them ("cp1250").
const char* text_encoding_name(TextEncoding encoding);

// `source` unless `encoding` needs decoding, else a decoder over it kept in `holder`.
ByteSource& decoded(ByteSource& source, TextEncoding encoding, std::unique_ptr<ByteSource>& holder);

// The whole input appended to `out` (formats that parse a whole document).
void read_all(ByteSource& source, std::string& out);

}  // namespace mivora
