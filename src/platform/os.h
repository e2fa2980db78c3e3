#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Sets the program's own process priority from a priority class: 64 low, 32 normal, 128 high.
// On Linux the class becomes the nearest nice value (10, 0, -5); raising the priority needs the
// right to do so. Returns false when the system refuses or the class is unknown.
bool SetProcessPriorityClass(int32_t priority_class);

struct OsVersion {
  uint8_t major = 0;
  uint8_t minor = 0;
  uint16_t build = 0;
};

// The operating system's version: on Linux the kernel's release numbers.
OsVersion QueryOsVersion();
// The name shown before the numbers: the Windows names by version, none on other systems.
std::string OsVersionName(const OsVersion& version, bool windows);
// Name, then major "." minor "." build.
std::string OsVersionText(const OsVersion& version, bool windows);

// The home directory of the account the program runs under, from the system's account database
// (empty where there is none, or on Windows, where HOME alone says it).
std::string AccountHomeDirectory();

}  // namespace kv
