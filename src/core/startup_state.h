#pragma once

#include <string>

namespace kv {

// What start-up leaves for the rest of the run (the main window's start-up fields).
struct StartupState {
  bool no_hide = false;      // "/nohide" or "/NOHIDE" on the command line
  bool first_tick = false;   // set by start-up, consumed by the first print-job tick
  std::string version_text;  // shown in the first status bar panel, written to the debug copies
};

}  // namespace kv
