#pragma once

#include <cstdint>

namespace kv {

// The millisecond tick counter and a short sleep. Every wait in the program is a poll loop
// on TickCount() with short sleeps between looks, so a wait never burns a core and a fake
// clock in tests can run a seven-second time-out in microseconds.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps around like the system tick counter.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;

  // Milliseconds since `start`, correct across a wrap of the counter.
  uint32_t Since(uint32_t start) { return TickCount() - start; }
};

}  // namespace kv
