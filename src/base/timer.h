#pragma once

#include <cstdint>

namespace kv {

// A UI timer the core switches on and off (Timer_prmgr, Timer_msg). The application owns the
// real timer and calls the core's tick handler; tests drive the handlers themselves.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(uint32_t ms) = 0;
  virtual uint32_t Interval() const = 0;
  // A timer that is on ticks once as soon as the message loop runs, then goes on at its
  // interval; an idle one is left alone.
  virtual void TickSoon() = 0;
};

}  // namespace kv
