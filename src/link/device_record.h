#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/fixed_text.h"

namespace kv {

// The device record (the answer to ESC "I"): counters, the day's amounts and the printer's
// date and time, as text lines after three leading bytes.
struct DeviceRecord {
  int32_t document_number = 0;
  int32_t second_counter = 0;
  std::array<double, 12> amounts1{};  // grid column 1, rows 1-12
  std::array<double, 5> amounts2{};   // grid column 2, rows 1-5
  std::string date;                   // line 20
  std::string time;                   // line 21
};

// Parses a device record over `previous`: the lines present replace their fields, the others
// keep their last values. Empty when byte 3 is neither CR nor LF, the record is shorter than
// four bytes, or a numeric line cannot be converted. Numbers are read with a point as the
// decimal separator whatever the locale.
std::optional<DeviceRecord> ParseDeviceRecordBytes(std::string_view bytes,
                                                   DeviceRecord previous = {});

// The information record "I", decoded.
struct InfoRecord {
  uint32_t serial_number = 0;
  char printer_kind = 0;
  char b_flag = 0;
  uint8_t busy = 0, pe = 0, ack = 0, err = 0, dsp = 0;
  uint8_t test_mode = 0;
  char program_memory = 0;
  uint16_t daily_close_count = 0;
  uint32_t receipt_count = 0;
};

inline constexpr size_t kInfoRecordMinimum = 18;

// Decodes an "I" record of at least 18 bytes; empty when it is shorter. The receipt count takes
// bytes 16 and 17 and, when the record carries it, byte 19 as its low byte.
std::optional<InfoRecord> DecodeInfoRecord(std::string_view record);

// The VAT record "d": decimal numbers each ended by CR, other bytes skipped. Stores at most
// `rates.size()` numbers from the first rate on; returns how many were stored. A number above
// 255 is stored as 255 (a rate is one byte).
size_t ParseVatRecord(std::string_view record, std::array<uint8_t, 5>& rates);

// The rounding record "z": lines ended by LF or CR, only graphic characters counted, empty
// lines skipped, each line cut to 23 characters. Stores at most six lines; returns the count.
using RoundingLine = FixedText<24>;
size_t ParseRoundingRecord(std::string_view record, std::array<RoundingLine, 6>& lines);

}  // namespace kv
