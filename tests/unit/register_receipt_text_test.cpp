// The command text the till sends: item lines, receipt closing, deposits and the cash count.
#include "register/receipt_text.h"

#include <gtest/gtest.h>

#include <clocale>

#include "register/money.h"
#include "register/number_text.h"
#include "support/recording_till_output.h"

namespace kv {
namespace {

using test::E;

TSaleItem Item(const char* name, int64_t quantity_milli, int64_t price_cents, int64_t line_cents,
               char vat, char type) {
  TSaleItem item;
  item.name = name;
  item.quantity_milli = quantity_milli;
  item.unit_price_cents = price_cents;
  item.line_cents = line_cents;
  item.vat_letter = vat;
  item.type_letter = type;
  return item;
}

TEST(ItemLine, LayoutsLettersAndAmounts) {
  const std::string name15 = "Mlieko         ";
  const std::string disc = "Zlava  10 %    ";
  struct Case {
    TSaleItem item;
    bool reverse;
    std::string expected;
  } cases[] = {
      {Item("Mlieko         ", 2000, 125, 250, '1', 'N'), false,
       name15 + "\r\n    2.00 x     1.25  " + E + "1       2.50 EUR\r\n"},
      // A plain sale taken back: quantity negated, the paired letter and 'D'.
      {Item("Mlieko         ", 2000, 100, 200, '3', 'N'), true,
       name15 + "\r\n   -2.00 x     1.00  " + E + "6D      -2.00 EUR\r\n"},
      {Item("Mlieko         ", -3000, 150, -450, '4', 'C'), false,
       name15 + "\r\n   -3.00 x     1.50  " + E + "4C      -4.50 EUR\r\n"},
      // Taking back a returned item writes no type letter.
      {Item("Mlieko         ", -1000, 500, -500, '5', 'A'), true,
       name15 + "\r\n    1.00 x     5.00  " + E + "2       5.00 EUR\r\n"},
      {Item("Zlava  10 %    ", -1000, 0, -30, '5', 'B'), false,
       disc + "      " + E + "5B      -0.30 EUR\r\n"},
      {Item("Zlava  10 %    ", -1000, 0, -30, '5', 'B'), true,
       disc + "      " + E + "2       0.30 EUR\r\n"},
      // The line prints the item's one rounded amount, whatever quantity x price shows.
      {Item("x", 1500, 99, 149, '2', 'N'), false,
       "x\r\n    1.50 x     0.99  " + E + "2       1.49 EUR\r\n"},
      // A quantity of three decimals shows two, rounded half away from zero.
      {Item("x", 1005, 100, 101, '2', 'N'), true,
       "x\r\n   -1.01 x     1.00  " + E + "5D      -1.01 EUR\r\n"},
  };
  for (const auto& c : cases) {
    const auto line = ItemLineText(c.item, c.reverse, "EUR");
    ASSERT_TRUE(line) << c.expected;
    EXPECT_EQ(*line, c.expected);
  }
}

TEST(ItemLine, NoLineForALetterThatIsNoDigit) {
  EXPECT_FALSE(ItemLineText(Item("x", 1000, 100, 100, 'X', 'N'), true, "EUR"));
  EXPECT_FALSE(ItemLineText(Item("x", 1000, 100, 100, 0, 'N'), false, "EUR"));
}

TEST(ReceiptClosing, TotalPaymentsOfNonZeroTendersAndEnd) {
  struct Case {
    int64_t total;
    TenderCents tenders;
    std::string expected;
  } cases[] = {
      {0, {}, E + "k        0.00 EUR\r\n" + E + "e"},
      {-450, {-450}, E + "k       -4.50 EUR\r\n" + E + "P1       -4.50\r\n" + E + "e"},
      {1230, {-270, 1500, 0, 0, 0, 0, 0, 0, 0, 100},
       E + "k       12.30 EUR\r\n" + E + "P1       -2.70\r\n" + E + "P2       15.00\r\n" + E +
           "P10        1.00\r\n" + E + "e"},
  };
  for (const auto& c : cases) {
    test::RecordingTillOutput out;
    EXPECT_TRUE(SendReceiptClosing(out, c.total, c.tenders, "EUR"));
    EXPECT_EQ(out.port, c.expected);
  }
}

TEST(DepositWithdrawal, PrefixOnTheFirstPaymentLineOnly) {
  struct Case {
    bool withdrawal;
    std::array<std::string, kTenders> fields;
    std::string expected;
  } cases[] = {
      {false, {"", "0", "0.00"}, E + "e\r\n"},
      {false, {"100", "", "20"},
       E + "V" + E + "P1      100.00\r\n" + E + "P3       20.00\r\n" + E + "e\r\n"},
      {true, {"", "", "", "", "", "", "", "", "", "7.5"}, E + "v" + E + "P10        7.50\r\n" + E + "e\r\n"},
  };
  for (const auto& c : cases) {
    test::RecordingTillOutput out;
    out.preview = {"old"};
    const TenderFieldAmounts amounts = ReadTenderFields(c.fields);
    ASSERT_EQ(amounts.bad_field, -1);
    EXPECT_TRUE(PrintDepositWithdrawal(out, c.withdrawal, amounts.cents));
    EXPECT_EQ(out.port, c.expected);
    EXPECT_EQ(out.preview.back(), E + "e");  // the preview is cleared first, no line ends
  }
  EXPECT_EQ(TenderSumText({"100", "", "20.5"}), "      120.50");
  // A field that is no amount of two decimals is named, never rounded; the others still sum.
  EXPECT_EQ(ReadTenderFields({"1", "0.004"}).bad_field, 1);
  EXPECT_EQ(ReadTenderFields({"", "", "1e5"}).bad_field, 2);
  EXPECT_EQ(ReadTenderFields({"100000000"}).bad_field, 0);
  EXPECT_EQ(TenderSumText({"150000.01", "0.004", "99999999.99"}), "100150000.00");
}

CashCountTexts Texts() { return {"EUR", "MINCOVKA", "Spolu:", "06.12.2026", "09:05:00"}; }

TEST(CashCount, WholeReportByteForByte) {
  CashCountFields fields;
  fields[0] = "0";    // "0" prints its line, an empty field none
  fields[8] = "3";    // 500
  fields[12] = "12";  // 0.10
  fields[14] = "1";   // 0.50
  test::RecordingTillOutput out;
  EXPECT_EQ(PrintCashCount(out, fields, Texts()).outcome, CashCountResult::Printed);
  const std::string rule(40, '-');
  EXPECT_EQ(out.port, E + "n\r\n" + rule + "\r\n" +
                          "       06.12.2026   09:05:00\r\n"
                          "MINCOVKA\r\n" + rule + "\r\n" +
                          "  1 EUR x       0 ks =       0.00 EUR\r\n"
                          "500 EUR x       3 ks =    1500.00 EUR\r\n"
                          "10 Cent x      12 ks =       1.20 EUR\r\n"
                          "50 Cent x       1 ks =       0.50 EUR\r\n" + rule + "\r\n" +
                          "            Spolu:        1501.70 EUR\r\n" + rule +
                          "\r\n\r\n\n\n\n\n\n\n" + E + "i\x0c");
  // The preview holds neither the feed lines nor ESC "i".
  EXPECT_EQ(out.preview.size(), 12u);
  EXPECT_EQ(out.preview.back(), "\x0c");
}

TEST(CashCount, EveryDenominationHasItsLabelAndValue) {
  CashCountFields fields;
  fields.fill("2");
  test::RecordingTillOutput out;
  ASSERT_EQ(PrintCashCount(out, fields, Texts()).outcome, CashCountResult::Printed);
  const char* lines[] = {
      "  1 EUR x       2 ks =       2.00", "  2 EUR x       2 ks =       4.00",
      "  5 EUR x       2 ks =      10.00", " 10 EUR x       2 ks =      20.00",
      " 20 EUR x       2 ks =      40.00", " 50 EUR x       2 ks =     100.00",
      "100 EUR x       2 ks =     200.00", "200 EUR x       2 ks =     400.00",
      "500 EUR x       2 ks =    1000.00", " 1 Cent x       2 ks =       0.02",
      " 2 Cent x       2 ks =       0.04", " 5 Cent x       2 ks =       0.10",
      "10 Cent x       2 ks =       0.20", "20 Cent x       2 ks =       0.40",
      "50 Cent x       2 ks =       1.00"};
  size_t at = 0;
  for (const char* line : lines) {
    at = out.port.find(std::string(line) + " EUR\r\n", at);
    EXPECT_NE(at, std::string::npos) << line;
  }
  EXPECT_NE(out.port.find("1777.76 EUR\r\n"), std::string::npos);
}

TEST(CashCount, CountThatIsNotWholeStopsBeforeAnythingIsSent) {
  for (const char* bad : {"1.5", "2.", "x"}) {
    CashCountFields fields;
    fields[0] = "4";
    fields[9] = bad;
    test::RecordingTillOutput out;
    const CashCountResult result = PrintCashCount(out, fields, Texts());
    EXPECT_EQ(result.outcome, CashCountResult::BadCount) << bad;
    EXPECT_EQ(result.field, 9);
    EXPECT_TRUE(out.port.empty());
  }
}

TEST(CashCount, PortFailureStopsTheReport) {
  CashCountFields fields;
  fields[0] = "1";
  test::RecordingTillOutput out;
  out.fail_after = 2;
  EXPECT_EQ(PrintCashCount(out, fields, Texts()).outcome, CashCountResult::SendFailed);
  EXPECT_EQ(out.writes, 2);
}

TEST(NumberText, PointAsDecimalSeparatorUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* comma_locale = nullptr;
  for (const char* name : {"sk_SK.UTF-8", "sk_SK.utf8", "de_DE.UTF-8", "cs_CZ.UTF-8"})
    if (std::setlocale(LC_ALL, name)) {
      comma_locale = name;
      break;
    }
  if (!comma_locale) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const std::string fixed = FormatFixed(-1234.5, 10, 2);
  const auto line = ItemLineText(Item("x", 2000, 125, 250, '1', 'N'), false, "EUR");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(fixed, "  -1234.50");
  ASSERT_TRUE(line);
  EXPECT_NE(line->find("2.00 x     1.25"), std::string::npos);
}

}  // namespace
}  // namespace kv
