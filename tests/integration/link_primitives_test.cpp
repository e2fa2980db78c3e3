#include "link_fixture.h"
#include "platform/com_port_timing.h"

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
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 1);
  EXPECT_EQ(pm.link().dsr_gate(), 1);
  EXPECT_EQ(pm.link().cts_gate(), 1);
  EXPECT_EQ(pm.link().ComPort1().FlowControl().ControlDTR, dtrHandshake);
  EXPECT_TRUE(pm.link().ComPort1().FlowControl().OutCTSFlow);
  EXPECT_TRUE(pm.link().ComPort1().FlowControl().OutDSRFlow);
}

TEST_F(LinkPrimitives, LinesThatDoNotFollowLeaveBothGatesOffAndBytesGoAtOnce) {
  ScriptedPrinter printer(line.b());  // RTS and DTR up for good
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 1);
  EXPECT_EQ(pm.link().dsr_gate(), 0);
  EXPECT_EQ(pm.link().cts_gate(), 0);
  EXPECT_EQ(pm.link().ComPort1().FlowControl().ControlRTS, rtsEnable);
  EXPECT_FALSE(pm.link().ComPort1().FlowControl().OutCTSFlow);

  line.a().ForceCts(false);
  line.a().ForceDsr(false);
  const uint64_t before = clock.slept();
  EXPECT_EQ(pm.link().WriteComChar('x', 5000), 1);
  EXPECT_EQ(clock.slept(), before);
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  EXPECT_EQ(printer.received().back(), 'x');
}

TEST_F(LinkPrimitives, ConfiguredHandshakeIsTakenAsIsAndDecidedOnlyWhileNotReady) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  pm.config().rts_cts = true;
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 1);
  EXPECT_EQ(pm.link().cts_gate(), 1);
  EXPECT_EQ(pm.link().dsr_gate(), 0);
  pm.config().rts_cts = false;
  EXPECT_FALSE(pm.link().SetupHandshake());  // device ready: nothing changes
  EXPECT_EQ(pm.link().cts_gate(), 1);
}

TEST_F(LinkPrimitives, WriteComCharWaitsItsFullLimitForClosedGatesThenSends) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetDsrGate(1);
  pm.link().SetCtsGate(1);
  line.a().ForceCts(false);
  line.a().ForceDsr(false);
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.link().WriteComChar(27, 1000), 1);
  EXPECT_GE(clock.Since(start), 1000u);
  EXPECT_LE(clock.Since(start), 1005u);
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  EXPECT_EQ(printer.received(), "\x1b");

  // Lines that come up part-way end the wait there.
  line.a().ForceCts(std::nullopt);
  clock.After(200, [&] { line.a().ForceDsr(std::nullopt); });
  const uint32_t second = clock.TickCount();
  EXPECT_EQ(pm.link().WriteComChar('d', 1000), 1);
  EXPECT_LT(clock.Since(second), 205u);
}

// Without a handshake gate a job's bytes go to the port in pieces; a queue that does not move
// gives up as soon as a single byte's write would have, not after the whole block's limit.
TEST_F(LinkPrimitives, BytesWithoutAGateGiveUpOnAStuckQueueAfterOneBytesLimit) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  const TComTimeouts timeouts{0, 0, 60000, 1000, 2000};  // one byte: 3000 ms
  pm.link().ComPort1().SetTimeouts(timeouts);
  pm.link().ComPort1().SetOutputSize(16);
  pm.link().ComPort1().SetOutCTSFlow(true);  // nothing leaves the transmit queue
  line.a().ForceCts(false);
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.link().WriteComChars(std::string(1000, 'r'), 5000), 16u);
  EXPECT_GE(clock.Since(start), 3000u);
  EXPECT_LE(clock.Since(start), 3010u);
  EXPECT_EQ(pm.link().ComPort1().Timeouts(), timeouts);

  line.a().ForceCts(std::nullopt);
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  EXPECT_EQ(printer.received(), std::string(16, 'r'));
}

