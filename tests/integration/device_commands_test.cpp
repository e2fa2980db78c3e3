// The menu's printer commands against the printer simulator: the bytes as the printer received
// them, what it printed, and the port left open or closed.
#include "link_fixture.h"
#include "sim/line_printer.h"

namespace kv::test {
namespace {

using Command = void (DeviceCommands::*)();

class DeviceCommandsTest : public LinkTest {
 protected:
  DeviceCommandsTest() {
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }
  sim::Engine& engine() { return printer.engine(); }
  DeviceCommands& commands() { return pm.device_commands(); }
  void Run(Command command) { (commands().*command)(); }
  // What the printer received after its line was brought up (status query, identification).
  std::string CommandBytes() {
    const std::string all = engine().ReceivedBytes();
    const size_t ident = all.rfind(
        "\x1b"
        "e\x1bi");
    return ident == std::string::npos ? all : all.substr(ident + 4);
  }

  sim::LinePrinter printer{line};
};

TEST_F(DeviceCommandsTest, EachCommandSendsItsBytesAndClosesThePortWhenConfigured) {
  pm.config().drawer = {27, 'F', 0x107, 3, 0, 0, 0, 0, 0, 0x100};  // only the low byte of each goes
  struct Case {
    const char* name;
    Command command;
    std::string bytes;
  };
  const Case cases[] = {
      {"X report", &DeviceCommands::popXUZClick, "\x1bx"},
      {"copy of the last document", &DeviceCommands::popKDOKLClick,
       "\x1b"
       "c"},
      {"copy of the last daily close", &DeviceCommands::popKDUClick,
       "\x1b"
       "D"},
      {"drawer", &DeviceCommands::popOtvzasClick,
       std::string("\x1b"
                   "F\x07\x03\0\0\0\0\0\0",
                   10)},
  };
  for (const bool close_port : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (close_port ? ", CLOSE_PORT" : ""));
      pm.config().CLOSE_PORT = close_port;
      engine().ClearReceived();
      Run(c.command);
      EXPECT_EQ(CommandBytes(), c.bytes);
      EXPECT_EQ(pm.link().ComPort1().Connected(), !close_port);
    }
  }
  EXPECT_NE(engine().paper().find("X-UZAVIERKA"), std::string::npos);
  EXPECT_EQ(engine().state().drawer_pulses, 2u);  // once for each run
}

TEST_F(DeviceCommandsTest, DefaultDrawerSendsTenZeroBytes) {
  commands().popOtvzasClick();
  EXPECT_EQ(CommandBytes(), std::string(10, '\0'));
}

TEST_F(DeviceCommandsTest, ClockCommandCarriesTheLocalDateAndTime) {
  pm.SetLocalTime([] {
    std::tm t = ShopTime();  // 2026
    t.tm_mon = 6;
    t.tm_mday = 3;
    t.tm_hour = 9;
    t.tm_min = 5;
    return t;
  });
  pm.config().CLOSE_PORT = true;
  commands().popCASClick();
  EXPECT_EQ(CommandBytes(),
            "\x1bt11111"
            "7063908750493025;2:6\r");
  EXPECT_EQ(engine().PrinterTime().tm_hour, 9);
  EXPECT_EQ(engine().PrinterTime().tm_mon, 6);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
}

TEST_F(DeviceCommandsTest, DailyCloseAnsweredNoSendsNothingAndLeavesThePortAlone) {
  boxes.ExpectUnseen("msg1", BoxAnswer::No);
  commands().popDUZClick();
  EXPECT_EQ(engine().ReceivedBytes(), "");
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(boxes.shown().at(0).kind, BoxKind::App);
  EXPECT_EQ(boxes.shown().at(0).icon, BoxIcon::Question);
}

TEST_F(DeviceCommandsTest, DailyCloseReadsTheRecordAndTheJournalAndNotesItInDebug) {
  engine().state().document_number = 41;
  pm.config().ladenie = 1;
  pm.config().CLOSE_PORT = true;
  boxes.Expect("msg1", BoxAnswer::Yes, BoxAnswer::No);
  commands().popDUZClick();
  const std::string sent = CommandBytes();
  EXPECT_EQ(sent.substr(0, 5),
            "\x1b"
            "dYes");
  EXPECT_NE(sent.find(kDeviceRecordRequest), std::string::npos);
  EXPECT_EQ(sent.substr(sent.size() - 2), "\x1bQ");
  EXPECT_EQ(engine().state().closing_count, 1u);
  EXPECT_EQ(pm.readouts().document_number(), 42);
  EXPECT_FALSE(pm.readouts().journal_request());
  EXPECT_NE(dir.Read("zurnal.txt").find("DENNA UZAVIERKA"), std::string::npos);
  EXPECT_EQ(dir.Read("debug.txt"), "\r\n> Daily close (06.12.2026 14:30:00 RB4900 1.2)\r\n\r\n");
  EXPECT_FALSE(pm.link().ComPort1().Connected());

  pm.config().ladenie = 0;  // no line without debugging
  boxes.Expect("msg1", BoxAnswer::Yes, BoxAnswer::No);
  commands().popDUZClick();
  EXPECT_EQ(engine().state().closing_count, 2u);
  EXPECT_EQ(dir.Read("debug.txt"), "\r\n> Daily close (06.12.2026 14:30:00 RB4900 1.2)\r\n\r\n");
}

