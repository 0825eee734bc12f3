#include "text_io/checked_writer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "text_io/cancellation.hpp"
#include "text_io/system_random.hpp"

namespace mivora {
namespace {

// Names that stand for a descriptor this process already holds: written in
// place even when they lead to a regular file (a shell's redirection), as are
// the kernel's own files, where nothing can be renamed.
bool is_special_path(const std::string& path) {
  return path.starts_with("/proc/") || path.starts_with("/sys/") || path.starts_with("/dev/fd/") ||
         path == "/dev/stdin" || path == "/dev/stdout" || path == "/dev/stderr";
}

// Makes a rename in `directory` durable; a file system that cannot sync a
// directory has nothing more to do for it.
void sync_directory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name beside `target` nobody else is likely to pick: ".name.1a2b3c4d.tmp".
std::string temporary_name(const std::string& target, std::uint64_t salt) {
  static constexpr char kHex[] = "0123456789abcdef";
  thread_local std::mt19937_64 random(system_random_u64());
  std::uint64_t value = random() ^ salt;
  std::string tag;
  for (int i = 0; i < 10; ++i, value >>= 4) tag += kHex[value & 0xF];
  return directory_of(target) + "/." + base_of(target) + "." + tag + ".tmp";
}

}  // namespace

CheckedWriter::CheckedWriter(std::string* memory) : text_(memory), in_memory_(true) {}

CheckedWriter::CheckedWriter(std::string path, bool sync_to_disk)
    : path_(std::move(path)), sync_to_disk_(sync_to_disk) {
  check_file_name(path_, FileError::Stage::Open);
  own_buffer_.reserve(kChunk + kChunk / 4);
  if (is_special_path(path_)) {
    open_in_place();
    return;
  }
  // Replace what the name leads to: a symbolic link keeps pointing at it.
  std::string target = path_;
  if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  struct stat info{};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if ((exists && !S_ISREG(info.st_mode)) || is_special_path(target)) {
    open_in_place();
    return;
  }
  // The temporary never grants more than the old file: it is created with
  // the old permissions (narrowed by the umask) and given them exactly, and
  // the old owner where we may, before its first byte.
  if (open_temporary(target, exists ? info.st_mode & 0777 : 0666)) {
    target_ = std::move(target);
    if (exists) {
      (void)::fchmod(fd_.get(), info.st_mode & 07777);
      if (::fchown(fd_.get(), info.st_uid, info.st_gid) != 0) (void)::fchmod(fd_.get(), info.st_mode & 0777);
    }
    return;
  }
  // A directory we may not create files in, holding a file we may write:
  // only an in-place write can succeed.
  if (exists && (errno == EACCES || errno == EPERM)) {
    open_in_place();
    return;
  }
  throw FileError(FileError::Stage::Open, errno, path_);
}

bool CheckedWriter::open_temporary(const std::string& target, mode_t mode) {
  for (std::uint64_t attempt = 0; attempt < 64; ++attempt) {
    std::string name = temporary_name(target, attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      fd_ = FileDescriptor(fd);
      temporary_ = std::move(name);
      return true;
    }
    if (errno == EINTR) {
      check_cancellation_now();
      continue;
    }
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

void CheckedWriter::open_in_place() { fd_ = open_file(path_, O_WRONLY | O_CREAT | O_TRUNC); }

CheckedWriter::~CheckedWriter() {
  if (in_memory_ || committed_) return;
  fd_.reset();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void CheckedWriter::flush() {
  poll_cancellation(static_cast<std::uint32_t>(text_->size() - flushed_));
  if (in_memory_) {
    flushed_ = text_->size();
    return;
  }
  if (const int error = write_all(fd_.get(), text_->data(), text_->size()); error != 0) {
    throw FileError(FileError::Stage::Write, error, path_);
  }
  written_ += text_->size();
  text_->clear();
  start_writeback();
}

void CheckedWriter::start_writeback() {
#ifdef __linux__
  // Renaming a new file over an old one makes the file system write the new
  // one out first (ext4's replace heuristic), as fsync does: most of a large
  // file is on its way by then if its pages are handed to the disk while
  // the rest is made. The call only starts the writing, and a failure of it
  // changes nothing: fsync and rename still decide.
  constexpr std::uint64_t kWriteback = std::uint64_t{4} << 20;
  if (temporary_.empty() || written_ - writeback_from_ < kWriteback) return;
  (void)::sync_file_range(fd_.get(), static_cast<off_t>(writeback_from_),
                          static_cast<off_t>(written_ - writeback_from_), SYNC_FILE_RANGE_WRITE);
  writeback_from_ = written_;
#endif
}

void CheckedWriter::commit() {
  if (in_memory_) return;
  flush();
  // The content reaches the disk before the name does: a power loss leaves
  // the old file or the new one, never an empty one.
  if (!temporary_.empty() && sync_to_disk_ && ::fsync(fd_.get()) != 0) {
    throw FileError(FileError::Stage::Write, errno, path_);
  }
  if (const int error = fd_.close(); error != 0) throw FileError(FileError::Stage::Write, error, path_);
  if (!temporary_.empty()) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw FileError(FileError::Stage::Write, errno, path_);
    if (sync_to_disk_) sync_directory(directory_of(target_));
  }
  committed_ = true;
}

}  // namespace mivora