TEST_F(LinkPrimitives, WriteComCharOnAPortThatFailedReturnsAtOnce) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetDsrGate(1);
  pm.link().SetCtsGate(1);
  pm.link().PortFailed();
  const uint64_t before = clock.slept();
  EXPECT_EQ(pm.link().WriteComChar(27, 5000), 0);
  EXPECT_EQ(clock.slept(), before);

  // An adapter pulled out during the handshake wait ends the wait at the first look.
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  line.a().ForceCts(false);
  clock.After(100, [&] { line.a().Unplug(true); });
  EXPECT_EQ(pm.link().WriteComChar(27, 5000), 0);
  EXPECT_LT(clock.slept() - before, 110u);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
}

TEST_F(LinkPrimitives, LineLampsFollowTheLineEventsAndEveryReading) {
  ScriptedPrinter printer(line.b());  // RTS and DTR up: CTS and DSR on
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 1);
  EXPECT_EQ(view.Get("SRB4900/DSR.checked"), "1");
  EXPECT_EQ(view.Get("SRB4900/CTS.checked"), "1");

  line.b().SetDtr(false);  // a line event
  EXPECT_EQ(view.Get("SRB4900/DSR.checked"), "0");
  EXPECT_EQ(view.Get("SRB4900/CTS.checked"), "1");

  // An adapter that reports no line events: the lamps follow the readings of the lines.
  pm.link().ClosePort();
  pm.link().ComPort1().SetEvents(0);
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetCtsGate(1);
  line.a().ForceCts(false);
  EXPECT_EQ(view.Get("SRB4900/CTS.checked"), "1");
  EXPECT_EQ(pm.link().CtsReady(), 0);
  EXPECT_EQ(view.Get("SRB4900/CTS.checked"), "0");
}

TEST_F(LinkPrimitives, CachedLineStatesAreUsedBelowVersionFive) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetDsrGate(1);
  pm.link().SetOsMajor(4);
  pm.link().ComPort1DSRChange(false);
  EXPECT_EQ(pm.link().DsrReady(), 0);  // the line itself is on; the cached state says off
  pm.link().ComPort1DSRChange(true);
  EXPECT_EQ(pm.link().DsrReady(), 1);
  pm.link().SetOsMajor(5);
  line.a().ForceDsr(false);
  EXPECT_EQ(pm.link().DsrReady(), 0);
  EXPECT_EQ(pm.link().last_signals() & csDSR, 0);
}

TEST_F(LinkPrimitives, ReadAnswerWaitsForOneByteUpToTenAndForTheMinimumAbove) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[200];
  // Five bytes come at once, the rest three seconds later.
  line.b().Write("abcde", 100);
  line.b().Write(std::string(120, 'x'), 3000);
  uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.link().ReadAnswer(buffer, sizeof buffer, 7000, 3), 5u);
  EXPECT_LT(clock.Since(start), 300u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "abcde");

  line.a().Purge();
  line.b().Write("abcde", 100);
  line.b().Write(std::string(120, 'x'), 3000);
  start = clock.TickCount();
  EXPECT_EQ(pm.link().ReadAnswer(buffer, sizeof buffer, 7000, 125), 125u);
  EXPECT_GE(clock.Since(start), 3000u);
  EXPECT_LT(clock.Since(start), 3200u);

  // Too few bytes: the time-out ends the wait, and what came is returned.
  line.b().Write("abcde", 100);
  start = clock.TickCount();
  EXPECT_EQ(pm.link().ReadAnswer(buffer, sizeof buffer, 7000, 125), 5u);
  EXPECT_GE(clock.Since(start), 7000u);
}

TEST_F(LinkPrimitives, ReadAnswerNeverStoresPastItsDestination) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[16] = {};
  line.b().Write(std::string(100, 'z'));
  EXPECT_EQ(pm.link().ReadAnswer(buffer, 8, 1000, 3), 8u);
  EXPECT_EQ(buffer[8], 0);
  EXPECT_EQ(line.a().Available(), 0u);  // the rest was read off the line and dropped
}

TEST_F(LinkPrimitives, ReadAnswerDrainsWhileGapsStayUnderTwentyMs) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  uint8_t buffer[64];
  for (int i = 0; i < 10; ++i) line.b().Write("ab", 60 + 15 * static_cast<uint32_t>(i));
  line.b().Write("late", 600);
  EXPECT_EQ(pm.link().ReadAnswer(buffer, sizeof buffer, 1000, 1), 20u);
  EXPECT_GE(line.a().InFlight() + line.a().Available(), 4u);
}

