#include <gtest/gtest.h>

#include "link/com_port.h"
#include "platform/serial_memory.h"
#include "support/fake_clock.h"

namespace kv {
namespace {

// The EComPort code an action raises, or 0 when it raises nothing.
template <typename Action>
int CodeOf(Action action) {
  try {
    action();
  } catch (const EComPort& error) {
    return error.Code();
  }
  return 0;
}

struct MemoryPort : ::testing::Test {
  test::FakeClock clock;
  MemoryLine line{clock};
  TComPort port{MakeMemoryComBackend(line.a(), clock)};

  void SetReadTimeouts(int32_t interval, int32_t multiplier, int32_t constant) {
    TComTimeouts timeouts;
    timeouts.ReadInterval = interval;
    timeouts.ReadTotalMultiplier = multiplier;
    timeouts.ReadTotalConstant = constant;
    port.SetTimeouts(timeouts);
  }
  std::string ReadUpTo(int count) {
    std::string out(count, '\0');
    out.resize(port.Read(out.data(), count));
    return out;
  }
};

TEST_F(MemoryPort, OpenCloseAreIdempotentAndTheEndIsTakenOnce) {
  port.Open();
  line.b().Write("xy");
  port.Open();  // already open: the queue is untouched
  EXPECT_EQ(port.InputCount(), 2);

  TComPort second(MakeMemoryComBackend(line.a(), clock));
  EXPECT_EQ(CodeOf([&] { second.Open(); }), 1);
  EXPECT_FALSE(second.Connected());

  port.Close();
  port.Close();
  EXPECT_FALSE(port.Connected());
  second.Open();  // free again after Close
  EXPECT_TRUE(second.Connected());
}

TEST_F(MemoryPort, OperationsOnAClosedPortRaiseTheirCode) {
  char byte = 0;
  EXPECT_EQ(CodeOf([&] { port.Write("a", 1); }), 2);
  EXPECT_EQ(CodeOf([&] { port.Read(&byte, 1); }), 3);
  EXPECT_EQ(CodeOf([&] { port.InputCount(); }), 10);
  EXPECT_EQ(CodeOf([&] { port.ClearBuffer(true, true); }), 5);
  EXPECT_EQ(CodeOf([&] { port.Signals(); }), 11);
  EXPECT_EQ(CodeOf([&] { port.SetRTS(true); }), 12);
  port.Open();
  EXPECT_EQ(CodeOf([&] { port.Write(nullptr, 3); }), 4);
  EXPECT_EQ(CodeOf([&] { port.Read(&byte, -1); }), 4);
}

TEST_F(MemoryPort, ControlLinesAreFollowedByThePeerAndSettersReapplyWhileOpen) {
  ConfigureAsComPort1(port);
  port.SetControlRTS(rtsDisable);  // only stored while closed
  EXPECT_FALSE(line.b().Dsr());
  port.Open();  // dtrEnable raises DTR, rtsDisable keeps RTS down
  EXPECT_TRUE(line.b().Dsr());
  EXPECT_FALSE(line.b().Cts());
  port.SetControlRTS(rtsEnable);  // applied at once on the open port
  EXPECT_TRUE(line.b().Cts());
  port.SetDTR(false);
  EXPECT_FALSE(line.b().Dsr());

  EXPECT_EQ(port.Signals(), 0);
  line.b().SetRts(true);
  EXPECT_EQ(port.Signals(), csCTS);
  line.b().SetDtr(true);
  EXPECT_EQ(port.Signals(), csCTS | csDSR);
}

TEST_F(MemoryPort, LineChangesAreDeliveredInOrderWithTheNewState) {
  std::vector<std::string> seen;
  port.OnCTSChange([&](bool on) { seen.push_back(on ? "CTS on" : "CTS off"); });
  port.OnDSRChange([&](bool on) { seen.push_back(on ? "DSR on" : "DSR off"); });
  port.AddLineIndicator([&](TComSignal line_bit, bool on) {
    seen.push_back(std::string(line_bit == csCTS ? "cts" : "dsr") + (on ? " lit" : " dark"));
  });
  port.Open();
  line.b().SetRts(true);
  line.b().SetDtr(true);
  line.a().ForceDsr(false);
  line.b().SetRts(true);  // no change, no event
  line.b().SetRts(false);
  EXPECT_EQ(seen, (std::vector<std::string>{"CTS on", "cts lit", "DSR on", "dsr lit", "DSR off",
                                            "dsr dark", "CTS off", "cts dark"}));

  port.Close();
  line.b().SetRts(true);  // a closed port reports nothing
  EXPECT_EQ(seen.size(), 8u);
}

TEST_F(MemoryPort, EventsOutsideTheSetAreNotDelivered) {
  int cts = 0, dsr = 0;
  port.OnCTSChange([&](bool) { ++cts; });
  port.OnDSRChange([&](bool) { ++dsr; });
  port.SetEvents(ComEventBit(evDSR));
  port.Open();
  line.b().SetRts(true);
  line.b().SetDtr(true);
  EXPECT_EQ(cts, 0);
  EXPECT_EQ(dsr, 1);
}

TEST_F(MemoryPort, ReadReturnsWhenTheCountArrived) {
  SetReadTimeouts(0, 100, 2000);
  port.Open();
  line.b().Write("abc", 30);
  line.b().Write("defgh", 70);
  EXPECT_EQ(ReadUpTo(8), "abcdefgh");
  EXPECT_EQ(clock.slept(), 70u);
}

TEST_F(MemoryPort, ReadOfEightWithFiveArrivingEndsAfterTheTotalTimeout) {
  SetReadTimeouts(0, 10, 100);  // 100 + 10 x 8 = 180 ms
  port.Open();
  line.b().Write("12345", 20);
  EXPECT_EQ(ReadUpTo(8), "12345");
  EXPECT_EQ(clock.slept(), 180u);
}

TEST_F(MemoryPort, ReadEndsWhenTheGapAfterAByteExceedsTheInterval) {
  SetReadTimeouts(50, 0, 0);  // no total: only the interval ends it
  port.Open();
  line.b().Write("ab", 300);  // the interval does not run before the first byte
  line.b().Write("c", 340);
  line.b().Write("d", 500);  // too late
  EXPECT_EQ(ReadUpTo(8), "abc");
  EXPECT_EQ(clock.slept(), 390u);
  EXPECT_EQ(ReadUpTo(8), "d");
}

TEST_F(MemoryPort, IntervalAllBitsWithZeroTotalsReturnsAtOnce) {
  SetReadTimeouts(-1, 0, 0);
  port.Open();
  line.b().Write("now");
  line.b().Write("later", 10);
  EXPECT_EQ(ReadUpTo(8), "now");
  EXPECT_EQ(ReadUpTo(8), "");
  EXPECT_EQ(clock.slept(), 0u);
}

TEST_F(MemoryPort, WaitForTheFirstByteModeReturnsWithIt) {
  SetReadTimeouts(-1, -1, 500);
  port.Open();
  line.b().Write("xy", 200);
  EXPECT_EQ(ReadUpTo(8), "xy");
  EXPECT_EQ(clock.slept(), 200u);
  EXPECT_EQ(ReadUpTo(8), "");
  EXPECT_EQ(clock.slept(), 700u);
}

TEST_F(MemoryPort, TimeoutSettersApplyToTheOpenPort) {
  SetReadTimeouts(-1, 0, 0);
  port.Open();
  port.SetReadInterval(0);
  port.SetReadTotalC(250);
  EXPECT_EQ(ReadUpTo(4), "");
  EXPECT_EQ(clock.slept(), 250u);
}

TEST_F(MemoryPort, CountsAndPurges) {
  port.Open();
  line.b().Write("12345");
  line.b().Write("678", 50);
  EXPECT_EQ(port.InputCount(), 5);
  port.ClearBuffer(true, false);
  EXPECT_EQ(port.InputCount(), 0);
  clock.Advance(50);  // the purge took what had arrived, not what was still on the wire
  EXPECT_EQ(port.InputCount(), 3);

  // Written bytes take their wire time (about 1 ms a byte at 9600 baud) to leave the transmit
  // queue, and a purge of that queue drops what has not left.
  EXPECT_EQ(port.WriteStr("out"), 3);
  EXPECT_EQ(port.OutputCount(), 3);
  clock.Advance(2);
  EXPECT_EQ(port.OutputCount(), 2);
  EXPECT_EQ(line.b().Read(10), "o");
  port.ClearBuffer(false, true);
  clock.Advance(10);
  EXPECT_EQ(port.OutputCount(), 0);
  EXPECT_EQ(line.b().Read(10), "");
}

TEST_F(MemoryPort, OutputCtsFlowHoldsBytesUntilThePeerRaisesRts) {
  port.SetOutCTSFlow(true);
  port.SetOutputSize(4);
  port.SetWriteTotalM(0);
  port.SetWriteTotalC(100);
  port.Open();
  EXPECT_EQ(port.WriteStr("ab"), 2);  // queued, not sent
  EXPECT_EQ(port.OutputCount(), 2);
  EXPECT_EQ(line.b().Available(), 0u);
  EXPECT_EQ(port.WriteStr("cdef"), 2);  // the queue is full: the write times out
  EXPECT_EQ(clock.slept(), 100u);
  line.b().SetRts(true);
  clock.Advance(5);
  EXPECT_EQ(port.OutputCount(), 0);
  EXPECT_EQ(line.b().Read(10), "abcd");

  port.ClearBuffer(false, true);
  line.b().SetRts(false);
  port.WriteStr("zz");
  port.ClearBuffer(false, true);  // purging the transmit queue drops what was held
  line.b().SetRts(true);
  EXPECT_EQ(line.b().Available(), 0u);
}

TEST_F(MemoryPort, SetPortOnTheSameNameKeepsTheQueue) {
  port.SetPort("COM3");
  port.Open();
  line.b().Write("kept");
  port.SetPort("COM3");
  EXPECT_EQ(port.InputCount(), 4);
  EXPECT_EQ(CodeOf([&] { port.SetSyncMethod(smNone); }), 14);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
}

TEST(ComPortSettings, StoredValuesAndErrorText) {
  TComPort port(nullptr);  // never opened: no backend needed
  port.SetInputSize(2049);
  port.SetOutputSize(1024);
  EXPECT_EQ(port.Buffer().InputSize, 2048);
  EXPECT_EQ(port.Buffer().OutputSize, 1024);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(BaudRateValue(br14400), 14400u);
  EXPECT_EQ(BaudRateValue(br256000), 256000u);
  EXPECT_EQ(BaudRateValue(brCustom), 0u);
  port.SetSyncMethod(smNone);  // allowed while closed
  EXPECT_EQ(port.SyncMethod(), smNone);

  EXPECT_STREQ(EComPort(14, 0).what(), "Cannot set property while connected (win error code: 0)");
  EXPECT_STREQ(EComPort(1, 16).what(), "Unable to open com port (win error code: 16)");
  EXPECT_EQ(EComPort(23, 2).WinCode(), 2);
}

}  // namespace
}  // namespace kv
