#pragma once

#include <cstdint>

namespace kv {

// The control bytes of the printer's command text and answers.
inline constexpr uint8_t kETX = 3;  // ends a text block, a record, a line to be dropped
inline constexpr uint8_t kLF = 10;
inline constexpr uint8_t kFF = 12;
inline constexpr uint8_t kCR = 13;
inline constexpr uint8_t kDC1 = 17;    // after ESC: the status query
inline constexpr uint8_t kNAK = 0x15;  // a refused copy
inline constexpr uint8_t kESC = 27;    // starts every command
// ESC again, for command text built as a string.
inline constexpr char kEsc = static_cast<char>(kESC);

}  // namespace kv
