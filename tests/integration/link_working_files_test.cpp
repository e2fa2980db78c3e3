#include <filesystem>
#include <sstream>

#include "core/file_io.h"
#include "link_fixture.h"
#include "support/test_os.h"

namespace kv::test {
namespace {

using WorkingFiles = LinkTest;

TEST_F(WorkingFiles, InfoFileCarriesNineNinesAndTheStatusValue) {
  pm.link().SetStatusValue(0);
  pm.files().WriteInfoFile();
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n0\r\n");

  ScriptedPrinter printer(line.b());
  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  ASSERT_EQ(pm.link().OpenPort(0), 1);
  pm.files().WriteInfoFile();
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n1\r\n");
}

TEST_F(WorkingFiles, InfoFileThatCannotBeCreatedIsTriedTwentyTimesThenReported) {
  pm.config().path_info = dir / "missing";
  boxes.Expect("msg29");
  const uint64_t before = clock.slept();
  pm.files().WriteInfoFile();
  EXPECT_EQ(clock.slept() - before, 20u * 50u);
  EXPECT_EQ(boxes.shown()[0].text, dir / "missing/info.txt");
}

TEST_F(WorkingFiles, ErrorLineFormatAndReadOnlyFileStillAppended) {
  pm.link().SetIdentText("RB4900 1.2");
  dir.Write("FM_err.txt", "first\r\n");
  std::filesystem::permissions(dir / "FM_err.txt", std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
  pm.files().LogError("Terminate");
  EXPECT_EQ(dir.Read("FM_err.txt"), "first\r\n> (06.12.2026 14:30:00 RB4900 1.2) Terminate \r\n");

  pm.config().err_file = false;  // switched off for the run: nothing written
  pm.files().LogError("Ukoncenie uzivatelom");
  EXPECT_EQ(dir.Read("FM_err.txt").find("Ukoncenie"), std::string::npos);
}

// A loop that keeps failing writes its lines (one, or a short cycle) once, then counts.
TEST_F(WorkingFiles, RepeatedErrorLinesAreWrittenOnceAndCounted) {
  auto lines = [&] {
    std::vector<std::string> out;
    std::istringstream in(dir.Read("FM_err.txt"));
    for (std::string l; std::getline(in, l);) out.push_back(l.substr(l.find(") ") + 2));
    return out;
  };
  for (const char* text : {"A", "A", "A", "B", "C", "B", "C", "B", "D"}) pm.files().LogError(text);
  EXPECT_EQ(lines(), (std::vector<std::string>{"A \r", "A (opakovane este 2-krat) \r", "B \r",
                                               "C \r", "B (opakovane este 2-krat) \r",
                                               "C (opakovane este 1-krat) \r", "D \r"}));
  // A run that goes on is reported every ten minutes; after a quiet minute the line is
  // written again with its own time.
  for (int i = 0; i < 20 * 60; ++i) {
    clock.Advance(1000);
    pm.files().LogError("D");
  }
  EXPECT_EQ(lines().size(), 9u);
  EXPECT_EQ(lines()[7], "D (opakovane este 600-krat) \r");
  EXPECT_EQ(lines()[8], "D (opakovane este 600-krat) \r");
  clock.Advance(60000);
  pm.files().LogError("D");
  EXPECT_EQ(lines().size(), 10u);
  EXPECT_EQ(lines().back(), "D \r");
}

TEST_F(WorkingFiles, ErrorFileThatCannotBeOpenedIsShownWithMessage21) {
  pm.SetProgramDir(dir / "missing");
  boxes.Expect("msg21");
  pm.files().LogError("Terminate");
}

TEST_F(WorkingFiles, JournalReadoutOnlyOnRequestAppendsTheAnswerUnchanged) {
  ScriptedPrinter printer(line.b());
  printer.On("\x1bQ", {std::string("DOKLAD\r\n\x00\xE1\r\n", 11)});
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  dir.Write("zurnal.txt", "before\r\n");

  EXPECT_TRUE(pm.readouts().ReadJournal());  // no request: nothing happens
  EXPECT_EQ(printer.received(), "");
  EXPECT_FALSE(dir.Exists("out_bl.tmp"));

  pm.readouts().RequestJournal();
  EXPECT_TRUE(pm.readouts().ReadJournal());
  EXPECT_FALSE(pm.readouts().journal_request());
  EXPECT_EQ(printer.received(), "\x1bQ");
  EXPECT_EQ(dir.Read("out_bl.tmp"), "before\r\n");
  EXPECT_EQ(dir.Read("zurnal.txt"), std::string("before\r\nDOKLAD\r\n\x00\xE1\r\n", 19));
}

TEST_F(WorkingFiles, JournalUnchangedWhenThePrinterDoesNotAnswer) {
  ScriptedPrinter printer(line.b());
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  dir.Write("zurnal.txt", "before\r\n");
  pm.readouts().RequestJournal();
  const uint64_t before = clock.slept();
  EXPECT_FALSE(pm.readouts().ReadJournal());
  EXPECT_GE(clock.slept() - before, 7000u);
  EXPECT_EQ(dir.Read("zurnal.txt"), "before\r\n");
  EXPECT_EQ(dir.Read("out_bl.tmp"), "before\r\n");
}

TEST_F(WorkingFiles, JournalThatCannotBeOpenedIsReportedWithMessage2) {
  pm.config().path_out = dir / "missing/zurnal.txt";
  pm.readouts().RequestJournal();
  boxes.Expect("msg2");
  EXPECT_FALSE(pm.readouts().ReadJournal());
}

class Backup : public LinkTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::create_directory(dir / "zal"));
    ASSERT_TRUE(std::filesystem::create_directory(dir / "copy"));
    pm.config().backup1 = dir / "zal/x.txt";
    pm.config().backup2 = dir / "copy/y.txt";
    pm.config().backup_date = true;
  }
};

