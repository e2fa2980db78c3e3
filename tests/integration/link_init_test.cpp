#include "link_fixture.h"

namespace kv::test {
namespace {

using LinkInit = LinkTest;

TEST_F(LinkInit, IdentifiesTheModelAndReadsWhatTheFirstBringUpNeeds) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  printer.On("\x1b!M", {StatusRecord("2")});
  pm.startup().first_tick = true;

  EXPECT_EQ(pm.link().InitPort(0), 1);
  EXPECT_NE(printer.received().find(kIdentify), std::string::npos);
  EXPECT_EQ(pm.link().ident_text(), "RB4900 1.2");
  EXPECT_EQ(pm.link().version_number(), 12);
  EXPECT_EQ(view.Text("SRB4900"), "RB4900 1.2");
  EXPECT_EQ(pm.link().device_ready(), 1);
  EXPECT_EQ(pm.config().mena, 1);
  EXPECT_EQ(pm.readouts().vatRates(), (std::array<uint8_t, 5>{20, 10, 0, 0, 0}));
  EXPECT_EQ(pm.readouts().document_number(), 1234);
  EXPECT_EQ(view.Get("tray.picture"), "0");
  EXPECT_EQ(view.Get("tray.hint"), "msg112");
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg115");
  EXPECT_EQ(view.Get("SRB4900/CB_port_zac.index"), "0");
  EXPECT_TRUE(pm.link().ComPort1().Connected());  // the caller closes it when configured
}

TEST_F(LinkInit, LaterBringUpsSkipTheFirstReads) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  pm.startup().first_tick = false;
  EXPECT_EQ(pm.link().InitPort(0), 1);
  EXPECT_EQ(printer.Count("\x1b!"), 0);
  EXPECT_EQ(printer.Count("\x1bI"), 0);
}

TEST_F(LinkInit, AnotherModelOrAShortAnswerIsNotReady) {
  for (const std::string& id : {std::string("XB490012"), std::string("RB49001")}) {
    SCOPED_TRACE(id);
    ScriptedPrinter printer(line.b());
    HealthyPrinter(printer);
    printer.On(kIdentify, {id});
    pm.link().ClosePort();
    EXPECT_EQ(pm.link().InitPort(0), 0);
    EXPECT_EQ(view.Text("SRB4900"), "KV4910");
    EXPECT_EQ(pm.link().device_ready(), 0);
    EXPECT_EQ(view.Get("tray.picture"), "1");
    EXPECT_EQ(view.Get("tray.hint"), "msg108");
  }
}

TEST_F(LinkInit, NoPortChosenReturnsAtOnceWithoutOpeningOrBoxes) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  pm.config().port = -1;
  EXPECT_EQ(pm.link().InitPort(0), 0);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(printer.received(), "");
  EXPECT_FALSE(view.Has("tray.hint"));
  EXPECT_FALSE(dir.Exists("FM_err.txt"));
}

TEST_F(LinkInit, PortThatCannotOpenIsReportedAndLogged) {
  pm.link().SetPortNames({});  // index 0 names no device
  boxes.Expect("msg139").Expect("msg107");
  EXPECT_EQ(pm.link().InitPort(0), 0);
  EXPECT_EQ(view.Get("tray.hint"), "msg109");
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg108");
  EXPECT_EQ(dir.Read("FM_err.txt"),
            "> (06.12.2026 14:30:00 ) Nepodarilo sa inicializovat port \r\n");

  pm.config().MSG = 0;  // quiet: no boxes at all, the error still counted in the error file
  const size_t boxes_before = boxes.shown().size();
  EXPECT_EQ(pm.link().InitPort(1), 0);
  EXPECT_EQ(boxes.shown().size(), boxes_before);
  pm.files().LogError("Terminate");
  const std::string errors = dir.Read("FM_err.txt");
  EXPECT_NE(errors.find(") Nepodarilo sa inicializovat port (opakovane este 1-krat) \r\n"),
            std::string::npos);
}

TEST_F(LinkInit, PortTimeoutsOfTheSettingsFileReachThePort) {
  dir.Write("rb4900_cfg.ini",
            "[CONFIG]\r\ntime_write=1100\r\nwritemulti=1200\r\nreadtotal=1300\r\n"
            "readmulti=140\r\nreadinterval=150\r\n");
  pm.LoadConfig();
  EXPECT_EQ(pm.link().ComPort1().Timeouts(), (TComTimeouts{150, 140, 1300, 1200, 1100}));
  EXPECT_EQ(pm.config().handshake_wait, 1200);
}

TEST_F(LinkInit, SilentPrinterIsNotReadyAndThePortIsClosed) {
  ScriptedPrinter printer(line.b());
  boxes.Expect("msg111");
  EXPECT_EQ(pm.link().InitPort(0), 0);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(view.Text("SRB4900"), "msg108");
  pm.config().MSG = 0;
  EXPECT_EQ(pm.link().InitPort(0), 0);  // MSG off: no box
}

TEST_F(LinkInit, PaperConditionIsAskedUntilItClearsAPauseApart) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  printer.On(kStatusQuery, {StatusAnswer(0x04, 0), StatusAnswer(0x04, 0), StatusAnswer(0, 0)});
  boxes.Expect("msg25").Expect("msg25");
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.link().InitPort(0), 1);
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n1025\r\n");
  EXPECT_GE(clock.Since(start), 2 * PrinterLink::kRetryPauseMs);
}

TEST_F(LinkInit, PaperConditionLoopEndsWhenTheProgramEnds) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  printer.On(kStatusQuery, {StatusAnswer(0x04, 0)});  // the condition never clears
  boxes.Expect("msg25").Expect("msg25").Expect("msg111");
  clock.After(PrinterLink::kRetryPauseMs + 1000, [&] { shell.terminating = true; });
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.link().InitPort(0), 0);
  EXPECT_LT(clock.Since(start), PrinterLink::kRetryPauseMs + 1500);
}

TEST_F(LinkInit, PaperConditionEndsAsNotReadyWhenThePrinterFallsSilent) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  printer.On(kStatusQuery, {StatusAnswer(0x04, 0), ""});
  boxes.Expect("msg25").Expect("msg111");
  EXPECT_EQ(pm.link().InitPort(0), 0);
}

TEST_F(LinkInit, GatedLineThatStaysOffIsLogged) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  pm.config().dtr_dsr = true;  // send only while DSR is on
  line.a().ForceDsr(false);
  boxes.Expect("msg110").Expect("msg111");
  EXPECT_EQ(pm.link().InitPort(0), 0);
  EXPECT_NE(dir.Read("FM_err.txt").find(") Chyba DSR-DTR (RTS-CTS) \r\n"), std::string::npos);
  EXPECT_EQ(printer.Count(kIdentify), 0);
}

TEST_F(LinkInit, ThePortIsReopenedAfterTheDeviceFailed) {
  ScriptedPrinter printer(line.b());
  HealthyPrinter(printer);
  ASSERT_EQ(pm.link().InitPort(0), 1);
  pm.link().PortFailed();  // what an error inside the serial layer leaves behind
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(pm.link().InitPort(0), 1);
  EXPECT_TRUE(pm.link().ComPort1().Connected());
}

}  // namespace
}  // namespace kv::test
