// Starts the real program in a temporary program directory and ends it the way a service
// manager does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::ReadFile;
using test::WaitFor;

// A configuration that asks for the low process priority, an effect of reading the file that
// can be seen from outside.
void PrepareHome(const test::TempDir& home, int opozdenie) {
  test::PrepareProgramHome(
      home, "[CONFIG]\r\nopozdenie=" + std::to_string(opozdenie) + "\r\napl_priority=64\r\n");
}

// Waits until the program has read its configuration file (its nice value became 10); false
// when it ends first.
bool WaitForSettingsRead(ChildProcess& program, int timeout_ms) {
  bool ended = false;
  const bool done = WaitFor(
      [&] {
        ended = !program.Running();
        return ended || test::ProcStatField(program.pid(), 19) == 10;
      },
      timeout_ms);
  return done && !ended;
}

class StartupE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getpriority(PRIO_PROCESS, 0) >= 10)
      GTEST_SKIP() << "already running at low priority: the change cannot be seen";
  }
};

TEST_F(StartupE2E, StartsFromItsProgramDirectoryStaysUpAndEndsCleanlyOnTerminate) {
  test::TempDir home;
  PrepareHome(home, 0);
  ChildProcess program = test::StartProgramIn(home, {"/nohide"});
  ASSERT_TRUE(WaitForSettingsRead(program, 10000)) << ReadFile(home / "output.log");

  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(program.Running()) << ReadFile(home / "output.log");

  ASSERT_TRUE(program.Signal(SIGTERM));
  EXPECT_EQ(program.Wait(10000).value_or(-1), 0) << ReadFile(home / "output.log");
}

TEST_F(StartupE2E, TerminateDuringTheStartupDelayStillEndsCleanly) {
  test::TempDir home;
  PrepareHome(home, 1500);
  ChildProcess program = test::StartProgramIn(home, {});
  ASSERT_TRUE(WaitForSettingsRead(program, 10000)) << ReadFile(home / "output.log");

  // The settings are read just before the delay: the signal arrives while it runs.
  ASSERT_TRUE(program.Signal(SIGTERM));
  EXPECT_EQ(program.Wait(10000).value_or(-1), 0) << ReadFile(home / "output.log");
}

}  // namespace
}  // namespace kv
