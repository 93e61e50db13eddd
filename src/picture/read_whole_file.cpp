#include "picture/read_whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

ByteBlock ReadWholeFile(const std::string& path) {
  // A NUL byte would cut the name short and open some other file.
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  FileDescriptor file(OpenForReading(path));
  if (file.Get() < 0) return {};
  struct stat info {};
  if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};

  const off_t length = lseek(file.Get(), 0, SEEK_END);
  if (length <= 0 || length > kMaxBlockLength) return {};
  if (lseek(file.Get(), 0, SEEK_SET) != 0) return {};

  ByteBlock block;
  try {
    block.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return {};
  }
  // One request for the whole length; the loop only continues what the kernel cut
  // short (a single read returns at most about 2 GiB - 4 KiB, and may stop early on
  // some file systems). A file that shrank meanwhile gives the bytes that arrived.
  std::size_t arrived = 0;
  while (arrived < block.size()) {
    const ssize_t n = read(file.Get(), block.data() + arrived, block.size() - arrived);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {};
    if (n == 0) break;
    arrived += static_cast<std::size_t>(n);
  }
  block.resize(arrived);
  return block;
}

}  // namespace kolvane
