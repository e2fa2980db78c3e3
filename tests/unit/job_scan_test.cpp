#include "core/job_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

std::string Esc(char letter) {
  return std::string{'\x1b', letter};
}

TEST(ScanJob, FirstCommandSkipsLeadingTextAndStatusQueries) {
  EXPECT_EQ(ScanJob("abc" + Esc('x')).first_command, 3u);
  EXPECT_FALSE(ScanJob("plain text").first_command);
  // ESC DC1 writes info.txt and the position starts afresh after it.
  const JobScan s = ScanJob("ab" + Esc('\x11') + "cd" + Esc('X') + Esc('\x11'));
  EXPECT_FALSE(s.first_command);
  EXPECT_EQ(s.status_queries, 2);
  EXPECT_EQ(ScanJob(Esc('\x11') + "cd" + Esc('X')).first_command, 4u);
  // An escape byte at the end has no letter but is a command position.
  EXPECT_EQ(ScanJob("ab\x1b").first_command, 2u);
}

TEST(ScanJob, LettersSetTheJobFlags) {
  const JobScan receipt = ScanJob(Esc('v'));
  EXPECT_TRUE(receipt.receipt && receipt.read_back && receipt.state_check &&
              receipt.journal_request);
  const JobScan closing = ScanJob(Esc('d'));
  EXPECT_TRUE(closing.closing_job && closing.read_back && !closing.receipt);
  const JobScan copy = ScanJob(Esc('C'));
  EXPECT_TRUE(copy.copy && copy.state_check && !copy.read_back);
  const JobScan trailer = ScanJob(Esc('>'));
  EXPECT_TRUE(trailer.trailer && !trailer.state_check);
  EXPECT_FALSE(ScanJob(Esc('I')).state_check);
}

TEST(ScanJob, TextBlockHidesLettersUntilEtx) {
  const JobScan inside = ScanJob(Esc('F') + "x" + Esc('B') + Esc('C') + "y");
  EXPECT_FALSE(inside.receipt || inside.copy);
  EXPECT_TRUE(inside.state_check);
  EXPECT_TRUE(ScanJob(Esc('F') + "x\x03" + Esc('B')).receipt);
}

TEST(ScanJob, StatusRecordEndsTheScan) {
  const JobScan s = ScanJob(Esc('!') + "S" + Esc('B') + Esc('\x11'));
  EXPECT_TRUE(s.status_record);
  EXPECT_EQ(s.record_letter, 'S');
  EXPECT_FALSE(s.receipt);
  EXPECT_EQ(s.status_queries, 0);
  const JobScan bare = ScanJob(Esc('!'));
  EXPECT_TRUE(bare.status_record);
  EXPECT_FALSE(bare.record_letter);
}

TEST(ScanJob, FirstCommandLetter) {
  const std::string bytes = "x" + Esc('i');
  EXPECT_EQ(FirstCommandLetter(bytes, ScanJob(bytes)), 'i');
  EXPECT_FALSE(FirstCommandLetter("x\x1b", ScanJob("x\x1b")));
}

}  // namespace
}  // namespace kv
