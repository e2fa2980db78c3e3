#include "support/test_os.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace kv::test {

std::string MakeUniqueDirectory(const std::string& prefix) {
  std::string pattern = prefix + "XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void SetEnv(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

bool MakeFifo(const std::string& path) {
  return mkfifo(path.c_str(), 0600) == 0;
}

void ReleaseFifoReader(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) close(fd);
}

bool PermissionsApply() {
  return geteuid() != 0;
}

bool SetModifiedTime(const std::string& path, long seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

int ProcessPriorityClass() {
  errno = 0;
  switch (getpriority(PRIO_PROCESS, 0)) {
    case 10: return 64;
    case 0: return 32;
    case -5: return 128;
    default: return 0;
  }
}

const char* DevicePath() {
  return "/dev/zero";
}

}  // namespace kv::test
