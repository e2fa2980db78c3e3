#pragma once

#include <cstdint>
#include <functional>

#include "base/clock.h"
#include "base/timer.h"

namespace kv {

// A timer of the headless event loop: it keeps when it is next due on the clock, and the loop
// runs its handler then. Like a window system's timer, it starts counting its interval when it
// is switched on or given a new interval.
class LoopTimer final : public Timer {
 public:
  LoopTimer(Clock& clock, uint32_t interval) : clock_(clock), interval_(interval) {}

  void SetEnabled(bool on) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(uint32_t ms) override;
  uint32_t Interval() const override { return interval_; }
  void TickSoon() override;

  // The handler the loop runs when the timer is due.
  std::function<void()> on_tick;

  // Milliseconds until the timer is due (0 when it is); only for a timer that is on.
  uint32_t MsUntilDue();
  // Runs the handler when the timer is on and due, and counts the next interval from now.
  void TickIfDue();

 private:
  Clock& clock_;
  uint32_t interval_;
  bool enabled_ = false;
  uint32_t started_ = 0;  // the tick count the current interval began at
  uint32_t wait_ = 0;     // the length of the current interval (0 after TickSoon)
};

}  // namespace kv
