#pragma once
// Malformed content in a file being read: what was expected, and where
// (1-based line; 1-based column where a format knows it, else 0).
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

 private:
  std::string message_;
  std::size_t line_;
  std::size_t column_;
};

}  // namespace mivora
