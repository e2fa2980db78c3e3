#pragma once

#include <string>

namespace kv {

// The desktop entry that starts the program with the user's session:
// $XDG_CONFIG_HOME/autostart/kv4910.desktop (~/.config/autostart when that variable is unset or
// not an absolute path).
std::string AutostartEntryPath();

// Writes that entry, starting `exe_path`, or removes it. Returns what went wrong, empty when all
// went well (removing an entry that is not there is not a fault).
std::string SetAutostart(bool on, const std::string& exe_path);

}  // namespace kv
