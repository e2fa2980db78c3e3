#include "sim/records.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace kv::sim {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Fmt(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return {};
  return std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

uint16_t Crc16(std::string_view bytes) {
  uint16_t crc = 0;
  for (char c : bytes) {
    crc ^= static_cast<uint16_t>(static_cast<uint8_t>(c) << 8);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                           : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}

std::string StatusAnswer(uint8_t s1, uint8_t s2, bool garbled) {
  std::string answer = "FS";
  answer += static_cast<char>(s1);
  answer += static_cast<char>(s2);
  answer += static_cast<char>(0xAA);
  if (garbled) {
    answer[1] = '?';
    answer[4] = 0x55;
  }
  return answer;
}

std::string Identification(const PrinterState& state) {
  std::string id = state.model;
  id.resize(6, ' ');
  std::string version = state.version;
  version.resize(2, '0');
  return id + version;
}

std::string DateText(const std::tm& t) {
  return Fmt("%02d.%02d.%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
}
std::string TimeText(const std::tm& t) {
  return Fmt("%02d:%02d", t.tm_hour, t.tm_min);
}
std::string DateKey(const std::tm& t) {
  return Fmt("%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}
std::string TimeKey(const std::tm& t) {
  return Fmt("%02d%02d", t.tm_hour, t.tm_min);
}

std::string CurrencyName(char active) {
  static const char* const kNames[] = {"EUR", "SKK", "CZK", "USD"};
  const int index = active - '1';
  return (index >= 0 && index < 4) ? kNames[index] : "EUR";
}

std::string DeviceRecord(const PrinterState& state, const std::tm& now) {
  std::string record = "INF\r\n";
  record += Fmt("%u\r\n", state.document_number);
  record += Fmt("%u\r\n", state.closing_count);
  for (double amount : state.day.Column1()) record += Fmt("%11.2f\r\n", amount);
  for (double amount : state.day.vat) record += Fmt("%11.2f\r\n", amount);
  record += DateText(now) + "\r\n";
  record += TimeText(now) + "\r\n";
  record += kEtx;
  return record;
}

namespace {

char Flag(uint8_t value) {
  return static_cast<char>('0' + (value & 0x0F));
}

std::string InfoRecord(const PrinterState& s) {
  std::string r;
  for (int shift = 24; shift >= 0; shift -= 8) r += static_cast<char>((s.serial >> shift) & 0xFF);
  r += s.kind;
  r += s.line_mode;
  r += Flag(s.busy);
  r += Flag(s.paper_end);
  r += Flag(s.ack);
  r += Flag(s.error);
  r += '0';  // byte 10, not used
  r += Flag(s.test_mode ? 1 : 0);
  r += s.memory_letter;
  r += Flag(s.display);
  r += static_cast<char>((s.closing_count >> 8) & 0xFF);
  r += static_cast<char>(s.closing_count & 0xFF);
  r += static_cast<char>((s.receipt_count >> 16) & 0xFF);
  r += static_cast<char>((s.receipt_count >> 8) & 0xFF);
  r += '0';  // byte 18, not used
  r += static_cast<char>(s.receipt_count & 0xFF);
  return r;
}

}  // namespace

std::string StatusRecordBody(const PrinterState& state, char letter) {
  switch (letter) {
    case 'I':
      return InfoRecord(state);
    case 'd': {
      std::string r;
      for (uint8_t rate : state.vat_rates) r += Fmt("%u\r", rate);
      return r;
    }
    case 'z': {
      std::string r;
      for (const std::string& line : state.rounding) r += line + "\r\n";
      return r;
    }
    case 'M':
      return std::string(1, state.active_currency) + state.dual_currency + state.rate + "\r\n";
    case 'D':
      return state.dkp;
    default:
      return {};
  }
}

std::string FetchBlock(std::string_view text) {
  std::string block;
  bool first = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    pos = end + 2;
    for (char& c : line)
      if (c == '^') c = ' ';  // the markup has no escape for its own sign
    const bool bold = !line.empty() && (first || line.rfind("CELKOM", 0) == 0);
    if (!line.empty()) first = false;
    // A marker takes the next character with it; a blank after "^N" ends the bold run cleanly.
    block += bold ? "^B" + line + "^N " : line;
    block += "^C^L";
  }
  constexpr size_t kMaxText = 10000 - 2;
  if (block.size() > kMaxText) block.resize(kMaxText);
  const uint16_t crc = Crc16(block);
  block += static_cast<char>(crc >> 8);
  block += static_cast<char>(crc & 0xFF);
  return block;
}

}  // namespace kv::sim
