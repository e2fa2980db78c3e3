// The service's event loop and its boxes nobody sees.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "headless/event_loop.h"
#include "headless/logged_boxes.h"
#include "support/fake_clock.h"

namespace kv {
namespace {

TEST(HeadlessLoop, TimersTickAtTheirIntervalsWaitsStayBoundedAndAStopIsSeenWithin250Ms) {
  test::FakeClock clock(0);
  LoopTimer fast(clock, 100), slow(clock, 600), off(clock, 50);
  std::vector<std::string> ticks;
  fast.on_tick = [&] { ticks.push_back("fast@" + std::to_string(clock.TickCount())); };
  slow.on_tick = [&] { ticks.push_back("slow@" + std::to_string(clock.TickCount())); };
  off.on_tick = [&] { ticks.push_back("off"); };
  fast.SetEnabled(true);
  slow.SetEnabled(true);
  EventLoop loop(clock, {&fast, &slow, &off});
  std::vector<uint32_t> waits;
  loop.wait = [&](uint32_t ms) { waits.push_back(ms); clock.Sleep(ms); };
  // The fast timer goes off after its third tick; then only the slow one is left.
  bool stop = false;
  clock.At(250, [&] { fast.SetEnabled(false); });
  clock.At(1250, [&] { stop = true; });
  loop.Run([&] { return stop; });

  EXPECT_EQ(ticks, (std::vector<std::string>{"fast@100", "fast@200", "slow@600", "slow@1200"}));
  for (uint32_t ms : waits) EXPECT_LE(ms, 250u);
  EXPECT_LE(clock.TickCount(), 1250u + 250u);
}

TEST(HeadlessLoop, TickSoonRunsATimerThatIsOnAtOnceAndLeavesAnIdleOneAlone) {
  test::FakeClock clock(0);
  LoopTimer on(clock, 1000), idle(clock, 1000);
  int on_ticks = 0, idle_ticks = 0;
  on.on_tick = [&] { ++on_ticks; };
  idle.on_tick = [&] { ++idle_ticks; };
  on.SetEnabled(true);
  on.TickSoon();
  idle.TickSoon();
  EventLoop loop(clock, {&on, &idle});
  EXPECT_EQ(loop.NextWaitMs(), 0u);
  loop.Run([&] { return clock.TickCount() >= 500; });
  EXPECT_EQ(on_ticks, 1);
  EXPECT_EQ(idle_ticks, 0);
}

TEST(LoggedBoxes, EachBoxTakesItsDefaultOrNoOnceEndingAndALoopIsLoggedOnceThenCounted) {
  struct Case {
    Box box;
    bool ending;
    BoxAnswer expected;
  };
  const Case cases[] = {
      {{BoxKind::App, {}, "retry?", BoxButtons::RetryCancel, BoxIcon::Error, 0}, false,
       BoxAnswer::Retry},
      {{BoxKind::App, {}, "clear the memory?", BoxButtons::YesNo, BoxIcon::Question, 1}, false,
       BoxAnswer::No},
      {{BoxKind::Plain, {}, "note", BoxButtons::Ok, BoxIcon::None, 5}, false, BoxAnswer::Ok},
      {{BoxKind::App, {}, "print again?", BoxButtons::YesNo, BoxIcon::Question, 0}, true,
       BoxAnswer::No},
      {{BoxKind::App, {}, "retry?", BoxButtons::RetryCancel, BoxIcon::Error, 0}, true,
       BoxAnswer::Cancel},
  };
  test::FakeClock clock;
  for (const Case& c : cases) {
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    {
      LoggedBoxes boxes(clock, [&] { return c.ending; }, log);
      EXPECT_EQ(boxes.Show(c.box), c.expected) << c.box.text;
      boxes.Show(c.box);  // the same box again is only counted
    }
    std::rewind(log);
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, log);
    std::fclose(log);
    const std::string written(text, n);
    EXPECT_NE(written.find("] " + c.box.text + " -> "), std::string::npos) << written;
    EXPECT_NE(written.find("(1 more times)"), std::string::npos) << written;
  }
}

}  // namespace
}  // namespace kv
