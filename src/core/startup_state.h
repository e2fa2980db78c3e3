#pragma once

#include <string>

namespace kv {

// The program's own version, shown in the status bar and by --version.
inline constexpr const char* kProgramVersionText = "1.1.0.4";

// What start-up leaves for the rest of the run (the main window's start-up fields).
struct StartupState {
  bool no_hide = false;      // "/nohide" or "/NOHIDE" on the command line
  bool first_tick = false;   // set by start-up, consumed by the first print-job tick
  std::string version_text;  // shown in the first status bar panel, written to the debug copies
};

}  // namespace kv
