// The real program connecting at start-up: against kv4910-sim on a pseudo-terminal, and with a
// port that does not exist.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/child_process.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::BuildProgram;
using test::ChildProcess;
using test::ReadFile;
using test::WaitFor;

void PrepareHome(const test::TempDir& home, const std::string& config) {
  test::PrepareProgramHome(home, "[CONFIG]\r\nport=0\r\nopozdenie=0\r\n" + config);
}

std::string Hex(const std::string& text) {
  static const char* const kDigits = "0123456789abcdef";
  std::string out = "x";
  for (unsigned char c : text) {
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0F];
  }
  return out;
}

ChildProcess StartProgram(const test::TempDir& home, const std::string& ports) {
  return test::StartProgramIn(home, {"/nohide"}, {{"KV4910_PORTS", ports}});
}

TEST(LinkConnectE2E, ConnectsToTheSimulatorAtStartAndRunsTheDueDailyClose) {
  test::TempDir home;
  // A printer whose last document is from long ago: a daily close is due.
  home.Write("printer.state",
             "kv4910-sim-state 1\ncounters 7 3 5 0\nfirst_date " + Hex("20000101") + "\n");
  ChildProcess sim(BuildProgram("kv4910-sim"),
                   {"--state", home / "printer.state", "--paper", home / "paper.txt"});
  const std::string pty = sim.ReadLine(5000).value_or("");
  ASSERT_FALSE(pty.empty());

  PrepareHome(home, "auto_du=1\r\n");
  ChildProcess program = StartProgram(home, pty);
  // The close runs inside the first status query of the bring-up, and its text is read back
  // into the journal.
  EXPECT_TRUE(WaitFor(
      [&] {
        return ReadFile(home / "zurnal.txt").find("DENNA UZAVIERKA C. 4") != std::string::npos;
      },
      15000))
      << ReadFile(home / "output.log");
  EXPECT_EQ(ReadFile(home / "out_bl.tmp"), "");
  EXPECT_NE(ReadFile(home / "paper.txt").find("DENNA UZAVIERKA"), std::string::npos);
  // Nothing went wrong on the way: no error line.
  EXPECT_FALSE(home.Exists("FM_err.txt")) << ReadFile(home / "FM_err.txt");

  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(program.Running()) << ReadFile(home / "output.log");
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(10000).value_or(-1), 0) << ReadFile(home / "output.log");
}

// No printer at all: the boxes nobody sees answer Yes to "try again", so start-up keeps
// retrying. It must do so a pause apart, without a busy core or a growing log, and end at once
// on a termination signal.
TEST(LinkConnectE2E, PortThatDoesNotExistIsRetriedQuietlyAndTheProgramEndsOnTerminate) {
  test::TempDir home;
  PrepareHome(home, "");
  ChildProcess program = StartProgram(home, home / "no-such-tty");
  auto cpu_ticks = [&] {
    return test::ProcStatField(program.pid(), 14).value_or(0) +
           test::ProcStatField(program.pid(), 15).value_or(0);
  };
  std::this_thread::sleep_for(2000ms);
  ASSERT_TRUE(program.Running()) << ReadFile(home / "output.log");
  const long before = cpu_ticks();
  std::this_thread::sleep_for(6000ms);
  const long used = cpu_ticks() - before;
  EXPECT_LT(used, 12) << "clock ticks of CPU in 6 s";  // 2 % of a core
  const std::string errors = ReadFile(home / "FM_err.txt");
  EXPECT_EQ(errors.substr(errors.find(") ") + 1), " Nepodarilo sa inicializovat port \r\n");
  const std::string output = ReadFile(home / "output.log");
  EXPECT_LT(std::count(output.begin(), output.end(), '\n'), 10) << output;

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(2000).value_or(-1), 0) << ReadFile(home / "output.log");
  // The repeats are told once the program ends.
  EXPECT_NE(ReadFile(home / "FM_err.txt").find(") Nepodarilo sa inicializovat port (opakovane"),
            std::string::npos);
}

}  // namespace
}  // namespace kv
