// Starts the real program in a temporary program directory and ends it the way a service
// manager does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The running program, killed if a test leaves it behind.
class Program {
 public:
  Program(const std::string& home, const std::vector<std::string>& args) {
    const std::string exe = std::string(KV4910_BUILD_DIR) + "/kv4910";
    std::vector<std::string> env_strings = {"KV4910_HOME=" + home, "KV4910_RUNTIME_DIR=" + home,
                                            "QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("KV4910_HOME=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
          entry.rfind("KV4910_RUNTIME_DIR=", 0) != 0)
        env_strings.push_back(entry);
    }
    std::vector<std::string> arg_strings = {exe};
    arg_strings.insert(arg_strings.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : arg_strings) argv.push_back(a.data());
    for (auto& e : env_strings) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string log = home + "/output.log";
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
      }
      execve(exe.c_str(), argv.data(), envp.data());
      _exit(127);
    }
  }
  ~Program() {
    if (running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  pid_t pid() const { return pid_; }
  bool running() {
    if (exited_) return false;
    const pid_t r = waitpid(pid_, &status_, WNOHANG);
    if (r == pid_) exited_ = true;
    return r == 0;
  }
  // Waits at most `limit` for the program to end; its exit status, or -1 when it did not
  // end normally in time.
  int WaitForExit(std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    while (running() && Clock::now() - start < limit) std::this_thread::sleep_for(20ms);
    if (!exited_ || !WIFEXITED(status_)) return -1;
    return WEXITSTATUS(status_);
  }
  // The nice value of the running program, or an empty optional.
  std::optional<int> Nice() const {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid_) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // After the name: state is field 3; nice is field 19.
    for (int i = 3; i <= 19 && fields >> field; ++i)
      if (i == 19) return std::stoi(field);
    return std::nullopt;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool exited_ = false;
};

// A program directory with the shipped texts and a configuration that asks for the low
// process priority, an effect of reading the file that can be seen from outside.
void PrepareHome(const test::TempDir& home, int opozdenie) {
  for (const char* file : {"kv4910_sk.msg", "kv4910_sk.lng"})
    home.Write(file, ReadFile(std::string(KV4910_BUILD_DIR) + "/" + file));
  home.Write("rb4900_cfg.ini",
             "[CONFIG]\r\nopozdenie=" + std::to_string(opozdenie) + "\r\napl_priority=64\r\n");
}

// Waits until the program has read its configuration file (its nice value became 10).
bool WaitForSettingsRead(Program& program, std::chrono::milliseconds limit) {
  const auto start = Clock::now();
  while (program.running() && Clock::now() - start < limit) {
    if (program.Nice() == 10) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
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
  Program program(home.path(), {"/nohide"});
  ASSERT_TRUE(WaitForSettingsRead(program, 10s)) << ReadFile(home / "output.log");

  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(program.running()) << ReadFile(home / "output.log");

  ASSERT_EQ(kill(program.pid(), SIGTERM), 0);
  EXPECT_EQ(program.WaitForExit(10s), 0) << ReadFile(home / "output.log");
}

TEST_F(StartupE2E, TerminateDuringTheStartupDelayStillEndsCleanly) {
  test::TempDir home;
  PrepareHome(home, 1500);
  Program program(home.path(), {});
  ASSERT_TRUE(WaitForSettingsRead(program, 10s)) << ReadFile(home / "output.log");

  // The settings are read just before the delay: the signal arrives while it runs.
  ASSERT_EQ(kill(program.pid(), SIGTERM), 0);
  EXPECT_EQ(program.WaitForExit(10s), 0) << ReadFile(home / "output.log");
}

}  // namespace
}  // namespace kv
