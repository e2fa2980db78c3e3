// kv4910-sim as another process sees it: a pseudo-terminal that answers like the printer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using kv::test::BuildProgram;
using kv::test::ChildProcess;
using kv::test::ProcStatField;

// User plus system CPU time of `pid` in clock ticks.
long CpuTicks(pid_t pid) {
  return ProcStatField(pid, 14).value() + ProcStatField(pid, 15).value();
}

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
  ChildProcess sim(BuildProgram("kv4910-sim"), {"--link", dir / "printer"});
  const std::string slave = sim.ReadLine(5000).value_or("");
  ASSERT_FALSE(slave.empty());
  EXPECT_EQ(std::filesystem::read_symlink(dir / "printer").string(), slave);

  int fd = open((dir / "printer").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, "\033\x11", 5), kStatusOk);
  EXPECT_EQ(Ask(fd, "\x0c\r\x03\033e\033i", 8), "RB490012");
  close(fd);

  // Nobody holds the pseudo-terminal now: the simulator waits without burning the CPU.
  const long before = CpuTicks(sim.pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LT(CpuTicks(sim.pid()) - before, 15);

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
    ChildProcess sim(BuildProgram("kv4910-sim"),
                     {"--state", dir / "state", "--paper", dir / "paper.txt", "--baud", "115200"});
    const std::string slave = sim.ReadLine(5000).value_or("");
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
  ChildProcess sim(BuildProgram("kv4910-sim"), {"--status1", "0x40", "--garbled-status", "once"});
  const std::string slave = sim.ReadLine(5000).value_or("");
  ASSERT_FALSE(slave.empty());
  const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_NE(Ask(fd, "\033\x11", 5), std::string("FS\x40\x00\xaa", 5));
  EXPECT_EQ(Ask(fd, "\x03\r\033\x11", 5), std::string("FS\x40\x00\xaa", 5));
  close(fd);
  EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
