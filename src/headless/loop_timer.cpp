#include "headless/loop_timer.h"

namespace kv {

void LoopTimer::SetEnabled(bool on) {
  if (on && !enabled_) {
    started_ = clock_.TickCount();
    wait_ = interval_;
  }
  enabled_ = on;
}

void LoopTimer::SetInterval(uint32_t ms) {
  interval_ = ms;
  started_ = clock_.TickCount();
  wait_ = interval_;
}

void LoopTimer::TickSoon() {
  if (enabled_) wait_ = 0;
}

uint32_t LoopTimer::MsUntilDue() {
  const uint32_t passed = clock_.Since(started_);
  return passed >= wait_ ? 0 : wait_ - passed;
}

void LoopTimer::TickIfDue() {
  if (!enabled_ || MsUntilDue() > 0) return;
  started_ = clock_.TickCount();
  wait_ = interval_;
  // The handler may switch this timer off or on again, or change its interval.
  if (on_tick) on_tick();
}

}  // namespace kv
