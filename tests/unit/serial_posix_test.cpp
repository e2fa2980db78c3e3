#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/print_manager.h"
#include "link/com_port.h"
#include "platform/com_port_timing.h"
#include "support/fake_clock.h"
#include "support/fake_timer.h"
#include "support/recording_view.h"
#include "support/scripted_boxes.h"

namespace kv {
namespace {

// A pseudo-terminal pair: the test holds the master, the port opens the slave by its path.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) ADD_FAILURE();
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) ADD_FAILURE();
    path_ = name;
  }
  ~Pty() { CloseMaster(); }
  const std::string& path() const { return path_; }

  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  // What the port sent, waiting up to 1 s for `count` bytes.
  std::string Receive(size_t count) {
    std::string out;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (out.size() < count && std::chrono::steady_clock::now() < until) {
      pollfd pfd{master_, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) out.append(buffer, n);
    }
    return out;
  }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string path_;
};

template <typename Action>
int CodeOf(Action action) {
  try {
    action();
  } catch (const EComPort& error) {
    return error.Code();
  }
  return 0;
}

// Waits (bounded) until the port sees `count` queued bytes: the pseudo-terminal passes bytes
// on through a kernel worker, not at once.
bool WaitForInput(TComPort& port, int count) {
  for (int i = 0; i < 200 && port.InputCount() < count; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return port.InputCount() == count;
}

double ElapsedMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

struct PtyPort : ::testing::Test {
  Pty pty;
  TComPort port;
  void SetUp() override {
    ConfigureAsComPort1(port);
    port.SetPort(pty.path());
  }
};

TEST_F(PtyPort, OpenAndCloseAreIdempotent) {
  port.Open();
  pty.Send("hello");
  ASSERT_TRUE(WaitForInput(port, 5));
  port.Open();
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.InputCount(), 5);
  port.Close();
  port.Close();
  EXPECT_FALSE(port.Connected());
  port.Open();  // the device was released: it opens again
  EXPECT_TRUE(port.Connected());
}

TEST_F(PtyPort, ASecondOpenOfTheDeviceFailsWithCodeOne) {
  port.Open();
  TComPort second;
  second.SetPort(pty.path());
  EXPECT_EQ(CodeOf([&] { second.Open(); }), 1);
  EXPECT_FALSE(second.Connected());
  EXPECT_EQ(CodeOf([&] {
              TComPort missing;
              missing.SetPort("/dev/kv4910-none");
              missing.Open();
            }),
            1);
}

TEST_F(PtyPort, SetPortReopensOnlyForANewName) {
  port.Open();
  pty.Send("abc");
  ASSERT_TRUE(WaitForInput(port, 3));
  port.SetPort(pty.path());  // same name: nothing happens
  EXPECT_EQ(port.InputCount(), 3);

  Pty other;
  port.SetPort(other.path());
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.WriteStr("to other"), 8);
  EXPECT_EQ(other.Receive(8), "to other");
  TComPort first;  // the old device was let go
  first.SetPort(pty.path());
  first.Open();
  EXPECT_TRUE(first.Connected());
}

TEST_F(PtyPort, SyncMethodCannotChangeWhileConnected) {
  port.Open();
  try {
    port.SetSyncMethod(smNone);
    FAIL() << "no error";
  } catch (const EComPort& error) {
    EXPECT_EQ(error.Code(), 14);
    EXPECT_STREQ(error.what(), "Cannot set property while connected (win error code: 0)");
  }
}

TEST_F(PtyPort, AShortAnswerReturnsAfterTheTotalTimeout) {
  port.SetReadInterval(0);
  port.SetReadTotalM(50);
  port.SetReadTotalC(400);  // 400 + 50 x 8 = 800 ms
  port.Open();
  pty.Send("12345");
  char buffer[8];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(buffer, 8), 5);
  const double elapsed = ElapsedMs(start);
  EXPECT_GT(elapsed, 800 * 0.8);
  EXPECT_LT(elapsed, 800 * 1.2);
  EXPECT_EQ(std::string(buffer, 5), "12345");
}

TEST_F(PtyPort, AShortAnswerReturnsAfterTheIntervalWithoutTotals) {
  port.SetTimeouts({300, 0, 0, 0, 0});
  port.Open();
  pty.Send("12345");
  char buffer[8];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(buffer, 8), 5);
  const double elapsed = ElapsedMs(start);
  EXPECT_GT(elapsed, 300 * 0.8);
  EXPECT_LT(elapsed, 300 * 1.2);
}

