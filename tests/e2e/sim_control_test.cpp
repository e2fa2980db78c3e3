// kv4910-sim driven from outside as a soak test drives it: faults switched through its control
// socket while it runs, a kill and restart on the same state file, and a line paced at its
// baud rate.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using kv::test::BuildProgram;
using kv::test::ChildProcess;
using Clock = std::chrono::steady_clock;

const std::string kStatusQuery = "\033\x11";
const std::string kReceiptStart = "\033bROZKY\r\n    1.00 x     1.25  \0331       1.25 EUR\r\n";
const std::string kReceiptEnd = "\033k        1.25 EUR\r\n\033P1        1.25\r\n\033e";

// Waits up to `limit_ms` for `fd` to become readable.
bool Readable(int fd, int limit_ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, limit_ms) > 0;
}

// One control command: the answer line, or "" when none came within 3 s.
std::string Control(const std::string& path, const std::string& command) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  std::string answer;
  const std::string line = command + "\n";
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
      write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
    const auto end = Clock::now() + std::chrono::seconds(3);
    char c = 0;
    while (Clock::now() < end && Readable(fd, 100) && read(fd, &c, 1) == 1 && c != '\n')
      answer += c;
  }
  close(fd);
  return answer;
}

// What the printer sends until `count` bytes came or `limit_ms` passed.
std::string Collect(int fd, size_t count, int limit_ms) {
  std::string got;
  const auto end = Clock::now() + std::chrono::milliseconds(limit_ms);
  while (got.size() < count && Clock::now() < end) {
    if (!Readable(fd, 20)) continue;
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
  }
  return got;
}

// kv4910-sim with a control socket in `dir`, and its pseudo-terminal open as the program's
// port.
class Simulator {
 public:
  Simulator(const kv::test::TempDir& dir, std::vector<std::string> args)
      : control(dir / "control") {
    args.insert(args.end(), {"--control", control});
    process = std::make_unique<ChildProcess>(BuildProgram("kv4910-sim"), args);
    const std::string slave = process->ReadLine(5000).value_or("");
    port = slave.empty() ? -1 : open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  }
  ~Simulator() {
    if (port >= 0) close(port);
  }
  // The pseudo-terminal holds a few kilobytes: what is sent here fits at once.
  bool Send(const std::string& bytes) {
    return write(port, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // The status answer to a status query; also shows that what was sent before it was taken.
  std::string Status() {
    Send(kStatusQuery);
    return Collect(port, 5, 3000);
  }

  std::string control;
  std::unique_ptr<ChildProcess> process;
  int port = -1;
};

TEST(SimControl, FaultsSwitchWhileItRunsAndStateGivesTheCounters) {
  kv::test::TempDir dir;
  Simulator sim(dir, {});
  ASSERT_GE(sim.port, 0);
  struct stat st {};
  ASSERT_EQ(stat(sim.control.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  EXPECT_EQ(Control(sim.control, "silent on"), "ok");
  ASSERT_TRUE(sim.Send(kStatusQuery));
  EXPECT_EQ(Collect(sim.port, 1, 500), "");
  EXPECT_EQ(Control(sim.control, "silent off"), "ok");
  EXPECT_EQ(sim.Status(), std::string("FS\x00\x00\xaa", 5));

  EXPECT_EQ(Control(sim.control, "state"),
            "document 0 closings 0 receipts 0 open 0 drawer 0 test 0");
  ASSERT_TRUE(sim.Send(kReceiptStart + kReceiptEnd));
  ASSERT_EQ(sim.Status().size(), 5u);
  EXPECT_EQ(Control(sim.control, "state"),
            "document 1 closings 0 receipts 1 open 0 drawer 0 test 0");
  // The line's statistics since the start: the silent query was taken but not answered.
  const std::string stats = Control(sim.control, "stats");
  const size_t in = 3 * kStatusQuery.size() + kReceiptStart.size() + kReceiptEnd.size();
  EXPECT_NE(stats.find(" in " + std::to_string(in) + " out 10 "), std::string::npos) << stats;
  EXPECT_NE(stats.find(" status 2 "), std::string::npos) << stats;
  EXPECT_NE(stats.find(" opened 1 "), std::string::npos) << stats;
  EXPECT_EQ(Control(sim.control, "garbled maybe").rfind("error: ", 0), 0u);

  EXPECT_EQ(sim.process->Stop(), 0);
  EXPECT_NE(stat(sim.control.c_str(), &st), 0);  // the socket went with it
}

TEST(SimControl, KilledAndStartedAgainItKeepsTheOpenReceipt) {
  kv::test::TempDir dir;
  const std::vector<std::string> args = {"--state", dir / "state"};
  {
    Simulator sim(dir, args);
    ASSERT_GE(sim.port, 0);
    ASSERT_TRUE(sim.Send(kReceiptStart));
    EXPECT_EQ(sim.Status(), std::string("FS\xa0\x00\xaa", 5));  // a document is open
    ASSERT_TRUE(sim.process->Signal(SIGKILL));
    ASSERT_TRUE(sim.process->Wait(5000).has_value());
  }
  Simulator sim(dir, args);  // the socket file the killed one left is replaced
  ASSERT_GE(sim.port, 0);
  EXPECT_EQ(Control(sim.control, "state"),
            "document 0 closings 0 receipts 0 open 1 drawer 0 test 0");
  ASSERT_TRUE(sim.Send(kReceiptEnd));
  EXPECT_EQ(sim.Status(), std::string("FS\x00\x00\xaa", 5));
  EXPECT_EQ(Control(sim.control, "state"),
            "document 1 closings 0 receipts 1 open 0 drawer 0 test 0");
}

TEST(SimPaced, ProgramsBytesTakeTheirWireTimeWithoutBurningTheCpu) {
  kv::test::TempDir dir;
  Simulator sim(dir, {"--baud", "9600", "--state", dir / "state"});
  ASSERT_GE(sim.port, 0);
  // A receipt of 2,000 bytes with the status query that follows it.
  const size_t text = 2000 - kStatusQuery.size() - kReceiptEnd.size() - 2;
  std::string receipt = kReceiptStart;
  while (receipt.size() < text) receipt += "POZNAMKA K NAKUPU\r\n";
  receipt = receipt.substr(0, text) + "\r\n" + kReceiptEnd;
  ASSERT_EQ(receipt.size() + kStatusQuery.size(), 2000u);

  const pid_t pid = sim.process->pid();
  const auto cpu = [pid] {
    return kv::test::ProcStatField(pid, 14).value_or(0) +
           kv::test::ProcStatField(pid, 15).value_or(0);
  };
  const long cpu_before = cpu();
  const auto start = Clock::now();
  ASSERT_TRUE(sim.Send(receipt));
  // 2,000 bytes of 10 bits at 9600 baud take 2.083 s; the answer's 5 bytes 5 ms more.
  EXPECT_EQ(sim.Status(), std::string("FS\x00\x00\xaa", 5));
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_GE(took.count(), 2080);
  EXPECT_LT(took.count(), 3000);
  EXPECT_LT(cpu() - cpu_before, 40) << "clock ticks of CPU time";
  EXPECT_EQ(Control(sim.control, "state"),
            "document 1 closings 0 receipts 1 open 0 drawer 0 test 0");
}

}  // namespace
