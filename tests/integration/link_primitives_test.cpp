#include "link_fixture.h"

namespace kv::test {
namespace {

using LinkPrimitives = LinkTest;

// The far end wired so that its RTS and DTR follow ours: our CTS follows our RTS and our DSR
// follows our DTR.
void LoopBackLines(MemoryLine& line) {
  line.b().OnLinesChanged([&line] {
    line.b().SetRts(line.b().Cts());
    line.b().SetDtr(line.b().Dsr());
  });
}

TEST_F(LinkPrimitives, LinesThatFollowTheirPartnersPutSendingUnderTheGates) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  LoopBackLines(line);
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.OpenPort(0), 1);
  EXPECT_EQ(pm.dsr_gate, 1);
  EXPECT_EQ(pm.cts_gate, 1);
  EXPECT_EQ(pm.ComPort1.FlowControl().ControlDTR, dtrHandshake);
  EXPECT_TRUE(pm.ComPort1.FlowControl().OutCTSFlow);
  EXPECT_TRUE(pm.ComPort1.FlowControl().OutDSRFlow);
}

TEST_F(LinkPrimitives, LinesThatDoNotFollowLeaveBothGatesOffAndBytesGoAtOnce) {
  ScriptedPrinter printer(line.b());  // RTS and DTR up for good
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.OpenPort(0), 1);
  EXPECT_EQ(pm.dsr_gate, 0);
  EXPECT_EQ(pm.cts_gate, 0);
  EXPECT_EQ(pm.ComPort1.FlowControl().ControlRTS, rtsEnable);
  EXPECT_FALSE(pm.ComPort1.FlowControl().OutCTSFlow);

  line.a().ForceCts(false);
  line.a().ForceDsr(false);
  const uint64_t before = clock.slept();
  EXPECT_EQ(pm.WriteComChar('x', 5000), 1);
  EXPECT_EQ(clock.slept(), before);
  ASSERT_TRUE(pm.WaitTxEmpty());
  EXPECT_EQ(printer.received().back(), 'x');
}

TEST_F(LinkPrimitives, ConfiguredHandshakeIsTakenAsIsAndDecidedOnlyWhileNotReady) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  pm.cfg.rts_cts = true;
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.OpenPort(0), 1);
  EXPECT_EQ(pm.cts_gate, 1);
  EXPECT_EQ(pm.dsr_gate, 0);
  pm.cfg.rts_cts = false;
  EXPECT_FALSE(pm.SetupHandshake());  // device ready: nothing changes
  EXPECT_EQ(pm.cts_gate, 1);
}

TEST_F(LinkPrimitives, WriteComCharWaitsItsFullLimitForClosedGatesThenSends) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  pm.dsr_gate = 1;
  pm.cts_gate = 1;
  line.a().ForceCts(false);
  line.a().ForceDsr(false);
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.WriteComChar(27, 1000), 1);
  EXPECT_GE(clock.Since(start), 1000u);
  EXPECT_LE(clock.Since(start), 1005u);
  ASSERT_TRUE(pm.WaitTxEmpty());
  EXPECT_EQ(printer.received(), "\x1b");

  // Lines that come up part-way end the wait there.
  line.a().ForceCts(std::nullopt);
  clock.After(200, [&] { line.a().ForceDsr(std::nullopt); });
  const uint32_t second = clock.TickCount();
  EXPECT_EQ(pm.WriteComChar('d', 1000), 1);
  EXPECT_LT(clock.Since(second), 205u);
}

TEST_F(LinkPrimitives, CachedLineStatesAreUsedBelowVersionFive) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  pm.dsr_gate = 1;
  pm.os_major = 4;
  pm.ComPort1DSRChange(false);
  EXPECT_EQ(pm.DsrReady(), 0);  // the line itself is on; the cached state says off
  pm.ComPort1DSRChange(true);
  EXPECT_EQ(pm.DsrReady(), 1);
  pm.os_major = 5;
  line.a().ForceDsr(false);
  EXPECT_EQ(pm.DsrReady(), 0);
  EXPECT_EQ(pm.last_signals & csDSR, 0);
}

