#pragma once

#include <string>

namespace kv {

// The directory of the running program's file (UTF-8); empty when the system does not say
// (executable_dir_posix.cpp, executable_dir_win32.cpp).
std::string ExecutableDir();

}  // namespace kv
