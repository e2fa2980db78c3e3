#include "platform/memory_line.h"

#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace kv {
namespace {

TEST(MemoryLine, BytesArriveAfterTheirDelayInOrder) {
  test::FakeClock clock;
  MemoryLine line(clock);
  line.a().Write("AB", 10);
  line.a().Write("C");  // sent later with no delay: still behind AB on the wire
  EXPECT_EQ(line.b().Available(), 0u);
  EXPECT_EQ(line.b().InFlight(), 3u);
  clock.Advance(9);
  EXPECT_EQ(line.b().Read(10), "");
  clock.Advance(1);
  EXPECT_EQ(line.b().Available(), 3u);
  EXPECT_EQ(line.b().Read(2), "AB");
  EXPECT_EQ(line.b().Read(2), "C");
}

TEST(MemoryLine, ReceiveHookLetsTheFarEndAnswer) {
  test::FakeClock clock;
  MemoryLine line(clock);
  line.b().OnReceive([&] {
    const std::string got = line.b().Read(100);
    if (got == "?") line.b().Write("!", 5);
  });
  line.a().Write("?");
  clock.Advance(5);
  EXPECT_EQ(line.a().Read(10), "!");
}

TEST(MemoryLine, HandshakeLinesFollowThePeerUnlessForced) {
  test::FakeClock clock;
  MemoryLine line(clock);
  int changes = 0;
  line.a().OnLinesChanged([&] { ++changes; });
  EXPECT_FALSE(line.a().Cts());
  line.b().SetRts(true);
  line.b().SetDtr(true);
  EXPECT_TRUE(line.a().Cts());
  EXPECT_TRUE(line.a().Dsr());
  EXPECT_EQ(changes, 2);
  line.a().ForceCts(false);
  EXPECT_FALSE(line.a().Cts());
  line.a().ForceCts(std::nullopt);
  EXPECT_TRUE(line.a().Cts());
  line.b().SetRts(true);  // no change, no event
  EXPECT_EQ(changes, 4);
}

TEST(MemoryLine, PurgeDropsArrivedAndTravellingBytes) {
  test::FakeClock clock;
  MemoryLine line(clock);
  line.a().Write("now");
  line.a().Write("later", 50);
  line.b().Purge();
  clock.Advance(100);
  EXPECT_EQ(line.b().Available(), 0u);
}

TEST(FakeClock, ScheduledActionsRunAtTheirTick) {
  test::FakeClock clock(0);
  std::vector<uint32_t> seen;
  clock.At(30, [&] { seen.push_back(clock.TickCount()); });
  clock.At(10, [&] { seen.push_back(clock.TickCount()); });
  clock.Advance(25);
  EXPECT_EQ(seen, (std::vector<uint32_t>{10}));
  EXPECT_EQ(clock.TickCount(), 25u);
  clock.Sleep(5);
  EXPECT_EQ(seen, (std::vector<uint32_t>{10, 30}));
  EXPECT_EQ(clock.slept(), 30u);
}

}  // namespace
}  // namespace kv
