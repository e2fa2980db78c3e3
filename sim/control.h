#pragma once

#include <string>
#include <string_view>

#include "sim/engine.h"
#include "sim/line_stats.h"

namespace kv::sim {

// Runs one control command (a line without its line end) on the engine and gives the answer
// line: "ok", "error: ..." or, for "state", the counters. The commands switch faults while
// the printer runs; kv4910-sim's fault flags are the same commands:
//   silent on|off            garbled once|always|off     status1 N       status2 N
//   delay MS                 short-record N              cut-device-record on|off
//   nak-copies on|off        no-advance once|always|off  records-left N (-1: no limit)
//   drop-lines rts|dtr|both[:BYTES]                      raise-lines
//   paper-mark TEXT          state                       close-document
//   stats                    stats mark (only with `stats`: the line's statistics)
std::string RunControlCommand(Engine& engine, std::string_view line, LineStats* stats = nullptr);

}  // namespace kv::sim