TEST_F(Backup, DatedTargetIsCreatedThenAppendedOnTheSameDay) {
  const std::string journal(2500, 'j');  // more than two pieces of 1000 bytes
  dir.Write("zurnal.txt", journal);
  EXPECT_TRUE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zal/zal_261206.txt"), journal);
  EXPECT_EQ(dir.Read("copy/zal_261206.txt"), journal);
  EXPECT_FALSE(dir.Exists("zurnal.txt"));

  dir.Write("zurnal.txt", "second\r\n");
  EXPECT_TRUE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zal/zal_261206.txt"), journal + "second\r\n");
  EXPECT_EQ(dir.Read("copy/zal_261206.txt"), journal + "second\r\n");
  EXPECT_FALSE(dir.Exists("zurnal.txt"));
}

TEST_F(Backup, UndatedTargetIsBackup1Itself) {
  pm.config().backup_date = false;
  dir.Write("zurnal.txt", "text");
  EXPECT_TRUE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zal/x.txt"), "text");
  EXPECT_EQ(dir.Read("copy/x.txt"), "text");
}

TEST_F(Backup, TargetThatCannotBeWrittenKeepsTheJournal) {
  if (!test::PermissionsApply()) GTEST_SKIP() << "file permissions do not bind this process";
  dir.Write("zurnal.txt", "keep me");
  dir.Write("zal/zal_261206.txt", "earlier");
  // The target is read-only in a read-only directory: appending fails.
  ASSERT_EQ(::chmod((dir / "zal/zal_261206.txt").c_str(), 0444), 0);
  ASSERT_EQ(::chmod((dir / "zal").c_str(), 0555), 0);
  boxes.Expect("zal_261206.txt");
  const bool moved = pm.Zalohovanie1Click();
  ::chmod((dir / "zal").c_str(), 0755);
  EXPECT_EQ(dir.Read("zurnal.txt"), "keep me");
  EXPECT_EQ(dir.Read("zal/zal_261206.txt"), "earlier");
  EXPECT_NE(dir.Read("FM_err.txt").find("Chyba zalohovania"), std::string::npos);
  EXPECT_FALSE(moved);
}

TEST_F(Backup, TargetThatFillsUpKeepsTheJournal) {
  pm.config().backup_date = false;
  pm.config().backup1 = "/dev/full";  // exists, every write fails
  dir.Write("zurnal.txt", std::string(3000, 'k'));
  boxes.Expect("/dev/full");
  EXPECT_FALSE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zurnal.txt"), std::string(3000, 'k'));
  EXPECT_NE(dir.Read("FM_err.txt").find("Chyba zalohovania do /dev/full"), std::string::npos);
}

TEST_F(Backup, NewTargetInAMissingDirectoryKeepsTheJournal) {
  pm.config().backup1 = dir / "nowhere/x.txt";
  dir.Write("zurnal.txt", "keep me");
  boxes.Expect("nowhere");
  EXPECT_FALSE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zurnal.txt"), "keep me");
}

TEST_F(Backup, JournalItselfAsTargetIsRefused) {
  pm.config().backup_date = false;
  for (const std::string& target : {dir / "zurnal.txt", dir / "zal/../zurnal.txt"}) {
    pm.config().backup1 = target;
    dir.Write("zurnal.txt", "keep me");
    boxes.Expect("zurnal.txt");
    EXPECT_FALSE(pm.Zalohovanie1Click());
    EXPECT_EQ(dir.Read("zurnal.txt"), "keep me");
  }
}

TEST_F(Backup, JournalThatCannotBeDeletedIsNotBackedUpTwice) {
  dir.Write("zal/zal_261206.txt", "earlier\r\n");
  dir.Write("zurnal.txt", "today\r\n");
  pm.files().SetFileRemover([](const std::string&) { return false; });
  boxes.Expect("zal_261206.txt");
  EXPECT_FALSE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zal/zal_261206.txt"), "earlier\r\n");
  EXPECT_EQ(dir.Read("zurnal.txt"), "today\r\n");

  pm.files().SetFileRemover(RemoveFile);
  EXPECT_TRUE(pm.Zalohovanie1Click());
  EXPECT_EQ(dir.Read("zal/zal_261206.txt"), "earlier\r\ntoday\r\n");
  EXPECT_FALSE(dir.Exists("zurnal.txt"));
}

TEST(BackupTarget, DirectoryOfBackup1AndTwoDigitDate) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 6;
  EXPECT_EQ(BackupTarget("/zal/x.txt", true, t), "/zal/zal_261206.txt");
  EXPECT_EQ(BackupTarget("/zal/x.txt", false, t), "/zal/x.txt");
  EXPECT_EQ(BackupTarget("x.txt", true, t), "zal_261206.txt");
  t.tm_year = 2009 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 31;
  EXPECT_EQ(BackupTarget("/a/b/", true, t), "/a/b/zal_090131.txt");
}

}  // namespace
}  // namespace kv::test