TEST_F(LinkPrimitives, ReadAnswerWaitsForOneByteUpToTenAndForTheMinimumAbove) {
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[200];
  // Five bytes come at once, the rest three seconds later.
  line.b().Write("abcde", 100);
  line.b().Write(std::string(120, 'x'), 3000);
  uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.ReadAnswer(buffer, sizeof buffer, 7000, 3), 5u);
  EXPECT_LT(clock.Since(start), 300u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "abcde");

  line.a().Purge();
  line.b().Write("abcde", 100);
  line.b().Write(std::string(120, 'x'), 3000);
  start = clock.TickCount();
  EXPECT_EQ(pm.ReadAnswer(buffer, sizeof buffer, 7000, 125), 125u);
  EXPECT_GE(clock.Since(start), 3000u);
  EXPECT_LT(clock.Since(start), 3200u);

  // Too few bytes: the time-out ends the wait, and what came is returned.
  line.b().Write("abcde", 100);
  start = clock.TickCount();
  EXPECT_EQ(pm.ReadAnswer(buffer, sizeof buffer, 7000, 125), 5u);
  EXPECT_GE(clock.Since(start), 7000u);
}

TEST_F(LinkPrimitives, ReadAnswerNeverStoresPastItsDestination) {
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[16] = {};
  line.b().Write(std::string(100, 'z'));
  EXPECT_EQ(pm.ReadAnswer(buffer, 8, 1000, 3), 8u);
  EXPECT_EQ(buffer[8], 0);
  EXPECT_EQ(line.a().Available(), 0u);  // the rest was read off the line and dropped
}

TEST_F(LinkPrimitives, ReadAnswerDrainsWhileGapsStayUnderTwentyMs) {
  ASSERT_EQ(pm.AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[64];
  for (int i = 0; i < 10; ++i) line.b().Write("ab", 60 + 15 * static_cast<uint32_t>(i));
  line.b().Write("late", 600);
  EXPECT_EQ(pm.ReadAnswer(buffer, sizeof buffer, 1000, 1), 20u);
  EXPECT_GE(line.a().InFlight() + line.a().Available(), 4u);
}

TEST_F(LinkPrimitives, BaudRateOnlyForTheThreeSpeeds) {
  pm.cfg.baud = 57600;
  pm.ApplyBaudRate();
  EXPECT_EQ(pm.ComPort1.BaudRate(), br57600);
  EXPECT_EQ(view.Text("SRB4900/Label_baud"), "Baud 57600");
  pm.cfg.baud = 19200;
  pm.ApplyBaudRate();
  EXPECT_EQ(pm.ComPort1.BaudRate(), br57600);
  EXPECT_EQ(view.Text("SRB4900/Label_baud"), "Baud 57600");
  pm.cfg.baud = 115200;
  pm.ApplyBaudRate();
  EXPECT_EQ(pm.ComPort1.BaudRate(), br115200);
}

TEST_F(LinkPrimitives, DelayAndQueueWaitsPollTheClock) {
  const uint32_t start = clock.TickCount();
  pm.DelayMs(100);
  EXPECT_EQ(clock.Since(start), 100u);
  EXPECT_EQ(pm.Get_TX_Que(), 0);  // closed port: nothing queued, no box
  EXPECT_EQ(pm.Get_RX_Que(), 0);
  EXPECT_TRUE(pm.WaitTxEmpty());
}

TEST_F(LinkPrimitives, UpdateCrcRunsTheRegister) {
  pm.crc = 0;
  for (char c : std::string("123456789")) pm.UpdateCrc(static_cast<uint8_t>(c));
  EXPECT_EQ(pm.crc, 0x31C3);
}

}  // namespace
}  // namespace kv::test
