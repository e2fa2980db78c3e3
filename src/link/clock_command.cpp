#include "link/clock_command.h"

#include "base/control_bytes.h"

namespace kv {

std::array<uint8_t, 28> ClockCommand(const std::tm& now) {
  std::array<uint8_t, 28> command{};
  const char kTemplate[] = "\x1bt111117 6 9 8 5 4 3 2 ; : ";
  for (size_t i = 0; i < 27; ++i) command[i] = static_cast<uint8_t>(kTemplate[i]);
  command[27] = kCR;
  auto put = [&](size_t tens_at, size_t units_at, int value) {
    command[tens_at] = static_cast<uint8_t>('0' + (value / 10) % 10);
    command[units_at] = static_cast<uint8_t>('0' + value % 10);
  };
  put(8, 10, now.tm_mday);
  put(12, 14, now.tm_mon + 1);
  put(16, 18, now.tm_hour);
  put(20, 22, now.tm_min);
  put(24, 26, (now.tm_year + 1900) % 100);
  return command;
}

}  // namespace kv
