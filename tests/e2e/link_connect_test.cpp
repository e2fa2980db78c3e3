// The real program connecting at start-up: against kv4910-sim on a pseudo-terminal, and with a
// port that does not exist.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace kv {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A child process with extra environment entries; stopped with SIGTERM (then SIGKILL) at the
// latest on destruction. Its output goes to `log` when given, else to a pipe.
class Child {
 public:
  Child(std::vector<std::string> argv, const std::vector<std::string>& env,
        const std::string& log = {}) {
    std::vector<std::string> env_strings = env;
    for (char** e = environ; *e; ++e) env_strings.push_back(*e);
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(a.data());
    for (auto& e : env_strings) envp.push_back(e.data());
    args.push_back(nullptr);
    envp.push_back(nullptr);
    int out[2] = {-1, -1};
    if (log.empty() && pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = log.empty() ? out[1] : open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        if (!log.empty()) dup2(fd, STDERR_FILENO);
      }
      execve(args[0], args.data(), envp.data());
      _exit(127);
    }
    if (out[1] >= 0) close(out[1]);
    stdout_ = out[0];
  }
  ~Child() {
    if (running()) {
      kill(pid_, SIGTERM);
      if (WaitForExit(3s) == -1 && running()) kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
  }

  bool running() {
    if (exited_ || pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
    return !exited_;
  }
  void Terminate() { kill(pid_, SIGTERM); }
  // The exit status, or -1 when the child did not end normally within `limit`.
  int WaitForExit(std::chrono::milliseconds limit) {
    const auto start = SteadyClock::now();
    while (running() && SteadyClock::now() - start < limit) std::this_thread::sleep_for(20ms);
    if (!exited_ || !WIFEXITED(status_)) return -1;
    return WEXITSTATUS(status_);
  }
  // The first line of the child's output, or "" after 5 s.
  std::string FirstLine() {
    std::string line;
    char c;
    while (line.empty() || line.back() != '\n') {
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0 || read(stdout_, &c, 1) != 1) return "";
      line += c;
    }
    line.pop_back();
    return line;
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  int status_ = 0;
  bool exited_ = false;
};

// Polls `done` every 50 ms for at most `limit`.
template <typename F>
bool WaitFor(F done, std::chrono::milliseconds limit) {
  const auto start = SteadyClock::now();
  while (SteadyClock::now() - start < limit) {
    if (done()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

void PrepareHome(const test::TempDir& home, const std::string& config) {
  for (const char* file : {"kv4910_sk.msg", "kv4910_sk.lng"})
    home.Write(file, ReadFile(std::string(KV4910_BUILD_DIR) + "/" + file));
  home.Write("rb4900_cfg.ini", "[CONFIG]\r\nport=0\r\nopozdenie=0\r\n" + config);
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

Child StartProgram(const test::TempDir& home, const std::string& ports) {
  return Child({std::string(KV4910_BUILD_DIR) + "/kv4910", "/nohide"},
               {"KV4910_HOME=" + home.path(), "KV4910_RUNTIME_DIR=" + home.path(), "KV4910_PORTS=" + ports, "QT_QPA_PLATFORM=offscreen"},
               home / "output.log");
}

TEST(LinkConnectE2E, ConnectsToTheSimulatorAtStartAndRunsTheDueDailyClose) {
  test::TempDir home;
  // A printer whose last document is from long ago: a daily close is due.
  home.Write("printer.state",
             "kv4910-sim-state 1\ncounters 7 3 5 0\nfirst_date " + Hex("20000101") + "\n");
  Child sim({std::string(KV4910_BUILD_DIR) + "/kv4910-sim", "--state", home / "printer.state",
             "--paper", home / "paper.txt"},
            {});
  const std::string pty = sim.FirstLine();
  ASSERT_FALSE(pty.empty());

  PrepareHome(home, "auto_du=1\r\n");
  Child program = StartProgram(home, pty);
  // The close runs inside the first status query of the bring-up, and its text is read back
  // into the journal.
  EXPECT_TRUE(WaitFor(
      [&] {
        return ReadFile(home / "zurnal.txt").find("DENNA UZAVIERKA C. 4") != std::string::npos;
      },
      15s))
      << ReadFile(home / "output.log");
  EXPECT_EQ(ReadFile(home / "out_bl.tmp"), "");
  EXPECT_NE(ReadFile(home / "paper.txt").find("DENNA UZAVIERKA"), std::string::npos);
  // Nothing went wrong on the way: no error line.
  EXPECT_FALSE(home.Exists("FM_err.txt")) << ReadFile(home / "FM_err.txt");

  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(program.running()) << ReadFile(home / "output.log");
  program.Terminate();
  EXPECT_EQ(program.WaitForExit(10s), 0) << ReadFile(home / "output.log");
}

TEST(LinkConnectE2E, PortThatDoesNotExistIsLoggedAndTheProgramStillEnds) {
  test::TempDir home;
  PrepareHome(home, "MSG=0\r\n");
  Child program = StartProgram(home, home / "no-such-tty");
  // The port failure shows a box first; the error line follows once it is answered. A
  // termination signal answers every box, so the program must then log and end.
  std::this_thread::sleep_for(1500ms);
  ASSERT_TRUE(program.running()) << ReadFile(home / "output.log");
  program.Terminate();
  EXPECT_EQ(program.WaitForExit(10s), 0) << ReadFile(home / "output.log");
  const std::string errors = ReadFile(home / "FM_err.txt");
  EXPECT_NE(errors.find(") Nepodarilo sa inicializovat port \r\n"), std::string::npos) << errors;
}

}  // namespace
}  // namespace kv
