// The copies window's exchanges on the printer link, against the simulated printer.
#include <sstream>

#include "reports/copy_block.h"
#include "reports/copy_exchange.h"
#include "reports/copy_link_line.h"
#include "reports/copy_request.h"
#include "support/job_fixture.h"

namespace kv::test {
namespace {

class CopyLinkTest : public JobTest {
 protected:
  // Prints one receipt through the input file; returns its document number.
  uint32_t PrintReceipt() {
    WriteJob(Receipt());
    Tick();
    EXPECT_FALSE(JobFileExists());
    return engine().state().document_number;
  }
  static std::string FetchOf(uint32_t document) {
    CopyFields fields;
    fields.kdokladu = std::to_string(document);
    return BuildCopyFetchRequest(fields).bytes;
  }
  // Polls the exchange as the window does, 10 ms apart on the fake clock.
  CopyOutcome RunToEnd() {
    for (int i = 0; i < 100000 && transfer.Poll() == CopyOutcome::Waiting; ++i) clock.Advance(10);
    return transfer.outcome();
  }

  CopyLinkLine copy_line{pm.link()};
  CopyTransfer transfer{copy_line, clock};
};

// Each line without the blanks at its end (a bold line of a fetched block ends in one).
std::string TrimLineEnds(const std::string& text) {
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
  }
  return out;
}

TEST_F(CopyLinkTest, AFetchedReceiptShowsWhatWasPrintedAndItsCrcAgrees) {
  const uint32_t document = PrintReceipt();
  const std::string paper = engine().TakePaper();
  ASSERT_NE(paper.find("DOKLAD"), std::string::npos);

  ASSERT_EQ(transfer.Start(CopyKind::Fetch, FetchOf(document)), CopyOutcome::Waiting);
  EXPECT_EQ(pm.link().Holder(), CopyLinkLine::kHolder);
  ASSERT_EQ(RunToEnd(), CopyOutcome::Accepted);
  EXPECT_FALSE(pm.link().Leased());

  const FetchedBlock& block = transfer.block();
  ASSERT_EQ(block.status, FetchStatus::Ok);
  EXPECT_TRUE(block.crc_matches()) << block.crc_received << " " << block.crc_computed;
  std::string shown;
  const std::vector<TextRun> runs = RenderCopyBlock(block.document);
  for (const TextRun& run : runs) shown += run.text;
  EXPECT_EQ(TrimLineEnds(shown) + "\n", TrimLineEnds(paper));  // a blank line after a document
  ASSERT_FALSE(runs.empty());
  EXPECT_TRUE(runs.front().bold);  // the heading
}

TEST_F(CopyLinkTest, APrintJobTickDuringTheExchangeLeavesTheInputFileForTheNextTick) {
  const uint32_t document = PrintReceipt();
  engine().faults().delay_ms = 3000;  // a slow printer: the tick comes during the wait
  transfer.Start(CopyKind::Fetch, FetchOf(document));
  WriteJob(Receipt());
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_EQ(Receipts(), 1);
  EXPECT_TRUE(timer_prmgr.Enabled());
  ASSERT_EQ(RunToEnd(), CopyOutcome::Accepted);
  EXPECT_EQ(transfer.block().status, FetchStatus::Ok);
  engine().faults().delay_ms = 0;
  Tick();
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(Receipts(), 2);
}

}  // namespace
}  // namespace kv::test
