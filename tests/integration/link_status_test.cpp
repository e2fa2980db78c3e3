#include "link_fixture.h"

namespace kv::test {
namespace {

using LinkStatus = LinkTest;

TEST_F(LinkStatus, QuerySendsEscDc1AndRetriesOnceAfterEtxCr) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {"FX\x01\x02\xAA", StatusAnswer(0x12, 0x34)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);

  EXPECT_EQ(pm.link().OpenPort(0), 0x12 * 256 + 0x34 + 1);
  EXPECT_EQ(printer.received(), kStatusQuery + "\x03\r" + kStatusQuery);
  EXPECT_EQ(pm.link().device_ready(), 1);
  EXPECT_EQ(pm.link().flags().S1_4, 1);
  EXPECT_EQ(pm.link().flags().S1_1, 1);
  EXPECT_EQ(pm.link().flags().S1_7, 0);
  EXPECT_EQ(pm.link().flags().S2_5, 1);
  EXPECT_EQ(pm.link().flags().S2_6, 0);
  // The short status time-outs are gone again: the port has its own ones back.
  EXPECT_EQ(pm.link().ComPort1().Timeouts().ReadTotalConstant, 2000);
  EXPECT_EQ(pm.link().ComPort1().Timeouts().WriteTotalMultiplier, 2000);
}

TEST_F(LinkStatus, TwoBadAnswersGiveZeroAndNoThirdTry) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {"FS\x00\x00\x55"});  // wrong last byte
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetDeviceReady(true);
  pm.link().SetStatusValue(77);

  EXPECT_EQ(pm.link().OpenPort(1), 0);
  EXPECT_EQ(pm.link().status_value(), 0);
  EXPECT_EQ(pm.link().device_ready(), 0);
  EXPECT_EQ(printer.Count(kStatusQuery), 2);
}

TEST_F(LinkStatus, SilentPrinterGivesZeroWithinTheShortTimeouts) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  const uint64_t before = clock.slept();
  EXPECT_EQ(pm.link().OpenPort(0), 0);
  // Two reads of five bytes, each 500 ms + 5 x 300 ms at most.
  EXPECT_LE(clock.slept() - before, 2u * 2000u + 100u);
  EXPECT_GE(clock.slept() - before, 2u * 500u);
}

TEST_F(LinkStatus, DeviceFailureDuringTheQueryLeavesThePortItsOwnTimeouts) {
  ScriptedPrinter printer(line.b());  // silent
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  const TComTimeouts own = pm.link().ComPort1().Timeouts();
  clock.After(100, [&] { line.a().Unplug(true); });
  EXPECT_EQ(pm.link().OpenPort(0), 0);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(pm.link().ComPort1().Timeouts(), own);
}

TEST_F(LinkStatus, StatusBytesZeroGiveOne) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 1);
}

TEST_F(LinkStatus, DeadLinesGiveZeroWithoutAsking) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  line.a().ForceCts(false);
  line.a().ForceDsr(false);
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.link().OpenPort(0), 0);
  EXPECT_EQ(printer.received(), "");
}

TEST_F(LinkStatus, ShowStatusFlagShowsOneBoxPerConditionInOrder) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0x74, 0xE0)});  // S1.6 S1.5 S1.4 S1.2, S2.7-S2.5
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  boxes.Expect("msg16").Expect("msg18").Expect("msg24").Expect("msg25");
  boxes.Expect("msg26").Expect("msg27").Expect("msg28");
  EXPECT_GT(pm.link().OpenPort(1), 0);
  EXPECT_EQ(BoxCaption(boxes.shown()[0]), "msg23");
  EXPECT_EQ(BoxCaption(boxes.shown()[1]), "KV4910");
  EXPECT_EQ(BoxCaption(boxes.shown()[3]), "msg21");
  EXPECT_EQ(BoxCaption(boxes.shown()[6]), "msg22");

  boxes.Clear();
  EXPECT_GT(pm.link().OpenPort(0), 0);  // no boxes without the flag
}

TEST_F(LinkStatus, AutomaticDailyCloseRunsOnceAndAppendsTheJournal) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  printer.On(kStatusQuery, {StatusAnswer(0x40, 0), StatusAnswer(0, 0)});
  printer.On("\x1bQ", {"DENNA UZAVIERKA\r\n"});
  pm.config().auto_du = 1;
  dir.Write("zurnal.txt", "old\r\n");
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);

  EXPECT_EQ(pm.link().OpenPort(1), 1);  // no box 16 when the close runs by itself
  const std::string& sent = printer.received();
  const size_t close = sent.find(
      "\x1b"
      "dYes");
  ASSERT_NE(close, std::string::npos);
  EXPECT_LT(close, sent.find("\x0c\x0d\x03\x1bI"));
  EXPECT_LT(sent.find("\x1bI"), sent.find("\x1bQ"));
  EXPECT_EQ(printer.Count("\x1b"
                          "dYes"),
            1);
  EXPECT_EQ(dir.Read("zurnal.txt"), "old\r\nDENNA UZAVIERKA\r\n");
  EXPECT_EQ(dir.Read("out_bl.tmp"), "old\r\n");
  EXPECT_EQ(pm.link().flags().S1_6, 0);
  EXPECT_FALSE(pm.readouts().journal_request());
  EXPECT_EQ(pm.readouts().document_number(), 1234);
}

TEST_F(LinkStatus, PendingDailyCloseWithoutAutoIsOnlyReported) {
  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0x40, 0)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  for (const int32_t auto_du : {0, 2}) {  // only 1 runs the close
    pm.config().auto_du = auto_du;
    boxes.Expect("msg16");
    EXPECT_EQ(pm.link().OpenPort(1), 0x4000 + 1);
  }
  EXPECT_EQ(printer.Count("\x1b"
                          "d"),
            0);
}

}  // namespace
}  // namespace kv::test
