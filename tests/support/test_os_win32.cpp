#include "support/test_os.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace kv::test {

std::string MakeUniqueDirectory(const std::string& prefix) {
  for (unsigned n = 0; n < 1000; ++n) {
    const std::string path = prefix + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount64()) + "-" + std::to_string(n);
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot create a temporary directory under " + prefix);
}

void SetEnv(const char* name, const char* value) {
  _putenv_s(name, value ? value : "");  // an empty value removes the variable
}

bool MakeFifo(const std::string&) {
  return false;
}

void ReleaseFifoReader(const std::string&) {}

bool PermissionsApply() {
  return false;  // the POSIX permission bits the tests set are not Windows' access rules
}

bool SetModifiedTime(const std::string& path, long seconds) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const unsigned long long ticks = (static_cast<unsigned long long>(seconds) + 11644473600ULL) *
                                   10000000ULL;
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const bool ok = SetFileTime(file, nullptr, &time, &time);
  CloseHandle(file);
  return ok;
}

int ProcessPriorityClass() {
  switch (GetPriorityClass(GetCurrentProcess())) {
    case IDLE_PRIORITY_CLASS: return 64;
    case NORMAL_PRIORITY_CLASS: return 32;
    case HIGH_PRIORITY_CLASS: return 128;
    default: return 0;
  }
}

const char* DevicePath() {
  return "NUL";
}

}  // namespace kv::test
