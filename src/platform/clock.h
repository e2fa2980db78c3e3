#pragma once

#include <cstdint>

#include "base/clock.h"

namespace kv {

// The system's monotonic millisecond clock.
class SystemClock final : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
};

}  // namespace kv
