#include "text_io/file_descriptor.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "text_io/cancellation.hpp"

namespace mivora {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void FileDescriptor::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int FileDescriptor::close() {
  if (fd_ < 0) return 0;
  const int fd = fd_;
  fd_ = -1;
  // Linux frees the descriptor even when close reports EINTR: never retry.
  if (::close(fd) != 0 && errno != EINTR) return errno;
  return 0;
}

FileDescriptor open_file(const std::string& path, int flags, mode_t mode) {
  check_file_name(path, FileError::Stage::Open);
  for (;;) {
    int fd = -1;
    {
      // A FIFO's open waits for the other end, which another thread may be
      // about to open; a signal ends the wait with EINTR.
      const BlockingCall waiting;
      fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    }
    if (fd >= 0) return FileDescriptor(fd);
    if (errno != EINTR) throw FileError(FileError::Stage::Open, errno, path);
    check_cancellation_now();
  }
}

std::size_t read_some(int fd, char* buffer, std::size_t capacity, const std::string& path) {
  for (;;) {
    ssize_t count = -1;
    {
      // A FIFO's read waits for the writer, which may be another thread.
      const BlockingCall waiting;
      count = ::read(fd, buffer, capacity);
    }
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) throw FileError(FileError::Stage::Read, errno, path);
    check_cancellation_now();
  }
}

int write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = -1;
    {
      // A full pipe's write waits for the reader, which may be another thread.
      const BlockingCall waiting;
      written = ::write(fd, data, size);
    }
    if (written < 0) {
      if (errno != EINTR) return errno;
      check_cancellation_now();
      continue;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace mivora
