#include "register/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kv {

namespace {

// Room for the widest double in fixed notation (309 digits) with its sign and decimals.
constexpr int kMaxDecimals = 20;
constexpr size_t kNumberBuffer = 340 + kMaxDecimals;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string FormatFixed(double value, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  char buffer[kNumberBuffer];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  const std::string_view text(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
  return PadLeft(text, width < 0 ? 0 : static_cast<size_t>(width));
}

std::string FormatInt(long long value, int width) {
  return PadLeft(std::to_string(value), width < 0 ? 0 : static_cast<size_t>(width));
}

std::string FormatGeneral(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
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

std::optional<double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  // from_chars would also take an exponent or "inf"; an amount is only digits and one point.
  for (char c : text)
    if (!(c >= '0' && c <= '9') && c != '.' && c != '-') return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
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

double RoundToCents(double value) {
  return ParseDecimal(FormatFixed(value, 10, 2)).value_or(0.0);
}

long long WholeCents(double value) {
  const double cents = std::round(value * 100.0);
  if (!(std::fabs(cents) < 9e15)) return 0;  // NaN or beyond any till amount
  return static_cast<long long>(cents);
}

}  // namespace kv