TEST_F(PtyPort, CountsPurgesAndLinesOfADeviceWithoutModemLines) {
  port.Open();
  pty.Send("0123456789");
  ASSERT_TRUE(WaitForInput(port, 10));
  port.ClearBuffer(true, false);
  EXPECT_EQ(port.InputCount(), 0);
  // The transmit queue of a pseudo-terminal cannot be measured: bytes the far end has not
  // read yet count as gone, and a purge of the transmit side would drop them.
  EXPECT_FALSE(port.OutputCountKnown());
  EXPECT_EQ(port.WriteStr("out"), 3);
  EXPECT_EQ(port.OutputCount(), 0);
  port.ClearBuffer(true, false);
  EXPECT_EQ(pty.Receive(3), "out");
  // No modem lines: CTS and DSR read as on, DTR/RTS changes are ignored without an error.
  EXPECT_NO_THROW(port.SetDTR(false));
  EXPECT_NO_THROW(port.SetRTS(false));
  EXPECT_EQ(port.Signals() & (csCTS | csDSR), csCTS | csDSR);
}

// The status query purges after its ETX CR: on a pseudo-terminal that purge must leave what
// was written for the far end alone.
TEST_F(PtyPort, LinkPurgeAfterAWriteKeepsTheBytesForTheFarEnd) {
  test::FakeClock clock;
  test::ScriptedBoxes boxes;
  test::RecordingView view;
  test::FakeTimer prmgr, msg;
  TSRB4900 pm(PrintManagerServices{clock, boxes, view, prmgr, msg});
  pm.link().SetPortNames({pty.path()});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  // More than the far end's line buffer holds, so that the last bytes still wait in the kernel
  // when the purge comes.
  const std::string bytes = std::string(8192, 'f') + "\x03\r";
  ASSERT_EQ(pm.link().WriteBlock(bytes.data(), static_cast<int>(bytes.size())), 8194);
  pm.link().PurgeAfterWrite();
  EXPECT_EQ(pty.Receive(bytes.size()), bytes);
}

TEST_F(PtyPort, SettingsReachTheDevice) {
  // A descriptor opened before the port sees the device's settings (they belong to the device).
  const int probe = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(probe, 0);
  // (A pseudo-terminal always keeps 8 data bits and no parity, so those are not checked here.)
  port.SetBaudRate(br57600);
  port.Open();
  termios tio{};
  ASSERT_EQ(::tcgetattr(probe, &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), speed_t(B57600));
  EXPECT_TRUE(tio.c_cflag & CLOCAL);
  EXPECT_FALSE(tio.c_cflag & HUPCL);
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_FALSE(tio.c_lflag & ICANON);

  port.SetOutCTSFlow(true);  // applied to the open port at once
  port.SetBaudRate(br115200);
  ASSERT_EQ(::tcgetattr(probe, &tio), 0);
  EXPECT_TRUE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(::cfgetospeed(&tio), speed_t(B115200));

  // A speed outside the termios table goes through the custom-rate interface.
  port.SetBaudRate(br14400);
  ASSERT_EQ(::tcgetattr(probe, &tio), 0);
  EXPECT_EQ(tio.c_cflag & CBAUD, tcflag_t(0010000));  // BOTHER
  ::close(probe);
}

TEST_F(PtyPort, ADeviceThatGoesAwayRaisesWithItsError) {
  port.SetTimeouts({0, 0, 1000, 0, 0});
  port.Open();
  pty.CloseMaster();
  char buffer[4];
  try {
    port.Read(buffer, 4);
    FAIL() << "no error";
  } catch (const EComPort& error) {
    EXPECT_EQ(error.Code(), 3);
    EXPECT_EQ(error.WinCode(), EIO);
  }
}

TEST_F(PtyPort, ABlockedReadEndsSoonAfterTheAbortCheckHolds) {
  std::atomic<bool> ending{false};
  port.SetAbortCheck([&] { return ending.load(); });
  port.SetTimeouts({0, 0, 10000, 0, 0});
  port.Open();
  std::thread signal([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ending = true;
  });
  char buffer[4];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(buffer, 4), 0);
  signal.join();
  EXPECT_LT(ElapsedMs(start), 100 + AbortGrace::kGraceMs + 200);
}

// A spinning read would burn the whole two seconds; a read that polls in short slices wakes
// about forty times. Both limits stay far from a loaded machine's noise (sanitizers, parallel tests).
TEST_F(PtyPort, ABlockedReadCostsNoCpu) {
  port.SetTimeouts({0, 0, 2000, 0, 0});
  port.Open();
  rusage before{}, after{};
  ::getrusage(RUSAGE_THREAD, &before);
  char buffer[4];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(buffer, 4), 0);
  EXPECT_GT(ElapsedMs(start), 1900);
  ::getrusage(RUSAGE_THREAD, &after);
  auto us = [](const timeval& t) { return t.tv_sec * 1000000LL + t.tv_usec; };
  const long long cpu_us =
      us(after.ru_utime) - us(before.ru_utime) + us(after.ru_stime) - us(before.ru_stime);
  EXPECT_LT(cpu_us, 200000);
  EXPECT_LT(after.ru_nvcsw - before.ru_nvcsw, 200);
}

}  // namespace
}  // namespace kv
