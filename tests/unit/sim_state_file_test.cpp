#include <gtest/gtest.h>

#include "sim/state_file.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace kv::sim {
namespace {

class SimStateFile : public ::testing::Test, public test::SimEngineTest {};

TEST_F(SimStateFile, SavedStateComesBackWhole) {
  test::TempDir dir;
  Send(test::SampleReceipt());
  Send("\033dYes");
  Send("\033+M2330.0000\r\033+T1");
  Send(std::string("\033bN\xe1zov\r\n    1.00 x     1.00  \0331       1.00 EUR\r\n"));
  engine.state().condition1 = status1::kPaperLow;
  const PrinterState& saved = engine.state();
  ASSERT_TRUE(SaveState(saved, dir / "state", nullptr));

  PrinterState loaded;
  std::string error;
  ASSERT_TRUE(LoadState(loaded, dir / "state", &error)) << error;
  EXPECT_EQ(loaded.document_number, saved.document_number);
  EXPECT_EQ(loaded.closing_count, 1u);
  EXPECT_EQ(loaded.receipt_count, 1u);
  EXPECT_TRUE(loaded.test_mode);
  EXPECT_EQ(loaded.active_currency, '2');
  EXPECT_EQ(loaded.rate, "30.0000");
  EXPECT_EQ(loaded.condition1, status1::kPaperLow);
  EXPECT_EQ(loaded.day.Column1(), saved.day.Column1());
  ASSERT_EQ(loaded.journal.size(), 2u);
  EXPECT_EQ(loaded.journal[1].text, saved.journal[1].text);
  EXPECT_EQ(loaded.journal[1].kind, DocKind::kClosing);
  EXPECT_EQ(loaded.last_text, saved.last_text);
}

TEST_F(SimStateFile, ADocumentOpenWhenSavedIsOpenAfterLoading) {
  test::TempDir dir;
  Send("\033bROZKY\r\n    1.00 x     1.25  \0331       1.25 EUR\r\n\033P2        1.00\r\n");
  ASSERT_TRUE(SaveState(engine.state(), dir / "state", nullptr));

  test::SimEngineTest after;
  std::string error;
  ASSERT_TRUE(LoadState(after.engine.state(), dir / "state", &error)) << error;
  EXPECT_TRUE(after.engine.DocumentOpen());
  EXPECT_EQ(after.Send("\033\x11")[2] & status1::kDocumentOpen, status1::kDocumentOpen);
  after.Send("\033e");
  EXPECT_FALSE(after.engine.DocumentOpen());
  EXPECT_EQ(after.engine.state().document_number, 1u);
  EXPECT_EQ(after.engine.state().day.turnover[0], 1.25);
  EXPECT_EQ(after.engine.state().day.cash, 0.25);  // 1.00 came in tender 2
  EXPECT_NE(after.engine.state().journal.back().text.find("ROZKY"), std::string::npos);
}

TEST_F(SimStateFile, DamagedOrForeignFileLeavesTheStateAlone) {
  test::TempDir dir;
  PrinterState state;
  state.document_number = 7;
  std::string error;
  dir.Write("foreign", "hello\n");
  EXPECT_FALSE(LoadState(state, dir / "foreign", &error));
  EXPECT_FALSE(error.empty());
  dir.Write("damaged", "kv4910-sim-state 1\ncounters 1 2\n");
  EXPECT_FALSE(LoadState(state, dir / "damaged", &error));
  dir.Write("badhex", "kv4910-sim-state 1\nlast_text x4g\n");
  EXPECT_FALSE(LoadState(state, dir / "badhex", &error));
  EXPECT_FALSE(LoadState(state, dir / "missing", &error));
  EXPECT_EQ(state.document_number, 7u);
}

}  // namespace
}  // namespace kv::sim
