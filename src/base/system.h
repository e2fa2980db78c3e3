#pragma once

#include <ctime>

namespace kv {

// Process and calendar calls whose names differ between operating systems (system_posix.cpp,
// system_win32.cpp).

// The local calendar time of `t`.
std::tm LocalTime(std::time_t t);
// This process's number.
long CurrentProcessId();

}  // namespace kv
