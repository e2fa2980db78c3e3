#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/wait.h"
#include "platform/com_port_types.h"

namespace kv {

// How a read of a given count ends under the five time-outs, with the rules of the serial
// interface the program was written for:
// - ReadInterval all bits set and both read totals 0: return at once with what is queued;
// - ReadInterval and ReadTotalMultiplier all bits set, 0 < ReadTotalConstant < all bits:
//   return what is queued at once, else wait up to the constant for the first byte;
// - otherwise the read returns when the count arrived, when the total (constant +
//   multiplier x count, unused when both are 0) ran out, or when the gap after a received byte
//   exceeded ReadInterval (unused when 0 or all bits set).
struct ReadPlan {
  bool immediate = false;
  bool first_byte_only = false;
  std::optional<uint32_t> total_ms;
  std::optional<uint32_t> interval_ms;
};
ReadPlan PlanRead(const TComTimeouts& timeouts, size_t count);

// Limit of a write of `count` bytes: constant + multiplier x count; none when both are 0.
std::optional<uint32_t> WriteLimit(const TComTimeouts& timeouts, size_t count);

// What a backend offers a timed read.
class ReadIo {
 public:
  virtual ~ReadIo() = default;
  virtual uint32_t Now() = 0;
  // Takes up to `max` queued bytes without waiting.
  virtual size_t Take(char* data, size_t max) = 0;
  // Waits until bytes may be queued or `max_ms` passed (kForever: no limit).
  virtual void Wait(uint32_t max_ms) = 0;
  // True once the read should give up waiting (the program is ending).
  virtual bool Aborted() { return false; }
  static constexpr uint32_t kForever = UINT32_MAX;
  // The longest single Wait, so that an abort is noticed promptly.
  static constexpr uint32_t kWaitSliceMs = 50;
};

// Reads under `plan`; an abort ends the wait with what has arrived, after the grace.
size_t TimedRead(const ReadPlan& plan, char* data, size_t count, ReadIo& io);

}  // namespace kv
