#pragma once

#include <string>

namespace kv::test {

// What the tests need of the operating system beyond the program's own interface
// (test_os_posix.cpp, test_os_win32.cpp).

// Creates a fresh directory named `prefix` + a unique suffix; the path, or throws.
std::string MakeUniqueDirectory(const std::string& prefix);
// Sets an environment variable; a null value removes it.
void SetEnv(const char* name, const char* value);
// Creates a FIFO; false where the system has none (Windows).
bool MakeFifo(const std::string& path);
// Opens a FIFO for writing without waiting and closes it, so a reader stuck on it goes on.
void ReleaseFifoReader(const std::string& path);
// Whether file permissions bind this process (they do not bind root).
bool PermissionsApply();
// Sets a file's modification (and access) time, in seconds since 1970.
bool SetModifiedTime(const std::string& path, long seconds);
// The process's priority as a priority class (64 low, 32 normal, 128 high; 0 for another).
int ProcessPriorityClass();
// A character device every system has ("/dev/zero", "NUL").
const char* DevicePath();

}  // namespace kv::test
