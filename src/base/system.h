#pragma once

#include <ctime>

namespace kv {

// Process and calendar calls whose names differ between operating systems (system_posix.cpp,
// system_win32.cpp).

// The local calendar time of `t`.
std::tm LocalTime(std::time_t t);
// This process's number.
long CurrentProcessId();
// Whether the program runs on Windows (the operating system's name in the version text).
bool OnWindows();
// The end of a line in the system's own text files: "\r\n" on Windows, "\n" elsewhere.
const char* NativeLineEnd();

}  // namespace kv
