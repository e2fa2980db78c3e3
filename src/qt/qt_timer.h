#pragma once

#include <QTimer>

#include "base/timer.h"

namespace kv {

// The core's Timer seam over a QTimer the application connects to a tick handler. A tick
// brought forward restarts the timer at 0 ms; its own interval is back from that tick on.
class QtTimer final : public Timer {
 public:
  explicit QtTimer(QTimer& timer) : timer_(timer) {
    // Connected before the application's handler, so the interval is back when it runs.
    QObject::connect(&timer_, &QTimer::timeout, [this] { RestoreInterval(); });
  }
  void SetEnabled(bool on) override {
    RestoreInterval();
    if (on)
      timer_.start();
    else
      timer_.stop();
  }
  bool Enabled() const override { return timer_.isActive(); }
  void SetInterval(uint32_t ms) override {
    if (soon_)
      interval_ = static_cast<int>(ms);
    else
      timer_.setInterval(static_cast<int>(ms));
  }
  uint32_t Interval() const override {
    return static_cast<uint32_t>(soon_ ? interval_ : timer_.interval());
  }
  void TickSoon() override {
    if (!timer_.isActive()) return;
    if (!soon_) interval_ = timer_.interval();
    soon_ = true;
    timer_.start(0);
  }

 private:
  void RestoreInterval() {
    if (!soon_) return;
    soon_ = false;
    timer_.setInterval(interval_);  // a running timer goes on at it, a stopped one stays so
  }

  QTimer& timer_;
  bool soon_ = false;
  int interval_ = 0;
};

}  // namespace kv
