#pragma once

#include <array>
#include <cstdint>
#include <ctime>

namespace kv {

// The 28-byte clock command: ESC "t", fixed digits interleaved with the two-digit day, month,
// hour, minute and year of `now`, then CR. Seconds are not sent.
std::array<uint8_t, 28> ClockCommand(const std::tm& now);

}  // namespace kv
