#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/clock.h"
#include "headless/loop_timer.h"

namespace kv {

// The message loop of a program without windows: it sleeps until the next timer is due, but
// never longer than kMaxWaitMs, so a stop request is seen within that time; then it takes what
// arrived meanwhile and runs the timers that are due.
class EventLoop {
 public:
  static constexpr uint32_t kMaxWaitMs = 250;

  EventLoop(Clock& clock, std::vector<LoopTimer*> timers)
      : clock_(clock), timers_(std::move(timers)) {}

  // Waits at most the given milliseconds; it may return early when something arrives. A
  // clock sleep unless set (the service waits on its message endpoint instead).
  std::function<void(uint32_t ms)> wait;
  // Takes what arrived during the wait (pending client messages).
  std::function<void()> take_arrivals;

  // Runs until `stop` says so; `stop` is asked before every wait and after it.
  void Run(const std::function<bool()>& stop);
  // How long the next wait lasts: until the first timer that is on is due, at most kMaxWaitMs.
  uint32_t NextWaitMs();

 private:
  Clock& clock_;
  std::vector<LoopTimer*> timers_;
};

}  // namespace kv
