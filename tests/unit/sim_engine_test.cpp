// The simulated printer's link-level answers: status, identification, device record, status
// records, setup commands, clock, drawer, and the record of received bytes.
#include <gtest/gtest.h>

#include "sim/engine.h"
#include "sim/records.h"
#include "support/sim_fixture.h"

namespace kv::sim {
namespace {

using test::ReadDeviceRecord;
using test::SampleReceipt;

class SimEngine : public ::testing::Test, public test::SimEngineTest {};

const std::string kReset = "\x0c\r\x03";
const std::string kIdentify = kReset + "\033e\033i";

// The clock command as the program builds it: digits between the template's fixed characters.
std::string ClockCommand(int day, int month, int hour, int minute, int year2) {
  std::string c =
      "\033t11111"
      "7?6?9?8?5?4?3?2?;?:?\r";
  const int values[] = {day, month, hour, minute, year2};
  for (int i = 0; i < 5; ++i) {
    c[8 + 4 * i] = static_cast<char>('0' + values[i] / 10);
    c[10 + 4 * i] = static_cast<char>('0' + values[i] % 10);
  }
  return c;
}

TEST_F(SimEngine, StatusAnswerIsFiveBytesCarryingTheState) {
  EXPECT_EQ(Send("\033\x11"), std::string("FS\x00\x00\xaa", 5));

  engine.state().condition1 = status1::kPaperLow | status1::kBusy;
  engine.state().condition2 = status2::kMechanismError;
  EXPECT_EQ(Send("\033\x11"), std::string("FS\x14\x20\xaa", 5));
  engine.state().condition1 = engine.state().condition2 = 0;

  // An open receipt shows as "document open" and "closing refused".
  Send("\033b");
  EXPECT_EQ(Send("\033\x11"), std::string("FS\xa0\x00\xaa", 5));
  Send("\033e");
  EXPECT_EQ(Send("\033\x11")[2], 0);
}

TEST_F(SimEngine, DailyClosingFallsDueWhenTheDayOfTheFirstDocumentIsOver) {
  Send(SampleReceipt());
  EXPECT_EQ(Send("\033\x11")[2] & status1::kClosingDue, 0);
  host_now += 24 * 3600;
  EXPECT_EQ(Send("\033\x11")[2] & status1::kClosingDue, status1::kClosingDue);
  // A due closing refuses new receipts.
  const uint32_t before = engine.state().document_number;
  Send(SampleReceipt());
  EXPECT_EQ(engine.state().document_number, before);
  EXPECT_EQ(Send("\033dYes"), "\x06");
  EXPECT_EQ(Send("\033\x11")[2] & status1::kClosingDue, 0);
}

TEST_F(SimEngine, CommandsMaySplitAtAnyByte) {
  EXPECT_EQ(Send("\033"), "");
  EXPECT_EQ(Send("\x11"), std::string("FS\x00\x00\xaa", 5));
  std::string answer;
  for (char c : kIdentify) answer += Send(std::string(1, c));
  EXPECT_EQ(answer, "RB490012");
}

TEST_F(SimEngine, IdentificationIsEightBytesAndNeedsBothHalves) {
  EXPECT_EQ(Send(kIdentify), "RB490012");
  EXPECT_EQ(Send("\033i"), "");  // ESC "i" alone is no identification request
  engine.state().version = "37";
  EXPECT_EQ(Send(kIdentify), "RB490037");
}

TEST_F(SimEngine, IdentificationBetweenPiecesOfAnOpenReceiptKeepsItOpen) {
  Send("\033bROZKY\r\n    1.00 x     1.00  \0331       1.00 EUR\r\n");
  EXPECT_EQ(Send(kIdentify), "RB490012");
  EXPECT_TRUE(engine.DocumentOpen());
  Send("\033k        1.00 EUR\r\n\033P1        1.00\r\n\033e");
  EXPECT_FALSE(engine.DocumentOpen());
  EXPECT_EQ(engine.state().document_number, 1u);
}

TEST_F(SimEngine, DeviceRecordFollowsTheLineRules) {
  Send(SampleReceipt());
  const std::string record = Send(kReset + "\033I");
  ASSERT_GE(record.size(), 125u);  // the program waits for 125 bytes on a client request
  EXPECT_EQ(record.find('\x03'), record.size() - 1);
  EXPECT_EQ(record[3], '\r');

  const auto parsed = ReadDeviceRecord(record);
  ASSERT_TRUE(parsed.valid);
  ASSERT_EQ(parsed.lines.size(), 21u);
  EXPECT_EQ(parsed.Number(1), 1);      // document number
  EXPECT_EQ(parsed.Number(2), 0);      // daily closings so far
  EXPECT_EQ(parsed.Number(3), 2.50);   // turnover at VAT level 1
  EXPECT_EQ(parsed.Number(8), 2.50);   // turnover in all
  EXPECT_EQ(parsed.Number(14), 2.50);  // cash
  EXPECT_EQ(parsed.Number(15), 0.42);  // VAT at level 1 (20 %)
  EXPECT_EQ(parsed.lines[19], "03.07.2026");
  EXPECT_EQ(parsed.lines[20], "09:05");
}

TEST_F(SimEngine, StatusRecordsCarryTheirLengthAndFields) {
  engine.state().serial = 0x01020304;
  engine.state().closing_count = 0x0102;
  engine.state().receipt_count = 0x030405;
  std::string info = Send("\033!I");
  ASSERT_EQ(info.size(), 22u);
  EXPECT_EQ(info.substr(0, 2), std::string("\x00\x14", 2));
  info = info.substr(2);
  EXPECT_EQ(info.substr(0, 4), "\x01\x02\x03\x04");
  EXPECT_EQ(info[4], 'P');
  EXPECT_EQ(info[5], 'B');
  EXPECT_EQ(info[11] & 0x0F, 0);  // not in test mode
  EXPECT_EQ(info[12], 'A');
  EXPECT_EQ(info.substr(14, 2), "\x01\x02");
  EXPECT_EQ(info[16], 0x03);
  EXPECT_EQ(info[17], 0x04);
  EXPECT_EQ(info[19], 0x05);

  EXPECT_EQ(Send("\033!d"), std::string("\x00\x0c"
                                        "20\r10\r0\r0\r0\r",
                                        14));
  const std::string z = Send("\033!z");
  EXPECT_EQ(z.substr(2), "0.0100\r\n0.0050\r\n0.0100\r\n0.0050\r\n0.0100\r\n0.0050\r\n");
  EXPECT_EQ(static_cast<uint8_t>(z[1]), z.size() - 2);
  EXPECT_EQ(Send("\033!M"), std::string("\x00\x0b"
                                        "1230.1260\r\n",
                                        13));
  EXPECT_EQ(Send("\033!D"), std::string("\x00\x11"
                                        "71910000000000001",
                                        19));
  EXPECT_EQ(Send("\033!?"), std::string("\x00\x00", 2));
}

TEST_F(SimEngine, SetupCommandsShowInTheReadBack) {
  Send("\033+d21\r9\r5\r0\r0\r");
  EXPECT_EQ(Send("\033!d").substr(2), "21\r9\r5\r0\r0\r");
  Send("\033+z20.0500\r0.0200\r");
  EXPECT_EQ(Send("\033!z").substr(2, 32), "0.0100\r\n0.0050\r\n0.0500\r\n0.0200\r\n");
  Send("\033+M1230.1260\r");
  EXPECT_EQ(Send("\033!M").substr(2), "1230.1260\r\n");
  Send("\033+M2116.0000\r");
  EXPECT_EQ(Send("\033!M").substr(2), "2116.0000\r\n");
  Send("\033+T1");
  EXPECT_EQ(Send("\033!I")[2 + 11] & 0x0F, 1);
  Send("\033+T0");
  EXPECT_EQ(Send("\033!I")[2 + 11] & 0x0F, 0);
}

TEST_F(SimEngine, VatRatesChangeOnlyWhileTheDayIsEmpty) {
  Send(SampleReceipt());
  Send("\033+d0\r0\r0\r0\r0\r");
  EXPECT_EQ(Send("\033!d").substr(2), "20\r10\r0\r0\r0\r");
  Send("\033dYes");
  Send("\033+d0\r0\r0\r0\r0\r");
  EXPECT_EQ(Send("\033!d").substr(2), "0\r0\r0\r0\r0\r");
  Send("\033+d100\r0\r0\r0\r0\r");  // three digits: not a rate
  EXPECT_EQ(Send("\033!d").substr(2), "0\r0\r0\r0\r0\r");
}

TEST_F(SimEngine, ClockCommandSetsThePrinterClock) {
  // 17:42 on 25 December 2027 in the 28-byte template.
  const std::string set = ClockCommand(25, 12, 17, 42, 27);
  ASSERT_EQ(set.size(), 28u);
  EXPECT_EQ(Send(set), "");
  const auto parsed = ReadDeviceRecord(Send(kReset + "\033I"));
  EXPECT_EQ(parsed.lines[19], "25.12.2027");
  EXPECT_EQ(parsed.lines[20], "17:42");
  // The clock runs on from there.
  host_now += 60;
  EXPECT_EQ(ReadDeviceRecord(Send("\033I")).lines[20], "17:43");
  // A damaged template changes nothing.
  std::string damaged = ClockCommand(1, 1, 1, 1, 27);
  damaged[9] = 'X';
  Send(damaged);
  EXPECT_EQ(ReadDeviceRecord(Send("\033I")).lines[20], "17:43");
}

TEST_F(SimEngine, DrawerSequencesAreCountedShownAndNotAnswered) {
  const std::string epson("\033\x46\033\x70\x01\x14\x96\x03\x00\x00", 10);
  const std::string star("\033\x46\x07\x03\x00\x00\x00\x00\x00\x00", 10);
  const std::string own("\033\x6f\x00\x00\x00\x00\x00\x00\x00\x00", 10);
  const std::string zeros(10, '\0');
  EXPECT_EQ(Send(epson), "");
  EXPECT_EQ(Send(star), "");
  EXPECT_EQ(Send(own), "");
  EXPECT_EQ(Send(zeros), "");
  EXPECT_EQ(engine.state().drawer_pulses, 3u);
  // Each opening shows on the paper as a line of its own.
  std::string drawer_lines;
  for (int i = 0; i < 3; ++i) drawer_lines += "[z\xe1suvka otvoren\xe1]\n";
  EXPECT_EQ(engine.paper(), drawer_lines);
  // The printer still understands what follows.
  EXPECT_EQ(Send("\033\x11").size(), 5u);
}

TEST_F(SimEngine, RecordsEveryByteWithItsTick) {
  Send("\033\x11");
  clock.Advance(40);
  Send(kReset);
  ASSERT_EQ(engine.received().size(), 2u);
  EXPECT_EQ(engine.received()[0].tick + 40, engine.received()[1].tick);
  EXPECT_EQ(engine.ReceivedBytes(), "\033\x11" + kReset);
  engine.ClearReceived();
  EXPECT_EQ(engine.ReceivedBytes(), "");
}

TEST(SimCrc, MatchesTheCheckValue) {
  EXPECT_EQ(Crc16("123456789"), 0x31C3);
}

}  // namespace
}  // namespace kv::sim
