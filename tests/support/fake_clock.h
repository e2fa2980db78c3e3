#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>

#include "platform/clock.h"

namespace kv::test {

// A clock that only moves when the code under test sleeps (or the test advances it). Actions
// scheduled for a tick run when the clock passes it, so a test can drop a line or deliver a
// late byte in the middle of a wait.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(uint32_t start = 1000) : now_(start) {}

  uint32_t TickCount() override { return now_; }
  void Sleep(uint32_t ms) override { Advance(ms == 0 ? 1 : ms); }

  void Advance(uint32_t ms);
  void At(uint32_t tick, std::function<void()> action) { actions_.emplace(tick, std::move(action)); }
  void After(uint32_t ms, std::function<void()> action) { At(now_ + ms, std::move(action)); }

  // Total time slept since construction: lets a test assert the length of a wait.
  uint64_t slept() const { return slept_; }

 private:
  uint32_t now_;
  uint64_t slept_ = 0;
  std::multimap<uint32_t, std::function<void()>> actions_;
};

// The PC's local time the fixtures give the print manager: 6 December 2026, 14:30.
inline std::tm ShopTime() {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 14;
  t.tm_min = 30;
  return t;
}

}  // namespace kv::test
