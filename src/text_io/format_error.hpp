#pragma once
// Malformed content in a file being read: what was expected, and where
// (1-based line; 1-based column where a format knows it, else 0; the file's
// name once the code that opened the file has added it).
#include <cstddef>
#include <stdexcept>
#include <string>

namespace mivora {

class FormatError : public std::runtime_error {
 public:
  FormatError(std::string message, std::size_t line, std::size_t column = 0)
      : std::runtime_error(message), message_(std::move(message)), line_(line), column_(column) {}

  const std::string& message() const noexcept { return message_; }
  std::size_t line() const noexcept { return line_; }
  std::size_t column() const noexcept { return column_; }
  const std::string& file_name() const noexcept { return file_name_; }
  void set_file_name(std::string file_name) { file_name_ = std::move(file_name); }

 private:
  std::string message_;
  std::size_t line_;
  std::size_t column_;
  std::string file_name_;
};

}  // namespace mivora
