#include "platform/os.h"

namespace kv {

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
