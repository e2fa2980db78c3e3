#include "base/system.h"

#include <windows.h>

namespace kv {

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_s(&local, &t);
  return local;
}

long CurrentProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

bool OnWindows() {
  return true;
}

const char* NativeLineEnd() {
  return "\r\n";
}

}  // namespace kv
