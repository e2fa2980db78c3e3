#pragma once

#include <QTimer>

#include "base/timer.h"

namespace kv {

// The core's Timer seam over a QTimer the application connects to a tick handler.
class QtTimer final : public Timer {
 public:
  explicit QtTimer(QTimer& timer) : timer_(timer) {}
  void SetEnabled(bool on) override {
    if (on)
      timer_.start();
    else
      timer_.stop();
  }
  bool Enabled() const override { return timer_.isActive(); }
  void SetInterval(uint32_t ms) override { timer_.setInterval(static_cast<int>(ms)); }
  uint32_t Interval() const override { return static_cast<uint32_t>(timer_.interval()); }

 private:
  QTimer& timer_;
};

}  // namespace kv
