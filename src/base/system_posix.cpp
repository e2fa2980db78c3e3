#include "base/system.h"

#include <unistd.h>

namespace kv {

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

long CurrentProcessId() {
  return static_cast<long>(::getpid());
}

bool OnWindows() {
  return false;
}

const char* NativeLineEnd() {
  return "\n";
}

}  // namespace kv
