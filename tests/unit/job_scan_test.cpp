#include "core/job_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

std::string Esc(const std::string& rest) { return std::string(1, kEsc) + rest; }

TEST(JobScan, TextBeforeTheFirstEscapeIsSkipped) {
  const std::string file = "hello\r\n" + Esc("b") + "item\r\n" + Esc("e");
  const JobScan scan = ScanJob(file);
  ASSERT_TRUE(scan.first_command);
  EXPECT_EQ(*scan.first_command, 7u);
  EXPECT_TRUE(scan.receipt);
  EXPECT_TRUE(scan.read_back);
  EXPECT_TRUE(scan.journal_readout);
  EXPECT_TRUE(scan.state_check);
  EXPECT_FALSE(scan.closing_job);
}

TEST(JobScan, NoEscapeMeansNoCommand) {
  EXPECT_FALSE(ScanJob("just text\r\n").first_command);
  EXPECT_FALSE(ScanJob("").first_command);
}

TEST(JobScan, ReceiptLettersInsideATextBlockAreNotCommands) {
  const JobScan scan = ScanJob(Esc("F") + "free " + Esc("B") + " text\x03" + Esc(">"));
  EXPECT_FALSE(scan.receipt);
  EXPECT_TRUE(scan.state_check);  // from 'F'
  EXPECT_TRUE(scan.trailer);      // after the ETX letters count again
  EXPECT_EQ(*scan.first_command, 0u);
}

TEST(JobScan, UnclosedTextBlockHidesEverythingAfterIt) {
  const JobScan scan = ScanJob(Esc("F") + "abc" + Esc("d"));
  EXPECT_FALSE(scan.closing_job);
}

TEST(JobScan, InfoFileRequestResetsTheFirstCommand) {
  JobScan only = ScanJob(Esc("\x11"));
  EXPECT_EQ(only.info_file_requests, 1);
  EXPECT_FALSE(only.first_command);

  JobScan then = ScanJob(Esc("\x11") + "x" + Esc("x"));
  EXPECT_EQ(then.info_file_requests, 1);
  ASSERT_TRUE(then.first_command);
  EXPECT_EQ(*then.first_command, 3u);
  EXPECT_TRUE(then.journal_readout);
}

TEST(JobScan, StatusRecordEndsTheScan) {
  const JobScan scan = ScanJob(Esc("!I") + Esc("d") + Esc("\x11"));
  ASSERT_TRUE(scan.status_record);
  EXPECT_EQ(*scan.status_record, 'I');
  EXPECT_FALSE(scan.closing_job);
  EXPECT_EQ(scan.info_file_requests, 0);
}

TEST(JobScan, ClosingCopyAndReportLetters) {
  const JobScan closing = ScanJob(Esc("dYes"));
  EXPECT_TRUE(closing.closing_job);
  EXPECT_TRUE(closing.read_back);
  EXPECT_FALSE(closing.receipt);

  const JobScan copy = ScanJob(Esc("C1"));
  EXPECT_TRUE(copy.copy);
  EXPECT_TRUE(copy.state_check);
  EXPECT_FALSE(copy.read_back);

  const JobScan trailer_only = ScanJob(Esc(">") + Esc(">"));
  EXPECT_FALSE(trailer_only.state_check);
  EXPECT_TRUE(trailer_only.trailer);

  for (char letter : {'X', 'c', 'm'}) {
    const JobScan s = ScanJob(Esc(std::string(1, letter)));
    EXPECT_TRUE(s.state_check) << letter;
    EXPECT_FALSE(s.journal_readout) << letter;
  }
  EXPECT_TRUE(ScanJob(Esc("D")).journal_readout);
}

TEST(JobScan, EscapeAsTheLastByteHasNoLetter) {
  const std::string file = "abc" + Esc("");
  const JobScan scan = ScanJob(file);
  ASSERT_TRUE(scan.first_command);
  EXPECT_EQ(FirstCommandLetter(file, scan), '\0');
}

TEST(JobScan, FirstCommandLetterFindsAnInformationQuery) {
  const std::string file = "x" + Esc("I") + Esc("b");
  EXPECT_EQ(FirstCommandLetter(file, ScanJob(file)), 'I');
}

}  // namespace
}  // namespace kv
