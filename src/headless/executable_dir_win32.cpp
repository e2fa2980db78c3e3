#include <windows.h>

#include <vector>

#include "headless/executable_dir.h"

namespace kv {

std::string ExecutableDir() {
  std::vector<wchar_t> path(MAX_PATH);
  DWORD n = 0;
  // A longer path than the buffer is cut: the buffer grows, up to the system's longest path.
  while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
             path.size() &&
         path.size() < 32768)
    path.resize(path.size() * 2);
  if (n == 0 || n == path.size()) return {};
  std::wstring dir(path.data(), n);
  const size_t slash = dir.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  dir.resize(slash);
  const int size = WideCharToMultiByte(CP_UTF8, 0, dir.data(), static_cast<int>(dir.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, dir.data(), static_cast<int>(dir.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace kv
