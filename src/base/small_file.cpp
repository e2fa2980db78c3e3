#include "base/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kv {

namespace {

// Closes a descriptor when the scope ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Checks that the opened descriptor is a regular file; `size` is its length.
SmallFileStatus OpenRegular(const Descriptor& fd, uint64_t& size) {
  if (fd.get() < 0) return SmallFileStatus::Missing;
  struct stat st;
  if (fstat(fd.get(), &st) != 0) return SmallFileStatus::ReadError;
  if (!S_ISREG(st.st_mode)) return SmallFileStatus::NotRegular;
  size = st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
  return SmallFileStatus::Read;
}

// Opening without blocking: a FIFO with no writer does not hold the program.
int OpenWithoutBlocking(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Appends at most `count` bytes of the descriptor to `bytes`, stopping at the end of the file.
SmallFileStatus ReadUpTo(int fd, std::string& bytes, size_t count) {
  char chunk[4096];
  const size_t end = bytes.size() + count;
  while (bytes.size() < end) {
    const size_t room = end - bytes.size();
    const ssize_t n = read(fd, chunk, room < sizeof chunk ? room : sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SmallFileStatus::ReadError;
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  return SmallFileStatus::Read;
}

}  // namespace

SmallFileStatus ReadSmallFile(const std::string& path, std::string& bytes, size_t limit) {
  bytes.clear();
  Descriptor fd(OpenWithoutBlocking(path));
  uint64_t size = 0;
  const SmallFileStatus opened = OpenRegular(fd, size);
  if (opened != SmallFileStatus::Read) return opened;
  if (size > limit) return SmallFileStatus::TooLarge;
  // The file may grow while it is read: never take more than one byte past the limit.
  const SmallFileStatus status = ReadUpTo(fd.get(), bytes, limit + 1);
  if (status == SmallFileStatus::Read && bytes.size() > limit) {
    bytes.clear();
    return SmallFileStatus::TooLarge;
  }
  return status;
}

SmallFileStatus ReadFileStart(const std::string& path, std::string& bytes, size_t limit,
                              uint64_t& file_size) {
  bytes.clear();
  file_size = 0;
  Descriptor fd(OpenWithoutBlocking(path));
  const SmallFileStatus opened = OpenRegular(fd, file_size);
  if (opened != SmallFileStatus::Read) return opened;
  return ReadUpTo(fd.get(), bytes, limit);
}

}  // namespace kv
