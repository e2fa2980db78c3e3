#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "register/money.h"

namespace kv {

// JSON whose numbers keep their own digits. A number that is not a whole number is held as the
// text it was written in (a binary value of subtype kJsonNumberText) instead of the nearest
// binary fraction, so an amount is read from its digits: 0.29 is 29 cents, never
// 0.28999999999999998. Whole numbers are held as integers, as the usual parser holds them.
inline constexpr std::uint64_t kJsonNumberText = 0x4e54;  // "NT"

// Parses `text` as JSON; nullopt when it is not JSON.
std::optional<nlohmann::json> ParseJsonExact(std::string_view text);

// Whether `value` is a number of such a document.
bool IsJsonNumber(const nlohmann::json& value);

// A number of such a document in units of 10^-decimals, read from its digits (an exponent moves
// the point). NotANumber for a value that is no number; more decimals than `decimals` or a
// magnitude over `max_magnitude` are refused, never rounded.
FixedPoint JsonFixedPoint(const nlohmann::json& value, int decimals, int64_t max_magnitude);

}  // namespace kv
