#include "platform/os.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>

namespace kv {

bool SetProcessPriorityClass(int32_t priority_class) {
  int nice_value;
  switch (priority_class) {
    case 64: nice_value = 10; break;
    case 32: nice_value = 0; break;
    case 128: nice_value = -5; break;
    default: return false;
  }
  return setpriority(PRIO_PROCESS, 0, nice_value) == 0;
}

OsVersion QueryOsVersion() {
  OsVersion version;
  utsname name{};
  if (uname(&name) != 0) return version;
  unsigned major = 0, minor = 0, build = 0;
  std::sscanf(name.release, "%u.%u.%u", &major, &minor, &build);
  version.major = static_cast<uint8_t>(major);
  version.minor = static_cast<uint8_t>(minor);
  version.build = static_cast<uint16_t>(build);
  return version;
}

std::string AccountHomeDirectory() {
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

}  // namespace kv
