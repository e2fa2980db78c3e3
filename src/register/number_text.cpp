#include "register/number_text.h"

#include <charconv>
#include <limits>

namespace kv {

namespace {

// Room for the widest double in fixed notation (309 digits) with its sign and decimals.
constexpr int kMaxTextDecimals = 20;
constexpr size_t kNumberBuffer = 340 + kMaxTextDecimals;

}  // namespace

std::string FormatFixed(double value, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxTextDecimals) decimals = kMaxTextDecimals;
  char buffer[kNumberBuffer];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  const std::string_view text(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
  return PadLeft(text, width < 0 ? 0 : static_cast<size_t>(width));
}

std::string FormatInt(long long value, int width) {
  return PadLeft(std::to_string(value), width < 0 ? 0 : static_cast<size_t>(width));
}

std::string PadRight(std::string_view text, size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string PadLeft(std::string_view text, size_t width) {
  std::string padded;
  if (text.size() < width) padded.assign(width - text.size(), ' ');
  padded += text;
  return padded;
}

std::optional<int> ParseCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace kv
