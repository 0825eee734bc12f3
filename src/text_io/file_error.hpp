#pragma once
// The one error type of file operations: what failed (opening, reading,
// writing), the operating system's error number when it was the system that
// refused, and one wording per fault. The Python surface turns an error number
// into the matching OSError subclass (FileNotFoundError, PermissionError, ...).
#include <exception>
#include <string>

namespace mivora {

inline constexpr const char* kNulInFileName = "file name contained an unexpected NUL byte";

// The operating system's description of an error number, in the form
// "Permission denied (os error 13)".
std::string describe_os_error(int error_number);

class FileError : public std::exception {
 public:
  enum class Stage { Open, Read, Write };

  // Refused by the operating system with `error_number`.
  FileError(Stage stage, int error_number, std::string path);
  // A fault of ours that has no error number (a NUL byte in the name).
  FileError(Stage stage, std::string description, std::string path);

  const char* what() const noexcept override { return description_.c_str(); }
  Stage stage() const noexcept { return stage_; }
  int error_number() const noexcept { return error_number_; }  // 0: not an OS error
  const std::string& description() const noexcept { return description_; }
  const std::string& path() const noexcept { return path_; }

 private:
  Stage stage_;
  int error_number_;
  std::string description_;
  std::string path_;
};

// Throws the NUL-byte FileError when `path` cannot name a file.
void check_file_name(const std::string& path, FileError::Stage stage);

}  // namespace mivora
