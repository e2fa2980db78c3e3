#include "link/device_record.h"

#include <charconv>

#include "base/control_bytes.h"

namespace kv {

namespace {

bool Printable(unsigned char c) {
  return c >= 0x20 && c != 0x7F;
}
bool Graphic(unsigned char c) {
  return c > 0x20 && c != 0x7F;
}
bool Digit(char c) {
  return c >= '0' && c <= '9';
}

template <typename T>
bool Convert(const std::string& text, T& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

// Stores line `line` (1-based) of the record; false when its number cannot be converted.
bool StoreLine(int line, const std::string& text, const std::string& number, DeviceRecord& out) {
  if (line == 1) return Convert(number, out.document_number);
  if (line == 2) return Convert(number, out.second_counter);
  if (line >= 3 && line <= 14) return Convert(number, out.amounts1[line - 3]);
  if (line >= 15 && line <= 19) return Convert(number, out.amounts2[line - 15]);
  if (line == 20) out.date = text;
  if (line == 21) out.time = text;
  return true;  // lines after the time are not used
}

}  // namespace

std::optional<DeviceRecord> ParseDeviceRecordBytes(std::string_view bytes, DeviceRecord previous) {
  if (bytes.size() < 4 || (bytes[3] != kCR && bytes[3] != kLF)) return std::nullopt;
  DeviceRecord record = std::move(previous);
  std::string text;
  std::string number;
  int line = 0;
  for (size_t i = 3; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kCR || c == kLF) {
      if (text.empty()) continue;
      if (!StoreLine(++line, text, number, record)) return std::nullopt;
      text.clear();
      number.clear();
      continue;
    }
    if (Printable(static_cast<unsigned char>(c))) text += c;
    if (Digit(c) || c == '.') number += c;
  }
  return record;
}

std::optional<InfoRecord> DecodeInfoRecord(std::string_view record) {
  if (record.size() < kInfoRecordMinimum) return std::nullopt;
  auto byte = [&](size_t i) { return static_cast<uint8_t>(record[i]); };
  InfoRecord info;
  info.serial_number =
      (uint32_t{byte(0)} << 24) | (uint32_t{byte(1)} << 16) | (uint32_t{byte(2)} << 8) | byte(3);
  info.printer_kind = record[4];
  info.b_flag = record[5];
  info.busy = byte(6) & 0x0F;
  info.pe = byte(7) & 0x0F;
  info.ack = byte(8) & 0x0F;
  info.err = byte(9) & 0x0F;
  info.test_mode = byte(11) & 0x0F;
  info.program_memory = record[12];
  info.dsp = byte(13) & 0x0F;
  info.daily_close_count = static_cast<uint16_t>((byte(14) << 8) | byte(15));
  // Byte 18 is skipped; a record that stops before byte 19 carries a 16-bit count.
  const uint32_t high = (uint32_t{byte(16)} << 8) | byte(17);
  info.receipt_count = record.size() > 19 ? (high << 8) | byte(19) : high;
  return info;
}

size_t ParseVatRecord(std::string_view record, std::array<uint8_t, 5>& rates) {
  size_t stored = 0;
  uint32_t value = 0;
  for (const char c : record) {
    if (stored == rates.size()) break;
    if (Digit(c)) {
      value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(c - '0'), 1000);
    } else if (c == kCR) {
      rates[stored++] = static_cast<uint8_t>(std::min<uint32_t>(value, 255));
      value = 0;
    }
  }
  return stored;
}

size_t ParseRoundingRecord(std::string_view record, std::array<RoundingLine, 6>& lines) {
  size_t stored = 0;
  std::string line;
  for (const char c : record) {
    if (stored == lines.size()) break;
    if (c == kCR || c == kLF) {
      if (!line.empty()) lines[stored++] = line;
      line.clear();
    } else if (Graphic(static_cast<unsigned char>(c)) && line.size() < RoundingLine::capacity()) {
      line += c;
    }
  }
  return stored;
}

}  // namespace kv
