#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Numbers as the till writes and reads them: always with "." as the decimal point, whatever
// locale the process runs under (printf would follow LC_NUMERIC).

// printf "%<width>.<decimals>f": right-aligned, "-" inside the width, a wider value widens.
// Amounts are not doubles: they are formatted from cents (register/money.h).
std::string FormatFixed(double value, int width, int decimals);
// printf "%<width>d".
std::string FormatInt(long long value, int width);

// printf "%-<width>s" and "%<width>s".
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);

// A whole number written only with digits; nullopt otherwise or when it is out of range.
std::optional<int> ParseCount(std::string_view text);

}  // namespace kv
