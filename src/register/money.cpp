#include "register/money.h"

#include <cmath>

#include "register/number_text.h"

namespace kv {

namespace {

constexpr int kMaxDecimals = 6;
constexpr int64_t kPowers[kMaxDecimals + 1] = {1, 10, 100, 1'000, 10'000, 100'000, 1'000'000};

int64_t Power(int decimals) {
  return kPowers[decimals < 0 ? 0 : (decimals > kMaxDecimals ? kMaxDecimals : decimals)];
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

FixedPoint ParseFixedPoint(std::string_view text, int decimals, int64_t max_magnitude) {
  text = TrimBlanks(text);
  if (text.empty()) return {FixedPoint::Empty};
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return {FixedPoint::NotANumber};
  for (const std::string_view part : {whole, fraction})
    for (const char c : part)
      if (c < '0' || c > '9') return {FixedPoint::NotANumber};

  // Trailing zeros of the fraction carry nothing: "1.500" is a price of two decimals.
  std::string_view significant = fraction;
  while (!significant.empty() && significant.back() == '0') significant.remove_suffix(1);
  if (static_cast<int>(significant.size()) > decimals) return {FixedPoint::TooManyDecimals};

  const int64_t scale = Power(decimals);
  int64_t value = 0;
  for (const char c : whole) {
    value = value * 10 + (c - '0');
    // Past the limit already: stop before the count could overflow.
    if (value > max_magnitude / scale + 1) return {FixedPoint::TooLarge};
  }
  value *= scale;
  int64_t unit = scale;
  for (const char c : significant) {
    unit /= 10;
    value += (c - '0') * unit;
  }
  if (value > max_magnitude) return {FixedPoint::TooLarge};
  return {FixedPoint::None, negative ? -value : value};
}

std::string FormatFixedPoint(int64_t value, int held, int width, int shown) {
  if (shown > held) shown = held;
  if (shown < 0) shown = 0;
  const int64_t shown_scale = Power(shown);
  const int64_t rounded = RoundedQuotient(value, Power(held - shown));
  const uint64_t magnitude = rounded < 0 ? 0 - static_cast<uint64_t>(rounded)
                                         : static_cast<uint64_t>(rounded);
  std::string text = rounded < 0 ? "-" : "";
  text += std::to_string(magnitude / static_cast<uint64_t>(shown_scale));
  if (shown > 0) {
    std::string fraction = std::to_string(magnitude % static_cast<uint64_t>(shown_scale));
    text += '.' + std::string(static_cast<size_t>(shown) - fraction.size(), '0') + fraction;
  }
  return PadLeft(text, width < 0 ? 0 : static_cast<size_t>(width));
}

std::string FormatCentsShort(int64_t cents) {
  std::string text = FormatCents(cents, 0);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

int64_t RoundedQuotient(int64_t numerator, int64_t denominator) {
  if (denominator <= 1) return numerator;
  const int64_t quotient = numerator / denominator;
  const int64_t remainder = numerator % denominator;
  // |remainder| * 2 >= denominator, without the doubling overflowing.
  const int64_t magnitude = remainder < 0 ? -remainder : remainder;
  if (magnitude >= denominator - magnitude) return numerator < 0 ? quotient - 1 : quotient + 1;
  return quotient;
}

int64_t LineCents(int64_t quantity_milli, int64_t unit_price_cents) {
  // Both are within their limits (under 10^8 each), so the product fits in 64 bits.
  return RoundedQuotient(quantity_milli * unit_price_cents, Power(kQuantityDecimals));
}

int64_t DiscountCents(int64_t line_cents, int64_t percent) {
  return -RoundedQuotient(line_cents * percent, 100);
}

double StoredPriceThousandths(double price) {
  if (!std::isfinite(price) || std::fabs(price) > 1e12) return price;
  return std::round(price * 1000.0) / 1000.0;
}

std::optional<int64_t> StoredPriceCents(double price) {
  if (!std::isfinite(price) || price < 0 || price > 1e12) return std::nullopt;
  const auto thousandths = static_cast<int64_t>(std::round(price * 1000.0));
  const int64_t cents = RoundedQuotient(thousandths, 10);
  if (cents > kMaxUnitPriceCents) return std::nullopt;
  return cents;
}

}  // namespace kv
