#include "picture/read_whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <new>

namespace kolvane {
namespace {

// A byte block's length is a 32-bit signed count.
constexpr off_t kMaxBlockLength = INT32_MAX;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Opens an existing regular file for reading. O_NONBLOCK keeps a FIFO without a
// writer from stalling the open; such a file is refused below anyway. Linux has no
// share modes, so other processes' writers cannot be kept out.
int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

Expected<ByteBlock, FileError> ReadWholeFileOrError(const std::string& path) {
  using Kind = FileError::Kind;
  // A NUL byte would cut the name short and open some other file.
  if (path.empty() || path.find('\0') != std::string::npos) return FileError{Kind::kCannotOpen};
  FileDescriptor file(OpenForReading(path));
  if (file.Get() < 0) return FileError{Kind::kCannotOpen, errno};
  struct stat info {};
  if (fstat(file.Get(), &info) != 0) return FileError{Kind::kCannotRead, errno};
  if (!S_ISREG(info.st_mode)) return FileError{Kind::kNotRegularFile};

  const off_t length = lseek(file.Get(), 0, SEEK_END);
  if (length < 0) return FileError{Kind::kCannotRead, errno};
  if (length == 0) return FileError{Kind::kEmpty};
  if (length > kMaxBlockLength) return FileError{Kind::kTooLarge};
  if (lseek(file.Get(), 0, SEEK_SET) != 0) return FileError{Kind::kCannotRead, errno};

  ByteBlock block;
  try {
    block.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return FileError{Kind::kTooLarge};
  }
  // One request for the whole length; the loop only continues what the kernel cut
  // short (a single read returns at most about 2 GiB - 4 KiB, and may stop early on
  // some file systems). A file that shrank meanwhile gives the bytes that arrived.
  std::size_t arrived = 0;
  while (arrived < block.size()) {
    const ssize_t n = read(file.Get(), block.data() + arrived, block.size() - arrived);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileError{Kind::kCannotRead, errno};
    if (n == 0) break;
    arrived += static_cast<std::size_t>(n);
  }
  if (arrived == 0) return FileError{Kind::kEmpty};
  block.resize(arrived);
  return block;
}

ByteBlock ReadWholeFile(const std::string& path) {
  auto bytes = ReadWholeFileOrError(path);
  return bytes ? std::move(*bytes) : ByteBlock{};
}

std::string DescribeFileError(const FileError& error) {
  std::string text;
  switch (error.kind) {
    case FileError::Kind::kCannotOpen: text = "cannot be opened"; break;
    case FileError::Kind::kNotRegularFile: return "is not a regular file";
    case FileError::Kind::kEmpty: return "is empty";
    case FileError::Kind::kTooLarge: return "is 2 GiB or larger";
    case FileError::Kind::kCannotRead: text = "cannot be read"; break;
  }
  if (error.system_error != 0) text += std::string(" (") + std::strerror(error.system_error) + ")";
  return text;
}

}  // namespace kolvane
