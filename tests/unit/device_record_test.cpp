#include "link/device_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "link/clock_command.h"
#include "link/crc.h"

namespace kv {
namespace {

// A device record as the printer sends it: three leading bytes, CR LF, 21 lines, ETX.
std::string Record(const std::string& first_amount = "12.50") {
  std::string r("\x02\x01\x00\r\n", 5);
  r += "Doklad 1234\r\n";
  r += "77\r\n";
  r += first_amount + "\r\n";
  for (int i = 2; i <= 12; ++i) r += std::to_string(i) + ".00\n";
  r += "\r\n\r\n";  // empty lines do not count
  for (int i = 1; i <= 5; ++i) r += "B" + std::to_string(i) + " " + std::to_string(i * 10) + ".5\r";
  r += "06.12.2026\r\n09:05\r\nextra 1\r\n\x03";
  return r;
}

TEST(DeviceRecord, ParsesCountersAmountsDateAndTime) {
  const std::string r = Record();
  const auto parsed = ParseDeviceRecordBytes(std::string_view(r).substr(0, r.size() - 1));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->document_number, 1234);
  EXPECT_EQ(parsed->second_counter, 77);
  EXPECT_DOUBLE_EQ(parsed->amounts1[0], 12.5);
  EXPECT_DOUBLE_EQ(parsed->amounts1[11], 12.0);
  EXPECT_DOUBLE_EQ(parsed->amounts2[0], 110.5);  // "B1 10.5": digits and points of the line
  EXPECT_DOUBLE_EQ(parsed->amounts2[4], 550.5);
  EXPECT_EQ(parsed->date, "06.12.2026");
  EXPECT_EQ(parsed->time, "09:05");
}

TEST(DeviceRecord, PointIsTheDecimalSeparatorWhateverTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "sk_SK.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma (sk_SK.UTF-8, de_DE.UTF-8) is installed; "
                    "scripts/test generates sk_SK.UTF-8";
  const char comma = *std::localeconv()->decimal_point;
  const std::string r = Record();
  const auto parsed = ParseDeviceRecordBytes(r);
  std::setlocale(LC_NUMERIC, saved.c_str());
  ASSERT_EQ(comma, ',');
  ASSERT_TRUE(parsed);
  EXPECT_DOUBLE_EQ(parsed->amounts1[0], 12.5);
}

TEST(DeviceRecord, InvalidFourthByteShortRecordOrUnconvertibleNumber) {
  std::string r = Record();
  r[3] = 'X';
  EXPECT_FALSE(ParseDeviceRecordBytes(r));
  EXPECT_FALSE(ParseDeviceRecordBytes("ab"));
  EXPECT_FALSE(ParseDeviceRecordBytes(Record("1.2.3")));  // two points: not a number
  r = Record();
  r[3] = '\n';
  EXPECT_TRUE(ParseDeviceRecordBytes(r));
  // A number line without digits cannot be converted either.
  EXPECT_FALSE(ParseDeviceRecordBytes(std::string("abc\rno digits\r")));
}

TEST(InfoRecord, DecodesFieldsAndNeedsEighteenBytes) {
  std::string rec = {'\x00', '\x01', '\x02', '\x03', 'P',    'B',    '\x31', '\x02', '\x00',
                     '\xF0', '\x00', '\x01', 'B',    '\x14', '\x01', '\x02', '\x00', '\x03'};
  EXPECT_FALSE(DecodeInfoRecord(rec.substr(0, 17)));
  auto info = DecodeInfoRecord(rec);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->serial_number, 0x00010203u);
  EXPECT_EQ(info->printer_kind, 'P');
  EXPECT_EQ(info->b_flag, 'B');
  EXPECT_EQ(info->busy, 1);  // low four bits only
  EXPECT_EQ(info->pe, 2);
  EXPECT_EQ(info->ack, 0);
  EXPECT_EQ(info->err, 0);  // 0xF0: high bits do not count
  EXPECT_EQ(info->test_mode, 1);
  EXPECT_EQ(info->program_memory, 'B');
  EXPECT_EQ(info->dsp, 4);
  EXPECT_EQ(info->daily_close_count, 0x0102);
  EXPECT_EQ(info->receipt_count, 3u);  // 18 bytes: bytes 16 and 17 only
  rec += std::string("\x55\x07", 2);   // byte 18 skipped, byte 19 is the low byte
  info = DecodeInfoRecord(rec);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->receipt_count, 0x0307u);
}

TEST(VatRecord, NumbersEndedByCrAtMostFiveRatesBounded) {
  std::array<uint8_t, 5> rates{9, 9, 9, 9, 9};
  EXPECT_EQ(ParseVatRecord("20%\r10\r", rates), 2u);
  EXPECT_EQ(rates, (std::array<uint8_t, 5>{20, 10, 9, 9, 9}));
  EXPECT_EQ(ParseVatRecord("1\r2\r3\r4\r5\r6\r7\r", rates), 5u);
  EXPECT_EQ(rates, (std::array<uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ParseVatRecord("99999999999\r", rates), 1u);
  EXPECT_EQ(rates[0], 255);
}

TEST(RoundingRecord, GraphicCharactersLinesOfAtMost23SixLines) {
  std::array<RoundingLine, 6> lines;
  const std::string record = "0.05\r\n\r\n 1 0 \n" + std::string(30, '7') + "\rc\rd\re\rf\rg\r";
  EXPECT_EQ(ParseRoundingRecord(record, lines), 6u);
  EXPECT_EQ(lines[0], "0.05");
  EXPECT_EQ(lines[1], "10");
  EXPECT_EQ(lines[2], std::string(23, '7'));
  EXPECT_EQ(lines[5], "e");
  EXPECT_EQ(ParseRoundingRecord("no end", lines), 0u);
}

TEST(Crc16, MatchesTheCheckValueAndStepsOneByteAtATime) {
  uint16_t reg = 0;
  for (char c : std::string("123456789")) reg = Crc16Step(reg, static_cast<uint8_t>(c));
  EXPECT_EQ(reg, 0x31C3);
  EXPECT_EQ(Crc16Step(0, 0), 0);
  EXPECT_EQ(Crc16Step(0, 0x80), 0x9188);  // table entry 0x80 of this CRC
}

TEST(ClockCommand, DigitsOfDateAndTimeAtTheirPositions) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 6;
  t.tm_mday = 3;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 59;
  const auto c = ClockCommand(t);
  const std::string text(c.begin(), c.end());
  EXPECT_EQ(text, std::string("\x1bt111117063908750493025;2:6\r"));
}

}  // namespace
}  // namespace kv
