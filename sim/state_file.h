#pragma once

#include <string>

#include "sim/printer_state.h"

namespace kv::sim {

// The printer state as a text file ("key value" lines, texts hex-encoded), so a simulator
// keeps its counters, settings and journal across runs. Saving writes a temporary file and
// renames it over the old one.
bool SaveState(const PrinterState& state, const std::string& path, std::string* error);
// Loads a file written by SaveState; on failure `state` is left unchanged.
bool LoadState(PrinterState& state, const std::string& path, std::string* error);

}  // namespace kv::sim
