#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/fixed_text.h"

namespace kv {

// One article of the price list file: a fixed record of 88 bytes, little-endian, no header.
//   0  40  name, cp1250, NUL-terminated (a record with an empty name is no article)
//  40  16  code, NUL-terminated, at most 13 characters
//  56   8  price, IEEE 754 double
//  64  16  reserved, zeros
//  80   1  VAT level index 0 ... 4
//  81   7  spare, kept as the file held it
struct TPriceCard {
  FixedText<40> name;
  FixedText<16> code;
  double price = 0;
  std::array<uint8_t, 16> reserved{};
  uint8_t vat_level = 0;
  std::array<uint8_t, 7> spare{};
};

inline constexpr size_t kPriceCardSize = 88;
inline constexpr int kPriceListCapacity = 1000;
inline constexpr size_t kPriceCodeLength = 13;

// A VAT level byte outside the five levels: such a record loads, but its level must be chosen
// by the operator before it is sold.
inline bool VatLevelValid(const TPriceCard& card) {
  return card.vat_level < 5;
}

std::array<uint8_t, kPriceCardSize> EncodePriceCard(const TPriceCard& card);
TPriceCard DecodePriceCard(const uint8_t* bytes);  // kPriceCardSize bytes

struct PriceFileContent {
  bool opened = false;
  bool read_error = false;        // reading stopped early; `cards` holds what came before
  std::vector<TPriceCard> cards;  // the named records, at most kPriceListCapacity
  size_t stray_tail_bytes = 0;    // bytes after the last whole record
  size_t dropped_records = 0;     // named records beyond the capacity, and records not read
};
// Reads the whole records of a regular file, opened without blocking (a FIFO or a device is not
// opened: `opened` stays false); records with an empty name are skipped. Only the first
// kPriceFileReadLimit bytes are read: the whole records past them count as dropped.
inline constexpr size_t kPriceFileReadLimit = 1024 * 1024;
PriceFileContent ReadPriceFile(const std::string& path);
// Writes the cards to a new file beside `path` and renames it over `path`, so the old list
// stays whole when writing fails. False on any failure.
bool WritePriceFile(const std::string& path, const std::vector<TPriceCard>& cards);
// Creates the folder of the price list file when it is missing; false when it cannot be made.
bool EnsurePriceListFolder(const std::string& path);

}  // namespace kv
