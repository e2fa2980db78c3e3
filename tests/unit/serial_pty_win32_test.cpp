#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/com_port.h"

namespace kv {
namespace {

// These run only under Wine with a pseudo-terminal made the port named in KV4910_WINE_COM
// (scripts/test-windows does it, and echoes back on the Linux side whatever the port sends).
class Win32ComPty : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("KV4910_WINE_COM");
    if (name == nullptr || *name == '\0')
      GTEST_SKIP() << "KV4910_WINE_COM is not set: no pseudo-terminal behind a port";
    port_.SetPort(name);
    ConfigureAsComPort1(port_);
  }

  // Waits (bounded) until `count` bytes are queued: the echo takes a moment.
  bool WaitForInput(int count) {
    for (int i = 0; i < 200 && port_.InputCount() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return port_.InputCount() == count;
  }

  static int MsSince(std::chrono::steady_clock::time_point start) {
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now() - start).count());
  }

  TComPort port_;
};

TEST_F(Win32ComPty, BytesGoOutAndComeBackAndTheLinesCountAsOn) {
  port_.SetEvents(ComEventBit(evCTS) | ComEventBit(evDSR));
  port_.Open();
  EXPECT_EQ(port_.Signals(), csCTS | csDSR);
  EXPECT_FALSE(port_.OutputCountKnown());
  port_.SetDTR(true);  // no modem lines: ignored, as on a pseudo-terminal on Linux

  ASSERT_EQ(port_.WriteStr("hello"), 5);
  ASSERT_TRUE(WaitForInput(5));
  char in[16] = {};
  ASSERT_EQ(port_.Read(in, 5), 5);
  EXPECT_EQ(std::string(in, 5), "hello");

  ASSERT_EQ(port_.WriteStr("abc"), 3);
  ASSERT_TRUE(WaitForInput(3));
  port_.ClearBuffer(true, false);
  EXPECT_EQ(port_.InputCount(), 0);

  // The line event thread ended at once (no modem lines): closing does not wait for it.
  const auto start = std::chrono::steady_clock::now();
  port_.Close();
  EXPECT_LT(MsSince(start), 1000);
}

TEST_F(Win32ComPty, EveryReadEndsByItsTimeOutsOrTheAbort) {
  port_.Open();
  char in[16];
  TComTimeouts timeouts;  // interval all bits, totals 0: what is queued, at once
  port_.SetTimeouts(timeouts);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_.Read(in, 10), 0);
  EXPECT_LT(MsSince(start), 200);

  timeouts.ReadInterval = 0;
  timeouts.ReadTotalConstant = 300;
  port_.SetTimeouts(timeouts);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_.Read(in, 10), 0);
  EXPECT_GE(MsSince(start), 250);
  EXPECT_LT(MsSince(start), 3000);

  // No time-out at all: only the end of the program ends the wait, after the grace.
  timeouts.ReadTotalConstant = 0;
  port_.SetTimeouts(timeouts);
  port_.SetAbortCheck([] { return true; });
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_.Read(in, 10), 0);
  EXPECT_LT(MsSince(start), 3000);
}

}  // namespace
}  // namespace kv
