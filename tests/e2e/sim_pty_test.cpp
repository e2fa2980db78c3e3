// kv4910-sim as another process sees it: a pseudo-terminal that answers like the printer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace {

// The simulator running in a child process; stopped with SIGTERM at the latest on destruction.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(KV4910_BUILD_DIR) + "/kv4910-sim");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) Stop();
    if (stdout_ >= 0) close(stdout_);
  }

  // The first line the simulator prints (the slave path), or "" after 5 s.
  std::string FirstLine() {
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos) {
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0 || read(stdout_, &c, 1) != 1) return "";
      line += c;
    }
    line.pop_back();
    return line;
  }

  // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // User plus system CPU time in clock ticks.
  long CpuTicks() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;  // fields 3..13
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return utime + stime;
  }

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
};

// Writes a request and collects the answer until `count` bytes or the byte `last` came, or 3 s
// passed.
std::string Ask(int fd, const std::string& request, size_t count, int last = -1) {
  if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return "";
  std::string got;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (got.size() < count && std::chrono::steady_clock::now() < end &&
         (got.empty() || got.back() != last)) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
  }
  return got;
}

const std::string kStatusOk("FS\x00\x00\xaa", 5);

TEST(SimPty, AnswersStatusQueryOnItsPseudoTerminalAndStopsCleanly) {
  kv::test::TempDir dir;
  SimProcess sim({"--link", dir / "printer"});
  const std::string slave = sim.FirstLine();
  ASSERT_FALSE(slave.empty());
  EXPECT_EQ(std::filesystem::read_symlink(dir / "printer").string(), slave);

  int fd = open((dir / "printer").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, "\033\x11", 5), kStatusOk);
  EXPECT_EQ(Ask(fd, "\x0c\r\x03\033e\033i", 8), "RB490012");
  close(fd);

  // Nobody holds the pseudo-terminal now: the simulator waits without burning the CPU.
  const long before = sim.CpuTicks();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LT(sim.CpuTicks() - before, 15);

  fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, "\033\x11", 5), kStatusOk);
  close(fd);

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "printer"));
}

TEST(SimPty, KeepsStateAndPaperAcrossRuns) {
  kv::test::TempDir dir;
  const std::string receipt =
      "\033bCHLIEB \x9a\xe1ty     \r\n    1.00 x     1.25  \0331       1.25 EUR\r\n"
      "\033k        1.25 EUR\r\n\033P1        1.25\r\n\033e";
  for (int run = 1; run <= 2; ++run) {
    SimProcess sim({"--state", dir / "state", "--paper", dir / "paper.txt", "--baud", "115200"});
    const std::string slave = sim.FirstLine();
    ASSERT_FALSE(slave.empty());
    const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, receipt.data(), receipt.size()), static_cast<ssize_t>(receipt.size()));
    const std::string record = Ask(fd, "\x0c\r\x03\033I", 1000, '\x03');
    EXPECT_EQ(record.substr(0, 5 + std::to_string(run).size() + 2),
              "INF\r\n" + std::to_string(run) + "\r\n");
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
  }
  const std::string paper = dir.Read("paper.txt");
  EXPECT_NE(paper.find("CHLIEB šáty"), std::string::npos);
  EXPECT_NE(paper.find("DOKLAD 2"), std::string::npos);
}

TEST(SimPty, FaultFlagsApply) {
  kv::test::TempDir dir;
  SimProcess sim({"--status1", "0x40", "--garbled-status", "once"});
  const std::string slave = sim.FirstLine();
  ASSERT_FALSE(slave.empty());
  const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_NE(Ask(fd, "\033\x11", 5), std::string("FS\x40\x00\xaa", 5));
  EXPECT_EQ(Ask(fd, "\x03\r\033\x11", 5), std::string("FS\x40\x00\xaa", 5));
  close(fd);
  EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
