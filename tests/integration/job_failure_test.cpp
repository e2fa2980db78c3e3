#include "support/job_fixture.h"

// Failed jobs: the repeat question, the operator's refusal and the jobs that are never
// repeated.

namespace kv::test {
namespace {

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(JobTest, NumberNotAdvancingAsksAndRefusalIsLogged) {
  pm.cfg.spravy = true;
  pm.cfg.copy_bl = 1;
  engine().faults().no_advance = sim::FaultMode::kAlways;
  WriteJob("header\r\n" + Receipt());
  boxes.Expect("[103]", BoxAnswer::Yes).Expect("[103]", BoxAnswer::No);
  Tick();
  // Repeated once in full: the number is read again before each sending.
  EXPECT_EQ(Receipts(), 2);
  EXPECT_EQ(Count(Wire(), kDeviceRecordRequest), 4);
  EXPECT_EQ(dir.Read("FM_err.txt"),
            "> (06.12.2026 14:30:00 RB4900 1.2) Neopakuj tlac \r\nheader\r\n" + Receipt());
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n1\r\n");
  EXPECT_FALSE(dir.Exists("zurnal.txt"));  // the journal request was dropped
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

TEST_F(JobTest, WithoutQuestionsFailedJobIsNeverRepeated) {
  pm.cfg.MSG = 0;
  pm.cfg.spravy = true;
  pm.cfg.rts_cts = true;
  pm.cfg.handshake_wait = 20;
  dir.Write("info.txt", "OLD");
  // The printer stops taking bytes in the middle of the receipt (the bring-up, the status
  // query and the document number take about twenty): the rest stays queued.
  engine().DropLines(true, false, 40);
  WriteJob(Receipt());
  Tick();
  EXPECT_EQ(Receipts(), 0);
  EXPECT_EQ(Count(Wire(), Esc('b')), 1);
  EXPECT_GE(clock.slept(), 30000u);  // the drain waited its full limit
  EXPECT_EQ(dir.Read("info.txt"), "OLD");
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

}  // namespace
}  // namespace kv::test
