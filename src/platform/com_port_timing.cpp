#include "platform/com_port_timing.h"

#include <algorithm>

namespace kv {

namespace {

constexpr uint32_t kAllBits = UINT32_MAX;

// constant + multiplier x count, capped below the "no limit" value.
uint32_t TotalOf(uint32_t multiplier, uint32_t constant, size_t count) {
  const uint64_t total = uint64_t{multiplier} * count + constant;
  return static_cast<uint32_t>(std::min<uint64_t>(total, kAllBits - 1));
}

}  // namespace

ReadPlan PlanRead(const TComTimeouts& timeouts, size_t count) {
  const auto interval = static_cast<uint32_t>(timeouts.ReadInterval);
  const auto multiplier = static_cast<uint32_t>(timeouts.ReadTotalMultiplier);
  const auto constant = static_cast<uint32_t>(timeouts.ReadTotalConstant);
  ReadPlan plan;
  if (interval == kAllBits && multiplier == 0 && constant == 0) {
    plan.immediate = true;
    return plan;
  }
  if (interval == kAllBits && multiplier == kAllBits && constant > 0 && constant < kAllBits) {
    plan.first_byte_only = true;
    plan.total_ms = constant;
    return plan;
  }
  if (multiplier != 0 || constant != 0) plan.total_ms = TotalOf(multiplier, constant, count);
  if (interval != 0 && interval != kAllBits) plan.interval_ms = interval;
  return plan;
}

std::optional<uint32_t> WriteLimit(const TComTimeouts& timeouts, size_t count) {
  const auto multiplier = static_cast<uint32_t>(timeouts.WriteTotalMultiplier);
  const auto constant = static_cast<uint32_t>(timeouts.WriteTotalConstant);
  if (multiplier == 0 && constant == 0) return std::nullopt;
  return TotalOf(multiplier, constant, count);
}

size_t TimedRead(const ReadPlan& plan, char* data, size_t count, ReadIo& io) {
  size_t got = io.Take(data, count);
  if (got == count || plan.immediate) return got;
  if (plan.first_byte_only && got > 0) return got;

  const uint32_t start = io.Now();
  uint32_t last_byte = start;
  AbortGrace grace;
  for (;;) {
    const uint32_t now = io.Now();
    if (grace.Over(io.Aborted(), now)) return got;
    uint32_t wait = ReadIo::kForever;
    if (plan.total_ms) {
      const uint32_t elapsed = now - start;
      if (elapsed >= *plan.total_ms) return got;
      wait = *plan.total_ms - elapsed;
    }
    // The interval counts only once a byte came in this read.
    if (plan.interval_ms && got > 0) {
      const uint32_t gap = now - last_byte;
      if (gap >= *plan.interval_ms) return got;
      wait = std::min(wait, *plan.interval_ms - gap);
    }
    io.Wait(std::min(wait, ReadIo::kWaitSliceMs));
    const size_t more = io.Take(data + got, count - got);
    if (more > 0) {
      got += more;
      last_byte = io.Now();
      if (got == count || plan.first_byte_only) return got;
    }
  }
}

}  // namespace kv
