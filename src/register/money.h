#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Money is a count of cents and a quantity a count of thousandths, both in 64-bit integers,
// from the text they are typed or sent as to the text they are printed as. A line amount is
// rounded once, half away from zero; that one value is shown, printed and summed, so the item
// lines always add up to the total and the payments settle it to the cent.

// The limits, so that every figure fits its printed field ("%12.2f" for a total).
inline constexpr int64_t kMaxAmountCents = 9'999'999'999;   // 99,999,999.99: total, tender, deposit
inline constexpr int64_t kMaxLineCents = 999'999'999;       // 9,999,999.99: one line
inline constexpr int64_t kMaxUnitPriceCents = 99'999'999;   // 999,999.99: a unit price
inline constexpr int64_t kMaxQuantityMilli = 99'999'999;    // 99,999.999: a quantity

inline constexpr int kAmountDecimals = 2;
inline constexpr int kQuantityDecimals = 3;

// A number read from its text into whole units of 10^-decimals, never through a binary fraction.
struct FixedPoint {
  enum Refusal { None, Empty, NotANumber, TooManyDecimals, TooLarge } refusal = None;
  int64_t value = 0;
  bool ok() const { return refusal == None; }
};
// Digits with at most one "." (a bare leading or trailing "." is fine, "1." and ".5"), an
// optional leading "-", blanks around it. More decimals than `decimals` and a magnitude over
// `max_magnitude` are refused, never rounded.
FixedPoint ParseFixedPoint(std::string_view text, int decimals, int64_t max_magnitude);

// printf "%<width>.<shown>f" of a value held with `held` decimals. Fewer decimals shown than
// held round half away from zero; a value of 0 never shows a "-".
std::string FormatFixedPoint(int64_t value, int held, int width, int shown);
inline std::string FormatCents(int64_t cents, int width) {
  return FormatFixedPoint(cents, kAmountDecimals, width, kAmountDecimals);
}
// Cents the short way: no trailing zeros, no "." for a whole amount ("1.5", "2", "0.13").
std::string FormatCentsShort(int64_t cents);

// numerator / denominator rounded half away from zero; `denominator` above 0.
int64_t RoundedQuotient(int64_t numerator, int64_t denominator);
// Quantity times unit price, exact, rounded once to the cent (1.5 x 0.99 = 1.485 -> 1.49).
int64_t LineCents(int64_t quantity_milli, int64_t unit_price_cents);
// The discount of `percent` on a line: the percentage of it rounded the same way, negative
// (15 % of 2.99 = 0.4485 -> -0.45).
int64_t DiscountCents(int64_t line_cents, int64_t percent);

// A price as the price list file stores it (a double), as the till sells it: rounded to
// thousandths as the editor saves it, then to cents half away from zero (a stored 0.125 sells
// at 0.13). Nothing for a price that is not a number, infinite, negative or over the limit.
std::optional<int64_t> StoredPriceCents(double price);
// The stored price rounded to thousandths (prices that are no number are left as they are).
double StoredPriceThousandths(double price);

}  // namespace kv
