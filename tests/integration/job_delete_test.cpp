#include <fcntl.h>
#include <sys/stat.h>

#include "support/job_fixture.h"

// Deleting the input file after a job, and the input file left over at start-up.

namespace kv::test {
namespace {

// Makes the file's modification time differ from any it had before.
void Touch(const std::string& path, long seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST_F(JobTest, NewFileWrittenBetweenDeleteAttemptsStaysForTheNextJob) {
  WriteJob(Receipt());
  int attempts = 0;
  pm.remove_file = [&](const std::string& path) {
    if (path != pm.cfg.path_in) return RemoveFile(path);
    if (++attempts == 1) {
      // The first attempt fails; while the loop waits, the point-of-sale program writes the
      // next receipt in its place.
      clock.After(10, [&] {
        WriteJob("second " + Receipt());
        Touch(pm.cfg.path_in, 1000);
      });
      return false;
    }
    return RemoveFile(path);
  };
  Tick();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(Receipts(), 1);
  ASSERT_TRUE(JobFileExists());
  EXPECT_EQ(dir.Read("blocek.txt"), "second " + Receipt());

  Tick();
  EXPECT_EQ(Receipts(), 2);
  EXPECT_FALSE(JobFileExists());
}

TEST_F(JobTest, ReceiptThatCannotBeDeletedIsNotPrintedTwice) {
  pm.cfg.spravy = true;
  WriteJob(Receipt());
  int attempts = 0;
  pm.remove_file = [&](const std::string& path) {
    if (path == pm.cfg.path_in) return ++attempts, false;
    return RemoveFile(path);
  };
  boxes.Expect("Nepodarilo sa zmazat");
  Tick();
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(attempts, TSRB4900::kDeleteAttempts);
  EXPECT_NE(dir.Read("FM_err.txt").find("Nepodarilo sa zmazat subor"), std::string::npos);

  Tick();  // the same file again: skipped without a word
  EXPECT_EQ(Receipts(), 1);
  EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {1, 0}}));

  // Another receipt in its place is printed.
  WriteJob("next " + Receipt());
  Touch(pm.cfg.path_in, 2000);
  boxes.Expect("Nepodarilo sa zmazat");
  Tick();
  EXPECT_EQ(Receipts(), 2);
}

TEST_F(JobTest, LeftoverFileIsDeletedQuietlyWhenConfigured) {
  pm.cfg.delete_leftover = true;
  WriteJob(Receipt());
  pm.HandleLeftoverInput();
  EXPECT_FALSE(JobFileExists());
  EXPECT_FALSE(dir.Exists("FM_err.txt"));
}

TEST_F(JobTest, LeftoverFileIsKeptOrDeletedAsTheOperatorSays) {
  WriteJob(Receipt());
  boxes.Expect("[121]", BoxAnswer::Yes);
  pm.HandleLeftoverInput();
  EXPECT_TRUE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_NE(dir.Read("FM_err.txt").find(") Najdeny subor pri nabehu \r\n"), std::string::npos);

  boxes.Expect("[121]", BoxAnswer::No);
  pm.HandleLeftoverInput();
  EXPECT_FALSE(JobFileExists());
  EXPECT_NE(dir.Read("FM_err.txt").find(") Zmazany subor pri nabehu \r\n"), std::string::npos);
}

TEST_F(JobTest, LeftoverFileThatCannotBeDeletedStillAsksAndGivesUp) {
  pm.cfg.delete_leftover = true;
  pm.remove_file = [](const std::string&) { return false; };
  WriteJob(Receipt());
  boxes.Expect("[121]", BoxAnswer::No).Expect("Nepodarilo sa zmazat");
  pm.HandleLeftoverInput();
  EXPECT_TRUE(JobFileExists());
  const std::string errors = dir.Read("FM_err.txt");
  EXPECT_EQ(errors.find("Zmazany subor pri nabehu"), std::string::npos);
  EXPECT_TRUE(timer_prmgr.Enabled());
}

}  // namespace
}  // namespace kv::test
