// Control commands of the simulated printer: each switches its fault, a wrong one changes
// nothing.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "sim/control.h"
#include "support/sim_fixture.h"

namespace kv::sim {
namespace {

class SimControl : public ::testing::Test, public test::SimEngineTest {
 protected:
  std::string Run(std::string_view line) { return RunControlCommand(engine, line); }
};

struct Switch {
  const char* command;
  std::function<bool(Engine&)> in_force;
};

TEST(SimControlCommands, EachCommandSwitchesItsFault) {
  const Switch kCases[] = {
      {"silent on", [](Engine& e) { return e.faults().silent; }},
      {"garbled always", [](Engine& e) { return e.faults().garbled_status == FaultMode::kAlways; }},
      {"garbled once", [](Engine& e) { return e.faults().garbled_status == FaultMode::kOnce; }},
      {"status1 0x40", [](Engine& e) { return e.state().condition1 == 0x40; }},
      {"status2 32", [](Engine& e) { return e.state().condition2 == 32; }},
      {"delay 300", [](Engine& e) { return e.faults().delay_ms == 300; }},
      {"short-record 3", [](Engine& e) { return e.faults().short_record_by == 3; }},
      {"cut-device-record on", [](Engine& e) { return e.faults().cut_device_record; }},
      {"nak-copies on", [](Engine& e) { return e.faults().nak_copies; }},
      {"no-advance always", [](Engine& e) { return e.faults().no_advance == FaultMode::kAlways; }},
      {"records-left 2", [](Engine& e) { return e.faults().device_records_left == 2; }},
      {"drop-lines dtr", [](Engine& e) { return !e.DtrUp() && e.RtsUp(); }},
      {"drop-lines both:0", [](Engine& e) { return !e.DtrUp() && !e.RtsUp(); }},
  };
  for (const Switch& c : kCases) {
    test::FakeClock clock;
    Engine engine(clock);
    EXPECT_FALSE(c.in_force(engine)) << c.command;
    EXPECT_EQ(RunControlCommand(engine, c.command), "ok") << c.command;
    EXPECT_TRUE(c.in_force(engine)) << c.command;
  }
}

TEST_F(SimControl, SwitchedOffAgainThePrinterIsHealthy) {
  for (const char* on : {"silent on", "garbled always", "nak-copies on", "no-advance always",
                         "cut-device-record on", "records-left 0", "drop-lines both"})
    ASSERT_EQ(Run(on), "ok") << on;
  for (const char* off : {"silent off", "garbled off", "nak-copies off", "no-advance off",
                          "cut-device-record off", "records-left -1", "raise-lines"})
    ASSERT_EQ(Run(off), "ok") << off;
  EXPECT_EQ(Send("\033\x11"), std::string("FS\x00\x00\xaa", 5));
  Send(test::SampleReceipt());
  EXPECT_EQ(test::ReadDeviceRecord(Send("\033I")).Number(1), 1);
  EXPECT_EQ(Send("\033c"), "\x06");
  EXPECT_TRUE(engine.RtsUp() && engine.DtrUp());
}

TEST_F(SimControl, WrongCommandsAreErrorsAndChangeNothing) {
  for (const char* line :
       {"silent", "silent yes", "status1 256", "status2 -1", "delay 1x", "garbled sometimes",
        "records-left -2", "drop-lines up", "drop-lines rts:many", "raise-lines now", "state now",
        "reboot", "", "SILENT on"}) {
    EXPECT_EQ(Run(line).rfind("error: ", 0), 0u) << '"' << line << '"';
  }
  EXPECT_EQ(Send("\033\x11"), std::string("FS\x00\x00\xaa", 5));
  EXPECT_EQ(engine.faults().device_records_left, -1);
  EXPECT_TRUE(engine.RtsUp() && engine.DtrUp());
}

TEST_F(SimControl, StateReportsCountersAndTheOpenDocument) {
  EXPECT_EQ(Run("state"), "document 0 closings 0 receipts 0 open 0 drawer 0 test 0");
  Send(test::SampleReceipt());
  Send("\033dYes");
  Send("\033o\033b");
  EXPECT_EQ(Run("state\r"), "document 2 closings 1 receipts 1 open 1 drawer 1 test 0");
}

TEST_F(SimControl, PaperMarkIsPrintedInTheCodePageOfThePaper) {
  EXPECT_EQ(Run("paper-mark --- krok 2: \xc5\xa1\x61ty ---"), "ok");
  EXPECT_EQ(engine.paper(), "--- krok 2: \x9a\x61ty ---\n");
  EXPECT_TRUE(engine.state().journal.empty());
}

TEST_F(SimControl, CloseDocumentEndsTheOpenReceiptEvenRightAfterALineReset) {
  EXPECT_EQ(Run("close-document"), "error: no document open");
  Send("\033bROZKY\r\n    1.00 x     1.25  \0331       1.25 EUR\r\n");
  Send("\x0c\r\x03");  // the program's line reset: its own ESC "e" would now not end the receipt
  EXPECT_EQ(Run("close-document"), "ok");
  EXPECT_EQ(Run("state"), "document 1 closings 0 receipts 1 open 0 drawer 0 test 0");
  EXPECT_NE(engine.paper().find("DOKLAD 1 "), std::string::npos);
  EXPECT_EQ(Run("close-document"), "error: no document open");
}

// The "stats" answer as name -> value.
std::map<std::string, uint64_t> StatsOf(const std::string& line) {
  std::map<std::string, uint64_t> values;
  std::istringstream in(line);
  std::string name;
  uint64_t value = 0;
  while (in >> name >> value) values[name] = value;
  return values;
}

TEST_F(SimControl, StatsTellWhenTheProgramFirstAskedAndPrintedSinceTheMark) {
  LineStats stats;
  EXPECT_EQ(Run("stats").rfind("error: ", 0), 0u);  // only where the line is counted
  stats.Mark(engine, 1000);
  auto take = [&](std::string_view bytes, uint64_t at) {
    stats.Sent(Send(bytes).size(), at);
    stats.Received(engine, bytes.size(), at);
  };
  take("\033\x11", 2000);  // status query: 2 in, 5 out
  take("\033I", 3000);     // device record
  take(test::SampleReceipt(), 4000);
  auto v = StatsOf(stats.Line(engine, 5000));
  EXPECT_EQ(v["since_us"], 1000u);
  EXPECT_EQ(v["first_in_us"], 2000u);
  EXPECT_EQ(v["first_status_us"], 2000u);
  EXPECT_EQ(v["first_open_us"], 4000u);
  EXPECT_EQ(v["first_open_in"], 4u + test::SampleReceipt().size());
  EXPECT_GT(v["first_open_out"], 5u);
  EXPECT_EQ(v["last_in_us"], 4000u);
  EXPECT_EQ(v["status"], 1u);
  EXPECT_EQ(v["records"], 1u);
  EXPECT_EQ(v["opened"], 1u);

  EXPECT_EQ(RunControlCommand(engine, "stats mark", &stats), "ok");
  v = StatsOf(RunControlCommand(engine, "stats", &stats));
  for (const char* zero : {"in", "out", "status", "opened", "first_in_us", "first_open_us"})
    EXPECT_EQ(v[zero], 0u) << zero;
  EXPECT_EQ(RunControlCommand(engine, "stats now", &stats).rfind("error: ", 0), 0u);
}

}  // namespace
}  // namespace kv::sim
