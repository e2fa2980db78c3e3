#include "link_fixture.h"
#include "sim/line_printer.h"
#include "support/test_os.h"

// Connecting at start-up, the connect command and the close query, against the simulator.

namespace kv::test {
namespace {

class LinkConnect : public LinkTest {
 protected:
  LinkConnect() {
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
    test::SetEnv("KV4910_PORTS", "/dev/b:/dev/a");
    pm.startup().first_tick = true;
  }
  ~LinkConnect() override { test::SetEnv("KV4910_PORTS", nullptr); }
  sim::Engine& engine() { return printer.engine(); }

  sim::LinePrinter printer{line};
};

TEST_F(LinkConnect, PortListAndAnIndexBeyondItIsNoPort) {
  pm.config().port = 2;
  pm.StartupPortList();
  EXPECT_EQ(view.Items("SRB4900/CB_port_zac"), (std::vector<std::string>{"/dev/a", "/dev/b"}));
  EXPECT_EQ(view.Items("Dlg_cfg/CB_porty"), (std::vector<std::string>{"/dev/a", "/dev/b"}));
  EXPECT_EQ(pm.config().port, -1);
  EXPECT_EQ(view.Text("SRB4900/Label_baud"), "Baud 9600");

  boxes.Expect("msg117");
  pm.StartupChoosePort();
  EXPECT_EQ(pm.config().port, 0);
  EXPECT_EQ(view.Get("Dlg_cfg/CB_porty.index"), "0");

  pm.config().port = 1;
  pm.StartupPortList();
  pm.StartupChoosePort();  // a valid index: no box
  EXPECT_EQ(pm.config().port, 1);
}

TEST_F(LinkConnect, StartUpConnectsReadsTheRecordAndStartsTheTimer) {
  engine().state().document_number = 42;
  pm.config().port = 0;
  pm.StartupPortList();
  pm.StartupChoosePort();
  pm.StartupConnect();
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(view.Text("SRB4900"), "RB4900 1.2");
  EXPECT_EQ(view.Get("SRB4900/CB_port_zac.index"), "0");
  EXPECT_EQ(view.Get("tray.hint"), "KV4910");
  EXPECT_EQ(view.Get("tray.picture"), "0");
  EXPECT_EQ(pm.readouts().document_number(), 42);
  EXPECT_EQ(engine().ReceivedBytes().find("\x1bt"), std::string::npos);  // no clock setting
}

TEST_F(LinkConnect, StartUpSetsThePrinterClockWhenConfigured) {
  pm.config().synchr_time = 1;
  pm.StartupConnect();
  EXPECT_NE(engine().ReceivedBytes().find("\x1bt111117"), std::string::npos);
}

TEST_F(LinkConnect, PrinterOffAtStartAskAgainThenGoOnWithout) {
  engine().faults().silent = true;
  boxes.Expect("msg111").Expect("msg118", BoxAnswer::Yes, BoxAnswer::Yes);
  boxes.Expect("msg111").Expect("msg118", BoxAnswer::No, BoxAnswer::Yes);
  pm.StartupConnect();
  EXPECT_FALSE(timer_prmgr.Enabled());
  EXPECT_EQ(view.Get("SRB4900/CB_port_zac.index"), "-1");
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg108");
  EXPECT_EQ(BoxCaption(boxes.shown()[1]), "msg119");

  // Later the printer is switched on and the operator connects from the menu.
  engine().faults().silent = false;
  printer.Pump();
  pm.Spusteniecasovaca1Click();
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(view.Get("tray.picture"), "0");
  EXPECT_EQ(pm.link().device_ready(), 1);
}

TEST_F(LinkConnect, UnreachablePrinterIsAskedForAPauseApartUntilTheProgramEnds) {
  pm.link().SetPortNames({});  // the adapter is gone: the port cannot open, at once
  pm.config().MSG = 0;
  for (int pass = 0; pass < 3; ++pass)
    boxes.Expect("msg107").Expect("msg118", BoxAnswer::Yes, BoxAnswer::Yes);
  clock.After(2 * PrinterLink::kRetryPauseMs + 1000, [&] { shell.terminating = true; });
  const uint32_t start = clock.TickCount();
  pm.StartupConnect();
  EXPECT_GE(clock.Since(start), 2 * PrinterLink::kRetryPauseMs + 1000);
  EXPECT_LT(clock.Since(start), 2 * PrinterLink::kRetryPauseMs + 1500);
  EXPECT_FALSE(timer_prmgr.Enabled());
  // One error line for the three passes; the repeats are told once the run ends.
  const std::string line = "> (06.12.2026 14:30:00 ) Nepodarilo sa inicializovat port";
  EXPECT_EQ(dir.Read("FM_err.txt"), line + " \r\n");
  pm.files().FlushErrorRepeats();
  EXPECT_EQ(dir.Read("FM_err.txt"), line + " \r\n" + line + " (opakovane este 2-krat) \r\n");
}

TEST_F(LinkConnect, ConnectCommandStopsWithoutAStatusAnswerAndClosesWhenConfigured) {
  pm.link().SetPortNames({"/dev/a"});
  engine().faults().silent = true;
  pm.config().CLOSE_PORT = true;
  timer_prmgr.SetEnabled(true);
  pm.Spusteniecasovaca1Click();
  EXPECT_FALSE(timer_prmgr.Enabled());
  EXPECT_FALSE(pm.link().ComPort1().Connected());
}

TEST_F(LinkConnect, ConnectCommandWithMessagingLeavesTheTimerToTheClient) {
  pm.config().spravy = true;
  pm.jobs().SetBusy(true);
  pm.Spusteniecasovaca1Click();
  EXPECT_FALSE(timer_prmgr.Enabled());
  EXPECT_FALSE(pm.jobs().busy());
}

TEST_F(LinkConnect, CloseRefusedWhileADocumentIsOpen) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  engine().state().condition1 = sim::status1::kDocumentOpen;
  boxes.Expect("msg133");
  EXPECT_FALSE(pm.FormCloseQuery());
  EXPECT_EQ(BoxCaption(boxes.shown()[0]), "msg134");
  EXPECT_EQ(view.Get("Form_predaj.window"), "front");
}

TEST_F(LinkConnect, CloseRefusedByTheSettingWhileThePrinterAnswers) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.config().UKONCI = false;
  boxes.Expect("msg135");
  EXPECT_FALSE(pm.FormCloseQuery());

  engine().faults().silent = true;  // no answer: allowed without a question
  printer.Pump();
  EXPECT_TRUE(pm.FormCloseQuery());
}

TEST_F(LinkConnect, CloseAskedWithNoAsDefaultAndLogged) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  boxes.Expect("msg137", BoxAnswer::No, BoxAnswer::No);
  EXPECT_FALSE(pm.FormCloseQuery());
  EXPECT_EQ(boxes.shown()[0].default_button, 1);
  EXPECT_EQ(BoxCaption(boxes.shown()[0]), "msg138");
  EXPECT_FALSE(dir.Exists("FM_err.txt"));

  boxes.Expect("msg137", BoxAnswer::Yes, BoxAnswer::No);
  EXPECT_EQ(shell.quit_requests, 0);
  EXPECT_TRUE(pm.FormCloseQuery());
  EXPECT_EQ(shell.quit_requests, 1);
  EXPECT_NE(dir.Read("FM_err.txt").find(") Ukoncenie uzivatelom \r\n"), std::string::npos);
}

}  // namespace
}  // namespace kv::test
