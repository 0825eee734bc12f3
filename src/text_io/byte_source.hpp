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

// `source` unless `encoding` needs decoding, else a decoder over it kept in `holder`.
ByteSource& decoded(ByteSource& source, TextEncoding encoding, std::unique_ptr<ByteSource>& holder);

// The whole input appended to `out` (formats that parse a whole document).
void read_all(ByteSource& source, std::string& out);

}  // namespace mivora
