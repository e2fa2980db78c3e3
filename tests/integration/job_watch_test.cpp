#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "support/job_fixture.h"

// The watch on the input file's directory: which arrivals bring the print-job tick forward,
// when, and which files it leaves to their writers.

namespace kv::test {
namespace {

class JobWatchTest : public JobTest {
 protected:
  JobWatchTest() {
    timer_prmgr.SetEnabled(true);
    EXPECT_GE(pm.jobs().WatchInput(), 0);
  }

  // As a careful point-of-sale program writes: under another name, then renamed into place.
  void DropJob(const std::string& bytes) {
    dir.Write("blocek.part", bytes);
    ASSERT_EQ(std::rename((dir / "blocek.part").c_str(), pm.config().path_in.c_str()), 0);
  }
  void Watch() { pm.jobs().InputMayHaveChanged(); }
  int Brought() const { return timer_prmgr.ticks_soon; }
  // The tick at which the printer took its first byte since `received()` was cleared.
  uint32_t FirstByteTick() {
    const auto& received = engine().received();
    return received.empty() ? UINT32_MAX : received.front().tick;
  }
};

TEST_F(JobWatchTest, AnArrivalBringsTheTickForwardOnlyWhereATickCouldRun) {
  Watch();
  EXPECT_EQ(Brought(), 0);  // nothing has arrived
  DropJob(Receipt());
  Watch();
  EXPECT_EQ(Brought(), 1);
  Tick();
  EXPECT_EQ(Receipts(), 1);

  // Where a tick could not run, the arrival waits for the moment one can.
  std::optional<PrinterLease> lease;
  const std::vector<std::tuple<const char*, std::function<void()>, std::function<void()>>> cases = {
      {"messaging on", [&] { pm.config().spravy = true; },
       [&] {
         pm.config().spravy = false;
         Watch();
       }},
      {"timer off", [&] { timer_prmgr.SetEnabled(false); },
       [&] {
         timer_prmgr.SetEnabled(true);
         Watch();
       }},
      {"lease held", [&] { lease = pm.link().TryLease("till receipt"); }, [&] { lease.reset(); }}};
  for (const auto& [name, stop, resume] : cases) {
    SCOPED_TRACE(name);
    const int before = Brought();
    stop();
    DropJob(Receipt());
    Watch();
    EXPECT_EQ(Brought(), before);
    resume();
    EXPECT_EQ(Brought(), before + 1);
    Tick();
    EXPECT_FALSE(JobFileExists());
  }
  EXPECT_EQ(Receipts(), 4);
}

TEST_F(JobWatchTest, AFileRenamedIntoPlaceGoesToThePrinterAtOnceAndTheNextRightAfter) {
  DropJob(Receipt());
  Watch();
  // The next receipt arrives while the first is printing.
  clock.After(10, [&] { DropJob(Receipt()); });
  engine().ClearReceived();
  const uint32_t start = clock.TickCount();
  Tick();
  EXPECT_LT(FirstByteTick() - start, 5u);  // no settle wait for a file written elsewhere
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(Brought(), 2);  // the second tick comes as the first ends, not a period later
  Tick();
  EXPECT_EQ(Receipts(), 2);
  EXPECT_FALSE(JobFileExists());
}

TEST_F(JobWatchTest, AFileItsWriterHoldsOpenIsNeitherBroughtForwardNorTakenWhileItChanges) {
  const std::string receipt = Receipt();
  const int fd = ::open(pm.config().path_in.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, receipt.data(), 20), 20);
  Watch();
  EXPECT_EQ(Brought(), 0);
  // The timer's own tick finds the writer at work between its two looks.
  clock.After(PrintJobLoop::kSettleMs / 2,
              [&] { ASSERT_GT(::write(fd, receipt.data() + 20, receipt.size() - 20), 0); });
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_EQ(Wire().find(Esc('b')), std::string::npos);

  ::close(fd);
  Watch();
  EXPECT_EQ(Brought(), 1);
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_NE(Wire().find(receipt), std::string::npos);
}

TEST_F(JobWatchTest, AWriterThatOpensItsClosedFileAgainAtOnceIsNotCut) {
  const std::string receipt = Receipt();
  WriteJob(receipt.substr(0, 20));  // written in place and closed
  Watch();
  EXPECT_EQ(Brought(), 1);
  // Inside the shorter wait for a closed file, the writer appends the rest.
  clock.After(PrintJobLoop::kClosedSettleMs / 2, [&] { WriteJob(receipt); });
  Tick();
  EXPECT_EQ(Wire().find(Esc('b')), std::string::npos);
  EXPECT_EQ(Brought(), 2);  // its second close is an arrival of its own
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_NE(Wire().find(receipt), std::string::npos);
}

}  // namespace
}  // namespace kv::test
