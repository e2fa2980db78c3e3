#include <filesystem>

#include "support/job_fixture.h"
#include "support/test_os.h"

// Removing the input file after a job, and the input file left over at start-up.

namespace kv::test {
namespace {

// Makes the file's modification time differ from any it had before.
void Touch(const std::string& path, long seconds) {
  test::SetModifiedTime(path, seconds);
}

TEST_F(JobTest, ReceiptRenamedIntoPlaceDuringAJobIsPrintedAfterIt) {
  WriteJob(Receipt());
  // While the job reads the printer's record back, the point-of-sale program renames its next
  // receipt into place.
  When([&] { return Receipts() == 1; },
       [&] {
         dir.Write("blocek.part", "second " + Receipt());
         std::filesystem::rename(dir / "blocek.part", dir / "blocek.txt");
       });
  Tick();
  EXPECT_EQ(Receipts(), 1);
  ASSERT_TRUE(JobFileExists());
  EXPECT_EQ(dir.Read("blocek.txt"), "second " + Receipt());

  Tick();
  EXPECT_EQ(Receipts(), 2);
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(dir.Read("info.txt"), "102\r\n");
}

TEST_F(JobTest, ReceiptRenamedIntoPlaceAsTheInputIsRemovedIsKept) {
  // The point-of-sale program's next receipt lands between the look at the path and the
  // removal (a window of microseconds, opened wide here).
  auto next_lands = [&] {
    dir.Write("blocek.part", "second " + Receipt());
    std::filesystem::rename(dir / "blocek.part", dir / "blocek.txt");
  };
  pm.jobs().SetInputRemoverHook([&](const std::string& path, const FileIdentity& identity) {
    next_lands();
    return RemoveIfSame(path, identity);
  });
  WriteJob(Receipt());
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(dir.Read("blocek.txt"), "second " + Receipt());

  // The same when a file that was never printed is set aside.
  pm.jobs().SetFileAsideHook([&](const std::string& path, const std::tm& now) {
    next_lands();
    return SetFileAside(path, now);
  });
  pm.config().delete_leftover = true;
  pm.HandleLeftoverInput();
  EXPECT_EQ(dir.Read("blocek.txt"), "second " + Receipt());
  EXPECT_FALSE(dir.Exists("blocek_261206_143000.txt"));
}

TEST_F(JobTest, ReceiptThatCannotBeDeletedIsNotPrintedTwice) {
  pm.config().spravy = true;
  WriteJob(Receipt());
  int attempts = 0;
  pm.jobs().SetInputRemoverHook([&](const std::string&, const FileIdentity&) {
    ++attempts;
    return RemovalResult{Removal::Failed, {}};
  });
  boxes.Expect("Nepodarilo sa zmazat");
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(attempts, PrintJobLoop::kDeleteAttempts);
  EXPECT_NE(dir.Read("FM_err.txt").find("Nepodarilo sa zmazat subor"), std::string::npos);

  Tick();  // the same file again: skipped without a word
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {1, 0}}));

  // Another receipt in its place is printed.
  WriteJob("next " + Receipt());
  Touch(pm.config().path_in, 2000);
  boxes.Expect("Nepodarilo sa zmazat");
  Tick();
  EXPECT_EQ(Receipts(), 2);
}

TEST_F(JobTest, LeftoverFileIsSetAsideQuietlyWhenConfigured) {
  for (const bool messaging : {false, true}) {
    TempDir home;
    pm.config().path_in = home / "blocek.txt";
    pm.config().delete_leftover = !messaging;
    pm.config().spravy = messaging;
    home.Write("blocek.txt", Receipt());
    pm.HandleLeftoverInput();
    EXPECT_FALSE(home.Exists("blocek.txt"));
    EXPECT_EQ(home.Read("blocek_261206_143000.txt"), Receipt());
  }
  EXPECT_EQ(dir.Read("FM_err.txt").find("Najdeny"), std::string::npos);
}

TEST_F(JobTest, LeftoverFileIsKeptOrSetAsideAsTheOperatorSays) {
  WriteJob(Receipt());
  boxes.Expect("[121]", BoxAnswer::Yes, BoxAnswer::No);
  pm.HandleLeftoverInput();
  EXPECT_TRUE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_NE(dir.Read("FM_err.txt").find(") Najdeny subor pri nabehu \r\n"), std::string::npos);

  // Nobody there to answer: the file is set aside, not printed and not lost.
  boxes.ExpectUnseen("[121]", BoxAnswer::No);
  pm.HandleLeftoverInput();
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(SetAsideFile(), Receipt());
  EXPECT_NE(dir.Read("FM_err.txt")
                .find("Odlozeny subor " + (dir / "blocek.txt") + " ako " +
                      (dir / "blocek_261206_143000.txt")),
            std::string::npos);
}

TEST_F(JobTest, LeftoverFileThatCannotBeSetAsideIsNeverPrinted) {
  pm.config().delete_leftover = true;
  pm.jobs().SetFileAsideHook([](const std::string&, const std::tm&) { return std::nullopt; });
  WriteJob(Receipt());
  boxes.ExpectUnseen("[121]", BoxAnswer::No).Expect("Nepodarilo sa odlozit");
  pm.HandleLeftoverInput();
  EXPECT_TRUE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
  Tick();
  EXPECT_EQ(Receipts(), 0);
  EXPECT_TRUE(JobFileExists());
}

}  // namespace
}  // namespace kv::test
