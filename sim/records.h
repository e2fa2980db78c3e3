#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "sim/printer_state.h"

namespace kv::sim {

constexpr char kEsc = 27;
constexpr char kEtx = 3;
constexpr char kAck = 6;
constexpr char kNak = 21;

// The rule printed between a document's parts.
inline const std::string kRule(40, '-');

// True for a non-empty text of the digits 0-9 alone.
bool AllDigits(std::string_view s);

// printf into a std::string (the printer's texts are produced with printf formats).
std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// CRC-16, polynomial 0x1021, register 0 at the start, most significant bit first, no final XOR.
uint16_t Crc16(std::string_view bytes);

// "F", "S", status byte 1, status byte 2, 0xAA; garbled: the frame bytes are wrong.
std::string StatusAnswer(uint8_t s1, uint8_t s2, bool garbled);

// Model name and two version digits: exactly 8 bytes.
std::string Identification(const PrinterState& state);

// The device record: three leading bytes, CR LF, 21 lines ended by CR LF, ETX.
std::string DeviceRecord(const PrinterState& state, const std::tm& now);

// The bytes of status record `letter` (without the length); empty for an unknown letter.
std::string StatusRecordBody(const PrinterState& state, char letter);

// A document text (CR LF lines) as a fetched block: lines ended by "^C^L", the first line and
// total lines bold ("^B" ... "^N"), followed by the CRC of those bytes, high byte first.
std::string FetchBlock(std::string_view text);

// "dd.mm.yyyy", "hh:mm", "yyyymmdd", "hhmm" of a broken-down time.
std::string DateText(const std::tm& t);
std::string TimeText(const std::tm& t);
std::string DateKey(const std::tm& t);
std::string TimeKey(const std::tm& t);

// "EUR", "SKK", "CZK", "USD" from the currency character '1'..'4'.
std::string CurrencyName(char active);

}  // namespace kv::sim
