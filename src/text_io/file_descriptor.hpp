#pragma once
// An owned file descriptor and the system calls on it, retried on EINTR.
// A signal that interrupts a blocking call (opening a FIFO with no writer,
// reading a pipe, writing a full one) gives the installed cancellation check
// its chance: a pending Ctrl-C ends the operation with Cancelled.
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "text_io/file_error.hpp"

namespace mivora {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }
  void reset();
  // Closes now; the error number close reported, or 0.
  int close();

 private:
  int fd_ = -1;
};

// open(2) with EINTR handling; throws FileError(Open) on failure.
FileDescriptor open_file(const std::string& path, int flags, mode_t mode = 0666);

// read(2) with EINTR handling: bytes read, 0 at the end; throws FileError(Read).
std::size_t read_some(int fd, char* buffer, std::size_t capacity, const std::string& path);

// Writes all bytes; 0 or the error number of the first failure.
int write_all(int fd, const char* data, std::size_t size);

}  // namespace mivora
