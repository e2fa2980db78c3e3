#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/engine.h"

namespace kv::sim {

// Microseconds on the monotonic clock (CLOCK_MONOTONIC on Linux), the time base of LineStats:
// a tool on the same machine reads the same clock and can set its own moments beside these.
uint64_t MonotonicUs();

// What went over the simulator's line since a mark, for timing tools: bytes both ways, when
// the first and last of them passed, and when the program first asked for the status or
// began a document (with the bytes both ways up to then, so a tool can tell the wire time).
class LineStats {
 public:
  // Counts afresh from `now_us`; the engine's tallies so far become the base.
  void Mark(const Engine& engine, uint64_t now_us);
  // `count` bytes the engine has just taken.
  void Received(const Engine& engine, size_t count, uint64_t now_us);
  // `count` answer bytes written to the line.
  void Sent(size_t count, uint64_t now_us);

  // One line of "name value" pairs; times in MonotonicUs(), 0 where nothing happened yet.
  std::string Line(const Engine& engine, uint64_t now_us) const;

 private:
  struct Event {
    uint64_t us = 0, in = 0, out = 0;
  };
  void Note(Event& event, uint64_t now_us) const;

  uint64_t since_us_ = 0;
  uint64_t in_ = 0, out_ = 0;
  uint64_t last_in_us_ = 0, last_out_us_ = 0;
  Event first_in_, first_status_, first_open_;
  Engine::Tally base_;
};

}  // namespace kv::sim
