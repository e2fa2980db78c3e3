#include "platform/os.h"

#include <windows.h>

namespace kv {

bool SetProcessPriorityClass(int32_t priority_class) {
  DWORD system_class;
  switch (priority_class) {
    case 64: system_class = IDLE_PRIORITY_CLASS; break;
    case 32: system_class = NORMAL_PRIORITY_CLASS; break;
    case 128: system_class = HIGH_PRIORITY_CLASS; break;
    default: return false;
  }
  return SetPriorityClass(GetCurrentProcess(), system_class) != 0;
}

OsVersion QueryOsVersion() {
  // GetVersionEx reports what the program's manifest claims; ntdll tells the real version.
  using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
  OsVersion version;
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return version;
  const auto call = reinterpret_cast<RtlGetVersionCall>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!call || call(&info) != 0) return version;
  version.major = static_cast<uint8_t>(info.dwMajorVersion);
  version.minor = static_cast<uint8_t>(info.dwMinorVersion);
  version.build = static_cast<uint16_t>(info.dwBuildNumber);
  return version;
}

std::string AccountHomeDirectory() {
  return {};
}

}  // namespace kv
