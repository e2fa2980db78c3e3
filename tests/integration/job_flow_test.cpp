#include <chrono>
#include <filesystem>
#include <future>

#include "support/job_fixture.h"
#include "support/test_os.h"

// Jobs that send nothing of their file, the printer that is not ready, and the tick's own
// bookkeeping: first tick, terminate marker, timer and client.

namespace kv::test {
namespace {

using Notes = std::vector<std::pair<int32_t, int32_t>>;

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(JobTest, StatusQueryOnlyWritesStatusToInfoTxt) {
  engine().state().condition2 = 0x02;
  WriteJob(Esc('\x11'));
  Tick();
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n3\r\n");
  EXPECT_FALSE(JobFileExists());
  EXPECT_TRUE(EndsWith(Wire(), kIdentify));  // nothing after the bring-up
}

TEST_F(JobTest, InformationQueryReadsDeviceInfoAndSendsNothing) {
  pm.config().spravy = true;
  WriteJob(Esc('I') + "\r\n" + Receipt());
  Tick();
  EXPECT_EQ(Receipts(), 0);
  EXPECT_EQ(Wire().find(Esc('b')), std::string::npos);
  EXPECT_EQ(dir.Read("info.txt"), "100\r\n");
  EXPECT_TRUE(dir.Exists("esci.txt"));
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(notified, (Notes{{1, 1}}));
}

TEST_F(JobTest, StatusRecordGoesToFileAndNothingAfterItIsLookedAt) {
  pm.config().spravy = true;
  // The ESC DC1 after the record request would rewrite info.txt if the scan went on.
  WriteJob(Esc('!') + "I" + Receipt() + Esc('\x11'));
  Tick();
  const std::string record = dir.Read("fm_sts.bin");
  ASSERT_GE(record.size(), 18u);
  EXPECT_EQ(record.substr(4, 2), "PB");  // printer kind and line mode of the "I" record
  EXPECT_FALSE(dir.Exists("info.txt"));
  EXPECT_EQ(Receipts(), 0);
  EXPECT_TRUE(EndsWith(Wire(), Esc('!') + "I"));
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(notified, (Notes{{1, 1}}));
  EXPECT_EQ(record, pm.readouts().ReadStatusRecord('I'));  // the record as the printer gives it
}

TEST_F(JobTest, ATickThatFindsThePrinterLeasedLeavesTheInputFileForTheNextTick) {
  WriteJob(Receipt());
  std::optional<PrinterLease> window = pm.link().TryLease("settings window");
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_EQ(Wire(), "");
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(pm.link().Holder(), "settings window");

  window.reset();
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_FALSE(JobFileExists());
  EXPECT_FALSE(pm.link().Leased());
}

TEST_F(JobTest, AClientsStatusRequestWaitsForTheLeasedPrinterAndIsAnsweredOnRelease) {
  pm.config().spravy = true;
  FakeEndpoint* endpoint = &StartFakeMessaging();
  const uint32_t number = MessageNumberForName(pm.config().id_manager);
  endpoint->queue = {{number, 0, 77, "/run/pos.sock"}, {number, 3, 0, "/run/pos.sock"}};

  std::optional<PrinterLease> window = pm.link().TryLease("settings window");
  pm.Timer_msgTimer();
  ASSERT_EQ(endpoint->posted.size(), 1u);  // the registration's acknowledgement only
  EXPECT_EQ(Wire(), "");

  window.reset();
  ASSERT_EQ(endpoint->posted.size(), 2u);
  EXPECT_EQ(endpoint->posted[1].code, 3u);
  EXPECT_EQ(endpoint->posted[1].value, 1);  // status bytes 0 0: 0 * 256 + 0 + 1
  EXPECT_FALSE(pm.link().Leased());
}

TEST_F(JobTest, PrinterNotReadyCopiesFileOnceAndAbandonsOnNo) {
  pm.config().spravy = true;
  engine().faults().silent = true;
  WriteJob(Receipt());
  boxes.Expect("[111]").Expect("[9]", BoxAnswer::Yes, BoxAnswer::Yes);
  boxes.Expect("[111]").Expect("[9]", BoxAnswer::No, BoxAnswer::Yes);
  Tick();
  const std::string errors = dir.Read("FM_err.txt");
  EXPECT_NE(errors.find(Receipt()), std::string::npos);
  EXPECT_EQ(errors.find(Receipt()), errors.rfind(Receipt()));  // once, not per question
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n0\r\n");
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(SetAsideFile(), Receipt());
  EXPECT_EQ(notified, (Notes{{1, 0}}));  // one answer to one request
  EXPECT_FALSE(pm.jobs().busy());
  EXPECT_FALSE(timer_prmgr.Enabled());
}

TEST_F(JobTest, PrinterNotReadyKeepsFileWhenDelFileIsOff) {
  pm.config().del_file = 0;
  engine().faults().silent = true;
  WriteJob(Receipt());
  boxes.Expect("[111]").Expect("[9]", BoxAnswer::No, BoxAnswer::Yes);
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
}

TEST_F(JobTest, TimerWithoutMessagingKeepsTicking) {
  pm.startup().first_tick = true;
  pm.config().delay_file = 300;
  pm.config().pokl_run = true;
  int sale_shown = 0;
  pm.jobs().OnShowSaleWindow([&] { ++sale_shown; });
  Tick();  // no file
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(timer_prmgr.Interval(), 300u);
  EXPECT_EQ(view.Get("SRB4900.window"), "hidden");
  EXPECT_EQ(sale_shown, 1);
  EXPECT_FALSE(pm.startup().first_tick);
  EXPECT_TRUE(notified.empty());

  WriteJob(Receipt());
  Tick();
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_TRUE(notified.empty());
  EXPECT_EQ(sale_shown, 1);  // only the first tick finishes start-up
}

TEST_F(JobTest, TimerWithMessagingWaitsForTheClient) {
  pm.config().spravy = true;
  pm.startup().no_hide = true;
  pm.startup().first_tick = true;
  timer_prmgr.SetEnabled(true);
  Tick();  // no file
  EXPECT_FALSE(timer_prmgr.Enabled());
  EXPECT_FALSE(view.Has("SRB4900.window"));
  EXPECT_EQ(notified, (Notes{{1, 0}}));

  WriteJob(Receipt());
  Tick();
  EXPECT_FALSE(timer_prmgr.Enabled());
  EXPECT_EQ(notified, (Notes{{1, 0}, {1, 1}}));
}

TEST_F(JobTest, LockedInputFileWaitsForItsWriter) {
  WriteJob(Receipt());
  JobInputFile writer;
  ASSERT_EQ(writer.Open(dir / "blocek.txt"), InputOpen::Opened);
  Tick();
  EXPECT_EQ(Receipts(), 0);
  EXPECT_TRUE(JobFileExists());
  writer.Close();
  Tick();
  EXPECT_EQ(Receipts(), 1);
}

TEST_F(JobTest, FileWrittenInPlaceIsTakenOnlyOnceItStopsChanging) {
  const std::string receipt = Receipt();
  WriteJob(receipt.substr(0, 20));
  // The writer, which takes no lock, adds the rest a moment later.
  clock.After(PrintJobLoop::kSettleMs / 2, [&] { WriteJob(receipt); });
  Tick();
  EXPECT_EQ(Wire().find(Esc('b')), std::string::npos);
  EXPECT_TRUE(JobFileExists());
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_NE(Wire().find(receipt), std::string::npos);
  EXPECT_FALSE(JobFileExists());
}

TEST_F(JobTest, InputThatCannotBeReadIsReportedOnceAndNeverBlocks) {
  const std::function<void()> makers[] = {
      [&] { ASSERT_TRUE(test::MakeFifo(pm.config().path_in)); },
      [&] { ASSERT_TRUE(std::filesystem::create_directory(pm.config().path_in)); },
      [&] {
        WriteJob("");
        std::filesystem::resize_file(pm.config().path_in, JobInputFile::kMaxBytes + 1);
      }};
  for (const auto& make : makers) {
    std::filesystem::remove_all(pm.config().path_in);
    make();
    boxes.Expect("[152]");
    for (int tick = 0; tick < 2; ++tick) {
      auto job = std::async(std::launch::async, [&] { Tick(); });
      if (job.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the tick blocked on " << pm.config().path_in;
        test::ReleaseFifoReader(pm.config().path_in);
      }
      job.get();
    }
    EXPECT_EQ(boxes.pending(), 0u);
  }
  // The operator saw each file once (the script above); the error file holds the line, its
  // repeats for the same path collapsed into a count.
  EXPECT_NE(dir.Read("FM_err.txt").find("Chyba citania suboru"), std::string::npos);
  EXPECT_EQ(Receipts(), 0);
}

TEST_F(JobTest, TerminateMarkerQuitsAfterTheTick) {
  dir.Write("terminate", "");
  WriteJob(Receipt());
  Tick();
  EXPECT_EQ(shell.quit_requests, 1);
  EXPECT_FALSE(dir.Exists("terminate"));
  EXPECT_NE(dir.Read("FM_err.txt").find(") Terminate \r\n"), std::string::npos);
  EXPECT_EQ(Receipts(), 1);  // the rest of the tick still runs
}

}  // namespace
}  // namespace kv::test
