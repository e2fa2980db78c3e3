// The simulated printer on the in-memory line, driven from the program's end a().
#include <gtest/gtest.h>

#include "link/com_port.h"
#include "platform/memory_line.h"
#include "platform/serial_memory.h"
#include "sim/line_printer.h"
#include "support/fake_clock.h"
#include "support/sim_fixture.h"

namespace kv::sim {
namespace {

class SimOnLine : public ::testing::Test {
 protected:
  SimOnLine() {
    printer.engine().SetHostTime([] { return test::LocalTime(2026, 7, 3, 9, 5); });
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }

  // Reads an answer the way the program's link layer does: a 50 ms pause, a wait for the
  // minimum count (1 when it is 10 or less) bounded by the time-out, then a drain that goes on
  // while bytes keep coming with gaps under 20 ms.
  std::string ReadAnswer(uint32_t timeout_ms, size_t minimum) {
    clock.Sleep(50);
    const size_t wanted = minimum > 10 ? minimum : 1;
    const uint32_t start = clock.TickCount();
    while (program().Available() < wanted && clock.Since(start) <= timeout_ms) clock.Sleep(1);
    std::string got;
    for (;;) {
      clock.Sleep(20);
      const std::string more = program().Read(program().Available());
      if (more.empty()) break;
      got += more;
    }
    return got;
  }

  MemoryLine::End& program() { return line.a(); }

  test::FakeClock clock;
  MemoryLine line{clock};
  LinePrinter printer{line};
};

TEST_F(SimOnLine, PrinterRaisesItsLinesAndAnswersAtOnce) {
  EXPECT_TRUE(program().Cts());
  EXPECT_TRUE(program().Dsr());
  program().Write("\033\x11");
  EXPECT_EQ(program().Read(10), std::string("FS\x00\x00\xaa", 5));
  EXPECT_EQ(printer.engine().ReceivedBytes(), "\033\x11");
}

TEST_F(SimOnLine, AnswersArePacedAtTheBaudRate) {
  printer.SetBaud(9600);  // 10 bits per byte: 1.04 ms a byte
  program().Write("\033\x11");
  EXPECT_EQ(program().Available(), 0u);
  clock.Advance(2);
  EXPECT_EQ(program().Available(), 1u);
  clock.Advance(4);
  EXPECT_EQ(program().Available(), 5u);

  // A device record takes its time; a program that reads after a fixed pause gets a part.
  program().Write("\x0c\r\x03\033I");
  clock.Advance(50);
  const size_t early = program().Available();
  EXPECT_GT(early, 40u);
  EXPECT_LT(early, 60u);
}

TEST_F(SimOnLine, LinkLayerReadingGetsTheWholeDeviceRecordAt9600) {
  printer.SetBaud(9600);
  program().Write(test::SampleReceipt());
  program().Write("\x0c\r\x03\033I");
  const std::string record = ReadAnswer(7000, 100);
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.back(), '\x03');
  const auto parsed = test::ReadDeviceRecord(record);
  ASSERT_EQ(parsed.lines.size(), 21u);
  EXPECT_EQ(parsed.Number(1), 1);
  EXPECT_LT(clock.slept(), 1000u);  // no time-out was needed
}

TEST_F(SimOnLine, ThePortsBytesReachThePrinterAtLineSpeed) {
  // The program's in-memory port at 9600 baud hands a byte over each 1.04 ms, so the printer
  // takes a receipt as kv4910-sim --baud 9600 takes it from a pseudo-terminal.
  TComPort port{MakeMemoryComBackend(program(), clock)};
  port.Open();
  const std::string receipt = test::SampleReceipt();
  ASSERT_EQ(port.WriteStr(receipt), static_cast<int>(receipt.size()));
  const uint32_t start = clock.TickCount();
  while (port.OutputCount() > 0 && clock.Since(start) < 1000) clock.Sleep(1);
  EXPECT_EQ(printer.engine().ReceivedBytes(), receipt);
  const uint32_t wire_ms = static_cast<uint32_t>(receipt.size() * 10'000 / 9600);
  EXPECT_NEAR(printer.engine().received().back().tick - start, wire_ms, 2);
}

TEST_F(SimOnLine, DelayFaultHoldsEveryAnswerBack) {
  printer.engine().faults().delay_ms = 300;
  program().Write("\033\x11");
  clock.Advance(299);
  EXPECT_EQ(program().Available(), 0u);
  clock.Advance(1);
  EXPECT_EQ(program().Available(), 5u);
}

TEST_F(SimOnLine, DroppedLinesShowAtTheProgramsEnd) {
  printer.engine().DropLines(false, true, 2);
  printer.Pump();
  EXPECT_TRUE(program().Dsr());
  program().Write("\033\x11");
  EXPECT_FALSE(program().Dsr());
  EXPECT_TRUE(program().Cts());
  printer.engine().RaiseLines();
  printer.Pump();
  EXPECT_TRUE(program().Dsr());
}

TEST_F(SimOnLine, BytesSentWithADelayAreTakenWhenTheyArrive) {
  program().Write("\033\x11", 30);
  EXPECT_EQ(printer.engine().ReceivedBytes(), "");
  clock.Advance(30);
  EXPECT_EQ(printer.engine().ReceivedBytes(), "\033\x11");
  EXPECT_EQ(program().Read(10).size(), 5u);
}

TEST_F(SimOnLine, ReceiptByteByByteIsConfirmedByTheDocumentNumber) {
  for (char c : test::SampleReceipt()) program().Write(std::string(1, c));
  program().Purge();
  program().Write("\x0c\r\x03\033I");
  EXPECT_EQ(test::ReadDeviceRecord(ReadAnswer(7000, 100)).Number(1), 1);
  program().Write("\033Q");
  EXPECT_NE(ReadAnswer(7000, 3).find("ROZKY"), std::string::npos);
}

}  // namespace
}  // namespace kv::sim
