#include "support/job_fixture.h"

// Jobs that reach the printer: what goes over the wire, the result files and the verdict.

namespace kv::test {
namespace {

TEST_F(JobTest, ReceiptSendsOnlyFromFirstEscapeAndWritesResultFiles) {
  dir.Write("info.txt", "OLD");
  WriteJob("text before the first command\r\n" + Receipt());
  Tick();

  // The document number is read first, then the job goes out from its first escape byte, then
  // the read-back starts with its own device record request.
  EXPECT_EQ(WireBetween(kDeviceRecordRequest, kDeviceRecordRequest), Receipt());
  EXPECT_EQ(Wire().find("text before"), std::string::npos);
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(dir.Read("info.txt"), "101\r\n");
  const std::string record = dir.Read("info.ful");
  EXPECT_EQ(ReadDeviceRecord(record).Number(1), 101);
  EXPECT_EQ(record.back(), '\x03');
  EXPECT_FALSE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_FALSE(pm.jobs().busy());
  EXPECT_TRUE(notified.empty());  // messaging off: the timer runs instead
}

TEST_F(JobTest, FileWithoutEscapeIsSetAsideAndNothingIsSentOrWritten) {
  dir.Write("info.txt", "OLD");
  WriteJob("no command in here\r\n");
  Tick();
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(SetAsideFile(), "no command in here\r\n");
  EXPECT_EQ(dir.Read("info.txt"), "OLD");
  EXPECT_EQ(Wire().find("no command"), std::string::npos);
  // After the bring-up (ending with the identification) nothing more went to the printer.
  const std::string& wire = Wire();
  ASSERT_GE(wire.size(), kIdentify.size());
  EXPECT_EQ(wire.substr(wire.size() - kIdentify.size()), kIdentify);
}

TEST_F(JobTest, DailyClosingDueDoesNotStopClosingAndItsNumberGoesToInfoTxt) {
  engine().state().condition1 = 0x40;  // a daily closing is due
  WriteJob(Esc('d') + "Yes");
  Tick();
  EXPECT_EQ(Closings(), 1);
  EXPECT_EQ(dir.Read("info.txt"), "101\r\n");
  EXPECT_FALSE(JobFileExists());
}

TEST_F(JobTest, ClosingIsStoppedByBitFiveAndReceiptByBitSix) {
  engine().state().condition1 = 0x20;
  WriteJob(Esc('d') + "Yes");
  boxes.Expect("[18]");
  Tick();
  EXPECT_EQ(Closings(), 0);
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n8193\r\n");
  EXPECT_FALSE(JobFileExists());  // del_file = 1: set aside
  EXPECT_EQ(SetAsideFile(), Esc('d') + "Yes");

  engine().state().condition1 = 0x40;
  WriteJob(Receipt());
  boxes.Expect("[16]");
  Tick();
  EXPECT_EQ(Receipts(), 0);
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n16385\r\n");
}

TEST_F(JobTest, ConditionStopKeepsFileWhenDelFileIsOff) {
  pm.config().del_file = 0;
  pm.config().spravy = true;
  engine().state().condition2 = 0x80;
  WriteJob(Receipt());
  boxes.Expect("[12]");
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_EQ(Receipts(), 0);
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

TEST_F(JobTest, JobWithoutStateCheckIsSentWhateverTheCondition) {
  engine().state().condition2 = 0x80;
  engine().state().condition1 = 0x70;  // bits 6, 5 and 4
  WriteJob(Esc('>') + "free text\r\n");
  Tick();
  EXPECT_NE(Wire().find(Esc('>') + "free text\r\n" + Esc('F') + "\x03"), std::string::npos);
  EXPECT_EQ(dir.Read("info.txt").substr(0, 6), "9999\r\n");  // no read-back: status written
  EXPECT_FALSE(JobFileExists());
}

TEST_F(JobTest, ReceiptLetterInsideTextBlockIsNotAReceipt) {
  // A receipt whose number does not advance would fail and ask to repeat; this job is not one.
  engine().faults().no_advance = sim::FaultMode::kAlways;
  pm.config().spravy = true;
  WriteJob(Esc('F') + "Text " + Esc('B') + " in a block\x03");
  Tick();
  EXPECT_EQ(dir.Read("info.txt").substr(0, 6), "9999\r\n");
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}}));
  // Not a receipt: the document number was not read before sending.
  EXPECT_EQ(Wire().find(kDeviceRecordRequest), std::string::npos);
}

TEST_F(JobTest, ReceiptInTestModeIsConfirmedWithoutNewNumber) {
  pm.readouts().SetTestMode(1);  // as the printer reported it before the job
  engine().faults().no_advance = sim::FaultMode::kAlways;
  pm.config().spravy = true;
  WriteJob(Receipt());
  Tick();
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}}));
  EXPECT_EQ(dir.Read("info.txt"), "100\r\n");
  EXPECT_FALSE(timer_prmgr.Enabled());  // messaging on: the client starts the next job
}

TEST_F(JobTest, CopyAnsweredWithNakTellsTheOperatorAndFails) {
  engine().faults().nak_copies = true;
  WriteJob(Esc('C') + "b1\r1\r");
  boxes.Expect("[99]").ExpectUnseen("[103]", BoxAnswer::No);
  Tick();
  EXPECT_FALSE(JobFileExists());
  EXPECT_NE(dir.Read("FM_err.txt").find("Neopakuj tlac"), std::string::npos);
}

TEST_F(JobTest, JournalCopyAppendedForReceipt) {
  pm.config().copy_bl = 1;
  WriteJob(Receipt());
  Tick();
  EXPECT_NE(dir.Read("zurnal.txt").find("ROZKY"), std::string::npos);
  EXPECT_EQ(dir.Read("zurnal.txt"), engine().state().last_text);
}

TEST_F(JobTest, DebugCopyHoldsHeaderAndBytes) {
  pm.config().ladenie = 1;
  WriteJob("x" + Esc('>'));
  Tick();
  EXPECT_EQ(dir.Read("debug.txt"),
            "\r\n06.12.2026 14:30:00 Ver:1.1.0.4 RB4900 1.2\r\nx" + Esc('>'));
}

}  // namespace
}  // namespace kv::test
