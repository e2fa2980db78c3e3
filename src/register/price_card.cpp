#include "register/price_card.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "base/file_system.h"
#include "base/small_file.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

constexpr size_t kNameOffset = 0;
constexpr size_t kCodeOffset = 40;
constexpr size_t kPriceOffset = 56;
constexpr size_t kReservedOffset = 64;
constexpr size_t kVatOffset = 80;
constexpr size_t kSpareOffset = 81;

uint64_t LittleEndian(uint64_t value) {
  if constexpr (std::endian::native == std::endian::big) {
    uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) swapped = (swapped << 8) | ((value >> (8 * i)) & 0xFF);
    return swapped;
  }
  return value;
}

template <size_t N>
void PutText(uint8_t* out, const FixedText<N>& text) {
  std::memcpy(out, text.bytes().data(), N);
}

template <size_t N>
FixedText<N> GetText(const uint8_t* in) {
  const char* chars = reinterpret_cast<const char*>(in);
  return FixedText<N>(std::string_view(chars, strnlen(chars, N)));
}

}  // namespace

std::array<uint8_t, kPriceCardSize> EncodePriceCard(const TPriceCard& card) {
  std::array<uint8_t, kPriceCardSize> bytes{};
  PutText(bytes.data() + kNameOffset, card.name);
  PutText(bytes.data() + kCodeOffset, card.code);
  const uint64_t price = LittleEndian(std::bit_cast<uint64_t>(card.price));
  std::memcpy(bytes.data() + kPriceOffset, &price, sizeof price);
  std::memcpy(bytes.data() + kReservedOffset, card.reserved.data(), card.reserved.size());
  bytes[kVatOffset] = card.vat_level;
  std::memcpy(bytes.data() + kSpareOffset, card.spare.data(), card.spare.size());
  return bytes;
}

TPriceCard DecodePriceCard(const uint8_t* bytes) {
  TPriceCard card;
  card.name = GetText<40>(bytes + kNameOffset);
  card.code = GetText<16>(bytes + kCodeOffset);
  uint64_t price = 0;
  std::memcpy(&price, bytes + kPriceOffset, sizeof price);
  card.price = std::bit_cast<double>(LittleEndian(price));
  std::memcpy(card.reserved.data(), bytes + kReservedOffset, card.reserved.size());
  card.vat_level = bytes[kVatOffset];
  std::memcpy(card.spare.data(), bytes + kSpareOffset, card.spare.size());
  return card;
}

PriceFileContent ReadPriceFile(const std::string& path) {
  PriceFileContent content;
  std::string bytes;
  uint64_t file_size = 0;
  const SmallFileStatus status = ReadFileStart(path, bytes, kPriceFileReadLimit, file_size);
  if (status != SmallFileStatus::Read && status != SmallFileStatus::ReadError) return content;
  content.opened = true;
  content.read_error = status == SmallFileStatus::ReadError;
  size_t at = 0;
  for (; at + kPriceCardSize <= bytes.size(); at += kPriceCardSize) {
    const auto* record = reinterpret_cast<const uint8_t*>(bytes.data() + at);
    if (record[kNameOffset] == 0) continue;
    if (content.cards.size() < static_cast<size_t>(kPriceListCapacity))
      content.cards.push_back(DecodePriceCard(record));
    else
      ++content.dropped_records;
  }
  if (content.read_error) return content;
  // What lies past the part read is not looked at: its whole records count as dropped.
  const uint64_t rest = std::max<uint64_t>(file_size, bytes.size()) - at;
  content.dropped_records += static_cast<size_t>(rest / kPriceCardSize);
  content.stray_tail_bytes = static_cast<size_t>(rest % kPriceCardSize);
  return content;
}

bool WritePriceFile(const std::string& path, const std::vector<TPriceCard>& cards) {
  std::string bytes;
  bytes.reserve(cards.size() * kPriceCardSize);
  for (const auto& card : cards) {
    if (card.name.view().empty()) continue;
    const auto record = EncodePriceCard(card);
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  return SaveFileAtomically(path, bytes);
}

bool EnsurePriceListFolder(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) return true;
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

}  // namespace kv
