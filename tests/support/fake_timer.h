#pragma once

#include "base/timer.h"

namespace kv::test {

// A timer that only records its state; the test calls the tick handler itself.
class FakeTimer final : public Timer {
 public:
  explicit FakeTimer(uint32_t interval = 1000) : interval_(interval) {}
  void SetEnabled(bool on) override { enabled_ = on; }
  bool Enabled() const override { return enabled_; }
  void SetInterval(uint32_t ms) override { interval_ = ms; }
  uint32_t Interval() const override { return interval_; }
  void TickSoon() override { ++ticks_soon; }

  int ticks_soon = 0;  // ticks asked to come at once; the test runs them itself

 private:
  bool enabled_ = false;
  uint32_t interval_;
};

}  // namespace kv::test