TEST_F(DeviceCommandsTest, DailyCloseRefusedByThePrinterShowsMessage18AndSendsNothing) {
  engine().state().condition1 = sim::status1::kClosingRefused;
  pm.config().CLOSE_PORT = true;
  boxes.Expect("msg1", BoxAnswer::Yes, BoxAnswer::No).Expect("msg18");
  commands().popDUZClick();
  EXPECT_EQ(boxes.shown().at(1).caption, "msg17");
  EXPECT_EQ(CommandBytes(), "");
  EXPECT_EQ(engine().state().closing_count, 0u);
  EXPECT_TRUE(pm.link().ComPort1().Connected());  // the port stays as it is
}

TEST_F(DeviceCommandsTest, MonthlyCloseWritesItsDebugLineOnlyWhenTheRequestWentOut) {
  pm.config().ladenie = 1;
  pm.config().CLOSE_PORT = true;
  commands().show_monthly_dialog = [] { return false; };  // closed, or a year refused
  commands().popMUZClick();
  EXPECT_FALSE(dir.Exists("debug.txt"));
  EXPECT_FALSE(pm.link().ComPort1().Connected());

  commands().show_monthly_dialog = [this] {
    // While the dialog waits on screen the printer is free for file jobs; the send takes it.
    EXPECT_FALSE(pm.link().Leased());
    return commands().SendMonthlyRequest("\x1bXD20100201\r20100231\r");
  };
  commands().popMUZClick();
  EXPECT_EQ(CommandBytes(), "\x1bXD20100201\r20100231\r");
  EXPECT_EQ(dir.Read("debug.txt"),
            "\r\n> Mesacna uzavierka (06.12.2026 14:30:00 RB4900 1.2)\r\n\r\n");
}

TEST_F(DeviceCommandsTest, ReportsWindowOpensWithTheLineUpAndThePrintJobTimerStopped) {
  timer_prmgr.SetEnabled(true);
  bool shown = false;
  commands().show_copies_window = [&] {
    shown = true;
    EXPECT_FALSE(timer_prmgr.Enabled());
    EXPECT_FALSE(pm.link().Leased());  // the window takes the printer for each exchange
  };
  commands().KopieRB3900Click();
  EXPECT_TRUE(shown);

  // A visible window is only brought to the front.
  shown = false;
  timer_prmgr.SetEnabled(true);
  commands().copies_window_visible = [] { return true; };
  commands().KopieRB3900Click();
  EXPECT_FALSE(shown);
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(view.Get("Form_copy.window"), "front");

  // No window connected: the print-job timer keeps running.
  commands().copies_window_visible = nullptr;
  commands().show_copies_window = nullptr;
  commands().KopieRB3900Click();
  EXPECT_TRUE(timer_prmgr.Enabled());
}

TEST_F(DeviceCommandsTest, EachByteWaitsForTheHandshakeAtMostItsLimitThenThePause) {
  pm.config().drawer = {27, 'p', 0, 25, 250, 0, 0, 0, 0, 0};
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  pm.link().SetCtsGate(1);
  line.a().ForceCts(false);  // the printer never clears to send: every byte waits its limit
  const struct {
    const char* name;
    Command send;
    uint64_t waited_ms;  // the bytes' limits, then the pause after the last has left
  } cases[] = {
      {"X report: ESC 1000, x 100, pause 100", &DeviceCommands::SendXReport, 1200},
      {"last document: ESC 1000, c 500, pause 100", &DeviceCommands::SendCopyLastDocument, 1600},
      {"last daily close: ESC 1000, D 500, pause 100", &DeviceCommands::SendCopyLastClosing,
       1600},
      {"drawer: ten bytes of 300, no pause", &DeviceCommands::SendDrawerPulse, 3000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t before = clock.slept();
    Run(c.send);
    // Besides: the last byte's few milliseconds on the line before it has left.
    EXPECT_GE(clock.slept() - before, c.waited_ms);
    EXPECT_LE(clock.slept() - before, c.waited_ms + 5);
  }
}

TEST_F(DeviceCommandsTest, EveryCommandFindingThePrinterBusySaysSoAndSendsNothing) {
  commands().show_monthly_dialog = [] { return true; };
  commands().show_copies_window = [] { ADD_FAILURE() << "copies window opened"; };
  const auto job = pm.link().TryLease("print job");
  ASSERT_TRUE(job);
  const Command all[] = {&DeviceCommands::popXUZClick, &DeviceCommands::popDUZClick,
                         &DeviceCommands::popMUZClick, &DeviceCommands::popKDOKLClick,
                         &DeviceCommands::popKDUClick, &DeviceCommands::KopieRB3900Click,
                         &DeviceCommands::popCASClick, &DeviceCommands::popOtvzasClick};
  for (const Command command : all) {
    if (command == &DeviceCommands::popDUZClick)
      boxes.Expect("msg1", BoxAnswer::Yes, BoxAnswer::No);
    boxes.Expect("msg200");
    Run(command);
  }
  boxes.Expect("msg200");
  EXPECT_FALSE(commands().SendMonthlyRequest("\x1bXD20100201\r20100231\r"));
  boxes.Expect("msg200");
  pm.Spusteniecasovaca1Click();  // "Pripojenie KV4910"
  EXPECT_EQ(engine().ReceivedBytes(), "");
  EXPECT_EQ(pm.link().Holder(), "print job");
}

}  // namespace
}  // namespace kv::test
