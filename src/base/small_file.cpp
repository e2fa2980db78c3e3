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

}  // namespace

SmallFileStatus ReadSmallFile(const std::string& path, std::string& bytes, size_t limit) {
  bytes.clear();
  Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return SmallFileStatus::Missing;
  struct stat st;
  if (fstat(fd.get(), &st) != 0) return SmallFileStatus::ReadError;
  if (!S_ISREG(st.st_mode)) return SmallFileStatus::NotRegular;
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit)
    return SmallFileStatus::TooLarge;

  // The file may grow while it is read: never take more than one byte past the limit.
  char chunk[4096];
  for (;;) {
    const size_t room = limit + 1 - bytes.size();
    const ssize_t n = read(fd.get(), chunk, room < sizeof chunk ? room : sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SmallFileStatus::ReadError;
    if (n == 0) return SmallFileStatus::Read;
    bytes.append(chunk, static_cast<size_t>(n));
    if (bytes.size() > limit) {
      bytes.clear();
      return SmallFileStatus::TooLarge;
    }
  }
}

}  // namespace kv