TEST_F(LinkPrimitives, BaudRateOnlyForTheThreeSpeeds) {
  pm.config().baud = 57600;
  pm.link().ApplyBaudRate();
  EXPECT_EQ(pm.link().ComPort1().BaudRate(), br57600);
  EXPECT_EQ(view.Text("SRB4900/Label_baud"), "Baud 57600");
  pm.config().baud = 19200;
  pm.link().ApplyBaudRate();
  EXPECT_EQ(pm.link().ComPort1().BaudRate(), br57600);
  EXPECT_EQ(view.Text("SRB4900/Label_baud"), "Baud 57600");
  pm.config().baud = 115200;
  pm.link().ApplyBaudRate();
  EXPECT_EQ(pm.link().ComPort1().BaudRate(), br115200);
}

TEST_F(LinkPrimitives, DelayAndQueueWaitsPollTheClock) {
  ScriptedPrinter printer(line.b());
  uint32_t start = clock.TickCount();
  pm.link().DelayMs(100);
  EXPECT_EQ(clock.Since(start), 100u);

  // Twenty bytes take about 21 ms at 9600 baud to leave the transmit queue.
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  ASSERT_EQ(pm.link().WriteBlock(std::string(20, 'q').data(), 20), 20);
  EXPECT_EQ(pm.link().Get_TX_Que(), 20);
  start = clock.TickCount();
  EXPECT_TRUE(pm.link().WaitTxEmpty());
  EXPECT_GE(clock.Since(start), 20u);
  EXPECT_LE(clock.Since(start), 23u);
  EXPECT_EQ(printer.received(), std::string(20, 'q'));

  // A queue held back by output CTS flow is given up at the limit.
  pm.link().ComPort1().SetOutCTSFlow(true);
  line.a().ForceCts(false);
  ASSERT_EQ(pm.link().WriteBlock("held", 4), 4);
  start = clock.TickCount();
  EXPECT_FALSE(pm.link().WaitTxEmpty(500));
  EXPECT_EQ(clock.Since(start), 500u);
  EXPECT_EQ(pm.link().Get_TX_Que(), 4);
}

// Every long wait of the link ends soon after the program starts ending (a termination signal
// at 100 ms), however long its own limit.
TEST_F(LinkPrimitives, LongWaitsEndSoonOnceTheProgramIsEnding) {
  ScriptedPrinter printer(line.b());  // never answers
  uint8_t buffer[16];
  const std::vector<std::pair<const char*, std::function<void()>>> waits = {
      {"delay", [&] { pm.link().DelayMs(60000); }},
      {"handshake", [&] { pm.link().WriteComChar('x', 60000); }},
      {"answer", [&] { pm.link().ReadAnswer(buffer, sizeof buffer, 60000, 3); }},
      {"drain", [&] { pm.link().WaitTxEmpty(PrintJobLoop::kDrainLimitMs); }},
      {"port read", [&] { pm.link().ComPort1().Read(buffer, 8); }},
      {"port write", [&] { pm.link().ComPort1().Write(std::string(64, 'w').data(), 64); }},
      {"retry pause", [&] { EXPECT_FALSE(pm.link().RetryPause()); }},
  };
  for (const auto& [name, wait] : waits) {
    SCOPED_TRACE(name);
    shell.terminating = false;
    pm.link().ClosePort();
    ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
    pm.link().SetDsrGate(1);  // the handshake line stays off
    line.a().ForceDsr(false);
    pm.link().ComPort1().SetOutCTSFlow(true);  // nothing leaves the transmit queue
    pm.link().ComPort1().SetOutputSize(16);
    line.a().ForceCts(false);
    pm.link().ComPort1().SetTimeouts({0, 0, 60000, 1000, 60000});
    ASSERT_EQ(pm.link().WriteBlock("stuck", 5), 5);
    const uint32_t start = clock.TickCount();
    clock.After(100, [&] { shell.terminating = true; });
    wait();
    EXPECT_LE(clock.Since(start), 100u + AbortGrace::kGraceMs + 60u);
  }
}

TEST_F(LinkPrimitives, UpdateCrcRunsTheRegister) {
  pm.link().ResetCrc();
  for (char c : std::string("123456789")) pm.link().UpdateCrc(static_cast<uint8_t>(c));
  EXPECT_EQ(pm.link().crc(), 0x31C3);
}

}  // namespace
}  // namespace kv::test
