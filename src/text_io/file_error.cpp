#include "text_io/file_error.hpp"
#include "text_io/number_text.hpp"

#include <cstring>

namespace mivora {

std::string describe_os_error(int error_number) {
  char buffer[256];
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* text = strerror_r(error_number, buffer, sizeof buffer);
  return std::string(text) + " (os error " + integer_text(error_number) + ")";
}

FileError::FileError(Stage stage, int error_number, std::string path)
    : stage_(stage),
      error_number_(error_number),
      description_(describe_os_error(error_number)),
      path_(std::move(path)) {}

FileError::FileError(Stage stage, std::string description, std::string path)
    : stage_(stage), error_number_(0), description_(std::move(description)), path_(std::move(path)) {}

void check_file_name(const std::string& path, FileError::Stage stage) {
  if (path.find('\0') != std::string::npos) throw FileError(stage, std::string(kNulInFileName), path);
}

}  // namespace mivora
