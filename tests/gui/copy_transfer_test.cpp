// The copies window's exchange with the printer, without a window.
#include <gtest/gtest.h>

#include "fake_copy_line.h"
#include "reports/copy_exchange.h"
#include "reports/copy_request.h"
#include "support/fake_clock.h"

namespace kv {
namespace {

const std::string kAck(1, '\x06');

TEST(CopyTransfer, TheFirstNonZeroByteDecidesAPrintRequest) {
  struct Case {
    std::string answer;
    CopyOutcome outcome;
  };
  const Case cases[] = {
      {kAck, CopyOutcome::Accepted},
      {std::string("\0\0\x06", 3), CopyOutcome::Accepted},  // zero bytes are skipped
      {"\x15", CopyOutcome::Refused},
      {std::string("\0\x15\x06", 3), CopyOutcome::Refused},
  };
  for (const Case& c : cases) {
    test::FakeCopyLine line;
    test::FakeClock clock;
    CopyTransfer transfer(line, clock);
    ASSERT_EQ(transfer.Start(CopyKind::Print,
                             "\x1b"
                             "CD202612061\r"),
              CopyOutcome::Waiting);
    EXPECT_TRUE(line.held);
    EXPECT_EQ(line.purged_output, std::vector<bool>{false});  // a print purges the input only
    EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
    line.incoming = c.answer;
    EXPECT_EQ(transfer.Poll(), c.outcome) << testing::PrintToString(c.answer);
    EXPECT_FALSE(line.held);
    EXPECT_EQ(line.ends, 1);
  }
}

TEST(CopyTransfer, AFetchTakesTheBlockAsItComesAndNothingAfterIt) {
  test::FakeCopyLine line;
  test::FakeClock clock;
  CopyTransfer transfer(line, clock);
  transfer.Start(CopyKind::Fetch, "\x1bq0\r1\r");
  EXPECT_EQ(line.purged_output, std::vector<bool>{true});
  const std::string answer = kAck + test::FetchAnswer("^BTOTAL^N 5^L", 0x1234);
  for (size_t at = 0; at < answer.size(); at += 4) {
    EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
    line.incoming = answer.substr(at, 4);
    clock.Advance(1500);  // slow, but never a pause of more than two seconds
  }
  line.incoming += "next";
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Accepted);
  EXPECT_EQ(transfer.block().status, FetchStatus::Ok);
  EXPECT_EQ(transfer.block().document, "^BTOTAL^N 5^L");
  EXPECT_EQ(transfer.block().crc_received, 0x1234);
  EXPECT_EQ(line.incoming, "next");
  EXPECT_FALSE(line.held);
}

TEST(CopyTransfer, ShortAndOverlongBlocksEndTheFetch) {
  test::FakeCopyLine line;
  test::FakeClock clock;
  CopyTransfer transfer(line, clock);
  transfer.Start(CopyKind::Fetch, "\x1bq1\r9999\r");
  line.incoming = kAck + test::FetchAnswer("abcdef", 0).substr(0, 5);
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
  clock.Advance(kCopyBlockPauseMs);
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
  clock.Advance(1);
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Accepted);
  EXPECT_EQ(transfer.block().status, FetchStatus::ShortRead);

  transfer.Start(CopyKind::Fetch, "\x1bq1\r9999\r");
  line.incoming = kAck + "\x27\x11" + std::string(50, 'x');  // 10001 bytes announced
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Accepted);
  EXPECT_EQ(transfer.block().status, FetchStatus::TooLong);
  EXPECT_EQ(line.incoming.size(), 50u);  // the refused block is not read on
  EXPECT_EQ(line.ends, 2);
}

TEST(CopyTransfer, NoAnswerBusyLineAndCancelGiveThePrinterBack) {
  test::FakeCopyLine line;
  test::FakeClock clock;
  {
    CopyTransfer transfer(line, clock);
    transfer.Start(CopyKind::Print, "\x1bX");
    clock.Advance(kCopyAnswerTimeoutMs - 1);
    EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
    clock.Advance(1);
    EXPECT_EQ(transfer.Poll(), CopyOutcome::NoAnswer);
    EXPECT_EQ(line.ends, 1);

    transfer.Start(CopyKind::Fetch, "\x1bq");
    transfer.Cancel();
    EXPECT_EQ(transfer.outcome(), CopyOutcome::Cancelled);
    EXPECT_EQ(line.ends, 2);
    line.incoming = kAck;  // a late answer changes nothing
    EXPECT_EQ(transfer.Poll(), CopyOutcome::Cancelled);

    transfer.Start(CopyKind::Print, "\x1bX");  // still running when the window goes
  }
  EXPECT_EQ(line.ends, 3);
  EXPECT_FALSE(line.held);
}

TEST(CopyTransfer, ABusyPrinterIsWaitedForABoundedTimeAndAFailedLineEndsTheExchange) {
  test::FakeCopyLine line;
  test::FakeClock clock;
  CopyTransfer transfer(line, clock);
  line.busy = true;
  EXPECT_EQ(transfer.Start(CopyKind::Print, "\x1bX"), CopyOutcome::Waiting);
  clock.Advance(kCopyTurnWaitMs - 1);
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
  line.busy = false;  // the other exchange ends: the request goes out now
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
  EXPECT_EQ(line.sent.size(), 1u);
  clock.Advance(kCopyAnswerTimeoutMs - 1);  // the answer's minute counts from the write
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Waiting);
  line.incoming = kAck;
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Accepted);

  line.busy = true;
  transfer.Start(CopyKind::Fetch, "\x1bq");
  clock.Advance(kCopyTurnWaitMs);
  EXPECT_EQ(transfer.Poll(), CopyOutcome::Busy);
  EXPECT_EQ(line.sent.size(), 1u);
  line.busy = false;

  transfer.Start(CopyKind::Fetch, "\x1bq");
  line.incoming = kAck + "\x00";
  line.failed = true;
  EXPECT_EQ(transfer.Poll(), CopyOutcome::LineFailed);
  EXPECT_EQ(transfer.Start(CopyKind::Print, "\x1bX"), CopyOutcome::LineFailed);
  EXPECT_EQ(line.ends, 2);  // only the exchanges that were written give the printer back
  EXPECT_FALSE(line.held);
}

}  // namespace
}  // namespace kv
