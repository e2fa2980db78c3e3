// Faults of the simulated printer: each one does what it says and nothing more.
#include <gtest/gtest.h>

#include "sim/engine.h"
#include "support/sim_fixture.h"

namespace kv::sim {
namespace {

using test::ReadDeviceRecord;
using test::SampleReceipt;

class SimFaults : public ::testing::Test, public test::SimEngineTest {};

const std::string kStatusOk("FS\x00\x00\xaa", 5);

TEST_F(SimFaults, SilentPrinterTakesAndAnswersNothingButBytesAreRecorded) {
  engine.faults().silent = true;
  EXPECT_EQ(Send("\033\x11"), "");
  EXPECT_EQ(Send(SampleReceipt()), "");
  EXPECT_EQ(engine.state().document_number, 0u);
  EXPECT_EQ(engine.ReceivedBytes(), "\033\x11" + SampleReceipt());
  engine.faults().silent = false;
  EXPECT_EQ(Send("\033\x11"), kStatusOk);
}

TEST_F(SimFaults, GarbledStatusOnceThenHealthy) {
  engine.faults().garbled_status = FaultMode::kOnce;
  const std::string bad = Send("\033\x11");
  ASSERT_EQ(bad.size(), 5u);
  EXPECT_FALSE(bad[1] == 'S' && static_cast<uint8_t>(bad[4]) == 0xAA);
  Send("\x03\r");  // the program's recovery
  EXPECT_EQ(Send("\033\x11"), kStatusOk);
}

TEST_F(SimFaults, GarbledStatusAlways) {
  engine.faults().garbled_status = FaultMode::kAlways;
  EXPECT_NE(Send("\033\x11"), kStatusOk);
  EXPECT_NE(Send("\033\x11"), kStatusOk);
}

TEST_F(SimFaults, ShortStatusRecordAnnouncesMoreThanItSends) {
  engine.faults().short_record_by = 1;
  const std::string answer = Send("\033!I");
  EXPECT_EQ(answer.substr(0, 2), std::string("\x00\x14", 2));
  EXPECT_EQ(answer.size(), 2u + 19u);
}

TEST_F(SimFaults, DeviceRecordCutBeforeEtx) {
  engine.faults().cut_device_record = true;
  const std::string cut = Send("\033I");
  engine.faults().cut_device_record = false;
  const std::string whole = Send("\033I");
  EXPECT_EQ(cut.find('\x03'), std::string::npos);
  EXPECT_EQ(whole.substr(0, cut.size()), cut);
  EXPECT_LT(ReadDeviceRecord(cut).lines.size(), 21u);

  engine.faults().device_records_left = 1;
  EXPECT_EQ(Send("\033I"), whole);
  EXPECT_EQ(Send("\033I"), "");
}

TEST_F(SimFaults, CopiesAnsweredWithNak) {
  Send(SampleReceipt());
  engine.faults().nak_copies = true;
  EXPECT_EQ(Send("\033c"), "\x15");
  EXPECT_EQ(Send("\033CB202607039999\r"), "\x15");
  EXPECT_EQ(Send("\033q0\r1\r"), "\x15");
  EXPECT_EQ(Send("\033x"), "\x06");  // reports are not copies
}

TEST_F(SimFaults, ReceiptThatDoesNotAdvanceTheDocumentNumber) {
  engine.faults().no_advance = FaultMode::kOnce;
  Send(SampleReceipt());
  EXPECT_EQ(engine.state().document_number, 0u);
  EXPECT_NE(engine.paper().find("ROZKY"), std::string::npos);  // it was printed
  Send(SampleReceipt());
  EXPECT_EQ(engine.state().document_number, 1u);
  engine.faults().no_advance = FaultMode::kAlways;
  Send(SampleReceipt());
  Send(SampleReceipt());
  EXPECT_EQ(engine.state().document_number, 1u);
}

TEST_F(SimFaults, ReadyLinesDropAfterTheGivenBytes) {
  EXPECT_TRUE(engine.RtsUp() && engine.DtrUp());
  engine.DropLines(true, false, 3);
  Send("\033\x11");
  EXPECT_TRUE(engine.RtsUp());
  Send("\x0c");
  EXPECT_FALSE(engine.RtsUp());
  EXPECT_TRUE(engine.DtrUp());
  engine.RaiseLines();
  EXPECT_TRUE(engine.RtsUp());
}

TEST_F(SimFaults, PrinterCutOffMidReceiptKeepsItOpenAndComesBack) {
  engine.CutOff(6, 500);  // ESC "b" and four bytes of the receipt
  Send(SampleReceipt());
  EXPECT_TRUE(engine.SwitchedOff());
  EXPECT_EQ(Send("\033\x11"), "");  // nobody there
  clock.Advance(499);
  EXPECT_EQ(Send("\033\x11"), "");
  clock.Advance(1);
  EXPECT_FALSE(engine.SwitchedOff());
  // Back with the receipt still open, nothing of the rest printed or booked.
  EXPECT_EQ(Send("\033\x11"), std::string("FS\xa0\x00\xaa", 5));
  EXPECT_EQ(engine.state().document_number, 0u);
  EXPECT_EQ(engine.tally().documents_opened, 1u);
}

TEST_F(SimFaults, ConditionBitsRefuseDocumentsButNotStatus) {
  engine.state().condition2 = status2::kFiscalMemoryFull;
  Send(SampleReceipt());
  EXPECT_EQ(engine.state().document_number, 0u);
  EXPECT_EQ(Send("\033\x11"), std::string("FS\x00\x80\xaa", 5));
  EXPECT_EQ(Send("\033dYes"), "\x15");
}

}  // namespace
}  // namespace kv::sim
