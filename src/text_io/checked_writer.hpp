#pragma once
// The one buffered writer of every file we write. A regular file (or a new
// one) is written to a temporary file beside it, which replaces the target
// by rename only once everything is written: a full disk, a size limit, an
// error of the producer or Ctrl-C leaves the old file as it was. The new file
// keeps the old one's permissions (its temporary never has wider ones) and
// is synced to the disk, with its directory, around the rename (unless the
// caller trades that for speed: a power loss may then leave an empty or
// partial file where the old one stood). Targets that
// are not regular files (a FIFO, a terminal, /dev/null), names of open
// descriptors (/dev/stdout, /dev/fd/N) and paths under /proc or /sys are
// written in place; every other path, /dev/shm included, by rename. The first
// write error is thrown at once as FileError(Write).
//
// Producers append text to `text()` and call `flush_if_full()` now and then,
// or use `write`; `commit()` finishes the file. Without commit (an exception)
// the destructor removes the temporary file. Over a string in memory the
// same interface collects the whole text.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "text_io/file_descriptor.hpp"

namespace mivora {

class CheckedWriter {
 public:
  // Opens the output for `path`; throws FileError(Open). `sync_to_disk`:
  // whether commit() waits for the new file and its name to reach the disk.
  explicit CheckedWriter(std::string path, bool sync_to_disk = true);
  // Collects the text in `memory` instead of a file.
  explicit CheckedWriter(std::string* memory);
  ~CheckedWriter();
  CheckedWriter(const CheckedWriter&) = delete;
  CheckedWriter& operator=(const CheckedWriter&) = delete;

  std::string& text() { return *text_; }
  void write(std::string_view data) {
    text_->append(data);
    flush_if_full();
  }
  void put(char c) { text_->push_back(c); }
  // Hands the buffered text to the file once it holds a chunk's worth; also
  // where long writes notice a pending cancellation.
  void flush_if_full() {
    if (text_->size() - flushed_ >= kChunk) flush();
  }
  // Writes what is left and puts the file in place; throws FileError(Write).
  void commit();

  const std::string& path() const { return path_; }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 16;

  void flush();
  // Hands the pages written since the last call to the disk, every few MB.
  void start_writeback();
  void open_in_place();
  bool open_temporary(const std::string& target, mode_t mode);

  std::string path_;       // what the caller named
  std::string target_;     // the file the temporary replaces ("" in place)
  std::string temporary_;  // "" when writing in place
  FileDescriptor fd_;
  std::string own_buffer_;
  std::string* text_ = &own_buffer_;
  std::size_t flushed_ = 0;  // in memory: the size at the last flush
  std::uint64_t written_ = 0;         // bytes written to the file
  std::uint64_t writeback_from_ = 0;  // the first byte start_writeback() has not handed on
  bool in_memory_ = false;
  bool committed_ = false;
  bool sync_to_disk_ = true;
};

}  // namespace mivora
