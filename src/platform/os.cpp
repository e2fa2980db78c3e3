#include "platform/os.h"

#include <sys/resource.h>
#include <sys/utsname.h>

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

std::string OsVersionName(const OsVersion& version, bool windows) {
  if (!windows) return {};
  if (version.major < 5) return "Windows 98(95) ";
  if (version.major == 5 && version.minor == 0) return "Windows 2000 ";
  if (version.major == 5 && version.minor == 1) return "Windows XP ";
  if (version.major == 5 && version.minor == 2) return "Windows Server 2003 ";
  if (version.major == 6 && version.minor == 0) return "Windows Vista ";
  return {};
}

std::string OsVersionText(const OsVersion& version, bool windows) {
  return OsVersionName(version, windows) + std::to_string(version.major) + "." +
         std::to_string(version.minor) + "." + std::to_string(version.build);
}

}  // namespace kv
