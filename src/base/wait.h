#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace kv {

class AppShell;
class Clock;

// A wait that is told to give up (the program is ending) still goes on for a short grace, so
// that an answer already under way comes in whole; a dead line costs at most the grace.
class AbortGrace {
 public:
  static constexpr uint32_t kGraceMs = 250;
  // True once `aborted` has held for the grace (`now` in milliseconds).
  bool Over(bool aborted, uint32_t now) {
    if (aborted && !since_) since_ = now;
    return since_ && now - *since_ >= kGraceMs;
  }

 private:
  std::optional<uint32_t> since_;
};

// The one wait of the program: polls `clock` until `done` holds (true), `limit_ms` has passed
// or the program is ending (false, after the grace). A condition is looked at every
// millisecond, or after `pause_ms()` milliseconds (at most 50) where its time can be foreseen
// (a queue that empties at the line's speed); without a condition it is a plain delay, slept
// in slices short enough to notice the end of the program promptly.
bool WaitFor(Clock& clock, const AppShell& app, uint32_t limit_ms,
             const std::function<bool()>& done,
             const std::function<uint32_t()>& pause_ms = nullptr);

}  // namespace kv
