#include <stdexcept>

#include "support/job_fixture.h"
#include "support/text_count.h"

// Failed jobs: the repeat question, the operator's refusal and the jobs that are never
// repeated.

namespace kv::test {
namespace {

TEST_F(JobTest, NumberNotAdvancingAsksAndRefusalIsLogged) {
  pm.config().spravy = true;
  pm.config().copy_bl = 1;
  engine().faults().no_advance = sim::FaultMode::kAlways;
  WriteJob("header\r\n" + Receipt());
  boxes.Expect("[103]", BoxAnswer::Yes, BoxAnswer::No).ExpectUnseen("[103]", BoxAnswer::No);
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
  pm.config().MSG = 0;
  pm.config().spravy = true;
  pm.config().rts_cts = true;
  pm.config().handshake_wait = 20;
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
  EXPECT_EQ(SetAsideFile(), Receipt());  // its bytes are nowhere else
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

TEST_F(JobTest, DocumentOpenOnThePrinterStopsTheReceiptFirstTimeAndOnRepeat) {
  // First time: the printer already holds an open document (the number then does not advance).
  engine().state().condition1 = 0x80;
  WriteJob(Receipt());
  boxes.Expect("[151]");
  Tick();
  EXPECT_EQ(Wire().find(Esc('b')), std::string::npos);
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n32769\r\n");
  EXPECT_NE(dir.Read("FM_err.txt").find(") Otvoreny doklad v tlaciarni \r\n"), std::string::npos);
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(SetAsideFile(), Receipt());

  // On repeat: a receipt cut off before its end leaves its document open; the repeat must not
  // send the header into it a second time.
  engine().state().condition1 = 0;
  pm.config().del_file = 0;
  const std::string cut = Receipt().substr(0, Receipt().rfind(Esc('e')));
  WriteJob(cut);
  boxes.Expect("[103]", BoxAnswer::Yes, BoxAnswer::No).Expect("[151]");
  Tick();
  EXPECT_EQ(Count(Wire(), Esc('b')), 1);
  EXPECT_TRUE(JobFileExists());  // del_file = 0 keeps it
}

// The retry loops of a job: each pass waits before the next, and a termination request ends
// the loop with the job failed and its file where it was.
enum class Loop { NotReady, DocumentNumber, ReadBack, PaperLow, Repeat };

class JobRetryTest : public JobTest, public ::testing::WithParamInterface<Loop> {};

TEST_P(JobRetryTest, PausesBetweenPassesAndTerminationEndsItKeepingTheFile) {
  pm.config().spravy = true;
  struct {
    std::string box;
    BoxAnswer given = BoxAnswer::Ok;
    std::optional<BoxAnswer> default_answer;  // none: an OK-only box
    int printed = 0;
  } loop;
  switch (GetParam()) {
    case Loop::NotReady:
      pm.config().port = -1;  // the bring-up fails at once
      loop = {"[9]", BoxAnswer::Yes, BoxAnswer::Yes, 0};
      break;
    case Loop::DocumentNumber:
      engine().faults().device_records_left = 0;
      loop = {"[96]", BoxAnswer::Ok, std::nullopt, 0};
      break;
    case Loop::ReadBack:
      engine().faults().device_records_left = 1;  // the number before the receipt
      loop = {"[101]", BoxAnswer::Ok, std::nullopt, 1};
      break;
    case Loop::PaperLow:
      engine().state().condition1 = 0x10;
      loop = {"[19]", BoxAnswer::Yes, BoxAnswer::Yes, 0};
      break;
    case Loop::Repeat:
      engine().faults().no_advance = sim::FaultMode::kAlways;
      loop = {"[103]", BoxAnswer::Yes, BoxAnswer::No, 2};
      break;
  }
  boxes.Expect(loop.box, loop.given, loop.default_answer)
      .Expect(loop.box, loop.given, loop.default_answer);
  std::vector<uint32_t> asked_at;
  boxes.on_show = [&](const Box&) {
    asked_at.push_back(clock.TickCount());
    if (asked_at.size() == 2) shell.terminating = true;
    if (asked_at.size() > 5) throw std::runtime_error("the loop does not end");
  };
  WriteJob(Receipt());
  Tick();
  ASSERT_EQ(asked_at.size(), 2u);
  EXPECT_GE(asked_at[1] - asked_at[0], PrinterLink::kRetryPauseMs);
  EXPECT_EQ(Receipts(), loop.printed);
  EXPECT_EQ(dir.Read("blocek.txt"), Receipt());
  EXPECT_FALSE(dir.Exists("blocek_261206_143000.txt"));
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

std::string LoopName(const ::testing::TestParamInfo<Loop>& info) {
  static constexpr const char* kNames[] = {"NotReady", "DocumentNumber", "ReadBack", "PaperLow",
                                           "Repeat"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Loops, JobRetryTest,
                         ::testing::Values(Loop::NotReady, Loop::DocumentNumber, Loop::ReadBack,
                                           Loop::PaperLow, Loop::Repeat),
                         LoopName);

}  // namespace
}  // namespace kv::test
