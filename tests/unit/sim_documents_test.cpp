// Documents on the simulated printer: receipts, deposits, free text, closings, reports,
// copies, fetched blocks and the journal readout.
#include <gtest/gtest.h>

#include "sim/engine.h"
#include "support/sim_fixture.h"

namespace kv::sim {
namespace {

using test::ReadDeviceRecord;
using test::SampleReceipt;

class SimDocuments : public ::testing::Test, public test::SimEngineTest {
 protected:
  double Amount(size_t line) { return ReadDeviceRecord(Send("\033I")).Number(line); }
  uint32_t DocumentNumber() { return static_cast<uint32_t>(Amount(1)); }
};

// CRC-16 written out from its definition, independent of the simulator's.
uint16_t ReferenceCrc(std::string_view bytes) {
  uint32_t reg = 0;
  for (unsigned char byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool top = (reg >> 15) & 1;
      const bool in = (byte >> bit) & 1;
      reg = (reg << 1) & 0xFFFF;
      if (top != in) reg ^= 0x1021;
    }
  }
  return static_cast<uint16_t>(reg);
}

TEST_F(SimDocuments, ReceiptAdvancesTheDocumentNumberAndBooksTheDay) {
  EXPECT_EQ(Send(SampleReceipt()), "");
  EXPECT_EQ(DocumentNumber(), 1u);
  Send(SampleReceipt());
  EXPECT_EQ(DocumentNumber(), 2u);
  EXPECT_EQ(Amount(3), 5.00);
  EXPECT_EQ(engine.state().receipt_count, 2u);
  EXPECT_NE(engine.paper().find("ROZKY"), std::string::npos);
  EXPECT_NE(engine.paper().find("CELKOM                          2.50 EUR"), std::string::npos);
}

TEST_F(SimDocuments, ItemsDiscountsAndReversalsLandInTheirTotals) {
  Send("\033bMLIEKO         \r\n    1.00 x     3.00  \0332       3.00 EUR\r\n");
  Send("Zlava  10 %           \0335B      -0.30 EUR\r\n");
  Send("SYR            \r\n   -2.00 x     1.00  \0336D      -2.00 EUR\r\n");
  Send("\033k        2.70 EUR\r\n\033P1       10.00\r\n\033e");
  EXPECT_EQ(Amount(4), 2.70);   // level 2: 3.00 - 0.30
  EXPECT_EQ(Amount(5), 2.00);   // level 3 holds -2.00: the line rules read digits and points
  EXPECT_EQ(Amount(10), 0.30);  // discounts
  EXPECT_EQ(Amount(11), 2.00);  // reversals
  EXPECT_EQ(Amount(14), 0.70);  // cash: 10.00 paid, 9.30 back
  EXPECT_NE(engine.paper().find("VYDAVOK"), std::string::npos);
}

TEST_F(SimDocuments, TestModeNeitherAdvancesNorBooks) {
  Send("\033+T1");
  Send(SampleReceipt());
  EXPECT_EQ(DocumentNumber(), 0u);
  EXPECT_EQ(Amount(3), 0.0);
  EXPECT_EQ(Send("\033!I")[2 + 11], '1');
  EXPECT_NE(engine.state().last_text.find("NEFISKALNY DOKLAD - TEST"), std::string::npos);
  // Test mode cannot change while a receipt is open.
  Send("\033b");
  Send("\033+T0");
  EXPECT_TRUE(engine.state().test_mode);
}

TEST_F(SimDocuments, DepositAndWithdrawalAreDocuments) {
  Send("\033V\033P1      100.00\r\n\033P3       20.00\r\n\033e\r\n");
  EXPECT_EQ(DocumentNumber(), 1u);
  Send("\033v\033P1       30.00\r\n\033e\r\n");
  EXPECT_EQ(DocumentNumber(), 2u);
  EXPECT_EQ(Amount(12), 120.00);  // deposits
  EXPECT_EQ(Amount(13), 30.00);   // withdrawals
  EXPECT_EQ(Amount(14), 70.00);   // cash: tender 1 only
  EXPECT_NE(engine.state().last_text.find("VYBER"), std::string::npos);
}

TEST_F(SimDocuments, FreeTextPrintsItsLinesAndLeavesTheCounters) {
  Send("\033n\r\n----------------------------------------\r\n");
  EXPECT_TRUE(engine.DocumentOpen());
  Send("  1 EUR x       3 ks =       3.00 EUR\r\n");
  Send("\r\n\n\n\n\n\n\n\033i\x0c");
  EXPECT_FALSE(engine.DocumentOpen());
  EXPECT_EQ(DocumentNumber(), 0u);
  EXPECT_NE(engine.state().last_text.find("  1 EUR x       3 ks =       3.00 EUR\r\n"),
            std::string::npos);
  EXPECT_EQ(Send("\033Q"), engine.state().last_text);
}

TEST_F(SimDocuments, DailyClosingCountsAndResetsTheDay) {
  Send(SampleReceipt());
  EXPECT_EQ(Send("\033dYes"), "\x06");
  const auto record = ReadDeviceRecord(Send("\033I"));
  EXPECT_EQ(record.Number(1), 2);  // the closing is a document
  EXPECT_EQ(record.Number(2), 1);  // first closing
  for (size_t line = 3; line <= 19; ++line) EXPECT_EQ(record.Number(line), 0) << line;
  EXPECT_EQ(Send("\033!I")[2 + 15], 1);
  // The journal readout gives the closing's text.
  const std::string journal = Send("\033Q");
  EXPECT_NE(journal.find("DENNA UZAVIERKA C. 1"), std::string::npos);
  EXPECT_NE(journal.find("OBRAT A 20%                       2.50"), std::string::npos);
}

TEST_F(SimDocuments, DailyClosingIsRefusedWhileADocumentIsOpenOrWithoutYes) {
  Send("\033b");
  EXPECT_EQ(Send("\033dYes"), "\x15");
  Send("\033e");
  EXPECT_EQ(Send("\033dNo!"), "\x15");
  engine.state().condition1 = status1::kClosingRefused;
  EXPECT_EQ(Send("\033dYes"), "\x15");
  EXPECT_EQ(engine.state().closing_count, 0u);
}

TEST_F(SimDocuments, JournalReadoutReturnsTheLastDocument) {
  EXPECT_EQ(Send("\033Q"), "");  // nothing printed yet
  Send(SampleReceipt());
  const std::string text = Send("\033Q");
  EXPECT_EQ(text, engine.state().journal.back().text);
  EXPECT_NE(text.find("DOKLAD 1          03.07.2026 09:05\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  Send("\033~CLEAR\r");
  EXPECT_EQ(Send("\033Q"), "");
  EXPECT_TRUE(engine.state().journal.empty());
}

TEST_F(SimDocuments, ReportsAndCopiesAnswerAck) {
  Send(SampleReceipt());
  Send("\033dYes");
  EXPECT_EQ(Send("\033x"), "\x06");
  EXPECT_EQ(Send("\033c"), "\x06");
  EXPECT_EQ(Send("\033D"), "\x06");
  EXPECT_EQ(Send("\033XD20260701\r20260731\r"), "\x06");       // monthly
  EXPECT_EQ(Send("\033Xd20260701\r20260731\r\r"), "\x06");     // detailed by date
  EXPECT_EQ(Send("\033XS0001\r0005\r\r"), "\x06");             // summary by number
  EXPECT_EQ(Send("\033z202607030000202607032359\r"), "\x06");  // by date and time
  EXPECT_EQ(Send("\033Cb1\r1\r"), "\x06");
  EXPECT_EQ(Send("\033CB202607039999\r"), "\x06");
  EXPECT_EQ(Send("\033CD202607031\r"), "\x06");
  EXPECT_NE(engine.state().last_text.find("DENNA UZAVIERKA C. 1"), std::string::npos);
  // Documents that do not exist, and requests that make no sense, get NAK.
  EXPECT_EQ(Send("\033Cb2\r1\r"), "\x15");
  EXPECT_EQ(Send("\033CB202607049999\r"), "\x15");
  EXPECT_EQ(Send("\033XD2026AB01\r20260731\r"), "\x15");
  EXPECT_EQ(Send("\033z2026\r"), "\x15");
  EXPECT_EQ(Send("\033Cx"), "\x15");
}

TEST_F(SimDocuments, ReportsAreKeptButCopiesByNumberFindOnlyTillDocuments) {
  Send(SampleReceipt());
  Send("\033x");
  Send("\033XS0001\r0001\r");
  ASSERT_EQ(engine.state().journal.size(), 3u);
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(engine.state().journal[i].kind, DocKind::kReport);
    EXPECT_EQ(engine.state().journal[i].number, 1u);  // reports take no number of their own
  }
  EXPECT_NE(engine.state().journal[1].text.find("X-UZAVIERKA"), std::string::npos);
  // The last document, document 1 and the day's documents are still the receipt alone.
  for (const char* request : {"\033c", "\033Cb1\r1\r", "\033CB202607039999\r"}) {
    EXPECT_EQ(Send(request), "\x06") << request;
    EXPECT_EQ(engine.state().last_text, "KOPIA\r\n" + engine.state().journal[0].text) << request;
  }
  EXPECT_EQ(Send("\033q0\r1\r").find("X-UZAVIERKA"), std::string::npos);
  // A copy by date and time takes every document, reports too.
  Send("\033z202607030000202607032359\r");
  EXPECT_NE(engine.state().last_text.find("X-UZAVIERKA"), std::string::npos);
}

TEST_F(SimDocuments, FetchedBlockCarriesMarkupAndAValidCrc) {
  Send(SampleReceipt());
  const std::string answer = Send("\033q0\r1\r");
  ASSERT_GE(answer.size(), 5u);
  EXPECT_EQ(answer[0], '\x06');
  const size_t length = (static_cast<uint8_t>(answer[1]) << 8) | static_cast<uint8_t>(answer[2]);
  ASSERT_EQ(answer.size(), 3 + length);
  const std::string text = answer.substr(3, length - 2);
  const uint16_t crc =
      (static_cast<uint8_t>(answer[length + 1]) << 8) | static_cast<uint8_t>(answer[length + 2]);
  EXPECT_EQ(crc, ReferenceCrc(text));
  EXPECT_EQ(text.find('\r'), std::string::npos);  // line ends are markup
  EXPECT_NE(text.find("^BCELKOM                          2.50 EUR^N ^C^L"), std::string::npos);
  EXPECT_NE(text.find("ROZKY         ^C^L"), std::string::npos);
}

TEST_F(SimDocuments, FetchFindsClosingsHeadersAndRefusesTheUnknown) {
  Send(SampleReceipt());
  Send("\033dYes");
  const std::string closing = Send("\033q1\r9999\r");
  ASSERT_EQ(closing[0], '\x06');
  EXPECT_NE(closing.find("DENNA UZAVIERKA C. 1"), std::string::npos);
  const std::string header = Send("\033q1\r8888\r");
  ASSERT_EQ(header[0], '\x06');
  EXPECT_NE(header.find("^BHLAVICKA DU 1^N ^C^L"), std::string::npos);
  EXPECT_NE(header.find("DOKLADY 1 - 2^C^L"), std::string::npos);
  EXPECT_EQ(Send("\033q1\r1\r")[0], '\x06');  // the receipt, in closing 1
  EXPECT_EQ(Send("\033q2\r1\r"), "\x15");     // not in closing 2
  EXPECT_EQ(Send("\033q0\r77\r"), "\x15");
  EXPECT_EQ(Send("\033q7\r9999\r"), "\x15");
}

TEST_F(SimDocuments, JournalKeepsABoundedNumberOfDocuments) {
  for (size_t i = 0; i < kJournalLimit + 3; ++i) Send(SampleReceipt());
  EXPECT_EQ(engine.state().journal.size(), kJournalLimit);
  EXPECT_EQ(engine.state().journal.front().number, 4u);
}

}  // namespace
}  // namespace kv::sim
