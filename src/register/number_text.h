#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Numbers as the till writes and reads them: always with "." as the decimal point, whatever
// locale the process runs under (printf would follow LC_NUMERIC).

// printf "%<width>.<decimals>f": right-aligned, "-" inside the width, a wider value widens.
std::string FormatFixed(double value, int width, int decimals);
// printf "%<width>d".
std::string FormatInt(long long value, int width);
// A number the shortest way that keeps 15 significant digits ("1.5", "2", "0.125").
std::string FormatGeneral(double value);

// printf "%-<width>s" and "%<width>s".
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);

// A decimal number with "." as the point, blanks around it allowed; nullopt when the text is
// empty or not wholly a number.
std::optional<double> ParseDecimal(std::string_view text);
// A whole number written only with digits; nullopt otherwise or when it is out of range.
std::optional<int> ParseCount(std::string_view text);

// The value as "%10.2f" prints it, read back: exactly the two decimals shown.
double RoundToCents(double value);
// The value in whole cents (nearest).
long long WholeCents(double value);

}  // namespace kv
