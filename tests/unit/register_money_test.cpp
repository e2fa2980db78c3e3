// Money in whole cents: amounts read from their digits, line amounts rounded once, and a printed
// receipt whose item lines add up to its total, settled exactly by its payments.
#include "register/money.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "register/sale_model.h"
#include "support/printed_receipt.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

TEST(Money, ReadFromDigitsAndWrittenBack) {
  using R = FixedPoint;
  struct Case {
    const char* text;
    int decimals;
    int64_t max;
    R::Refusal refusal;
    int64_t value;
  } cases[] = {
      {"150000.01", 2, kMaxAmountCents, R::None, 15000001},
      {" 0.29 ", 2, kMaxAmountCents, R::None, 29},
      {"-4.5", 2, kMaxAmountCents, R::None, -450},
      {"2.", 2, kMaxAmountCents, R::None, 200},
      {".5", 3, kMaxQuantityMilli, R::None, 500},
      {"1.500", 2, kMaxAmountCents, R::None, 150},
      {"99999999.99", 2, kMaxAmountCents, R::None, 9999999999},
      {"100000000.00", 2, kMaxAmountCents, R::TooLarge, 0},
      {"99999999999999999999999", 2, kMaxAmountCents, R::TooLarge, 0},
      {"0.004", 2, kMaxAmountCents, R::TooManyDecimals, 0},
      {"1.2345", 3, kMaxQuantityMilli, R::TooManyDecimals, 0},
      {"", 2, kMaxAmountCents, R::Empty, 0},
      {".", 2, kMaxAmountCents, R::NotANumber, 0},
      {"-", 2, kMaxAmountCents, R::NotANumber, 0},
      {"1e5", 2, kMaxAmountCents, R::NotANumber, 0},
      {"1,5", 2, kMaxAmountCents, R::NotANumber, 0},
      {"1.2.3", 2, kMaxAmountCents, R::NotANumber, 0},
      {"--1", 2, kMaxAmountCents, R::NotANumber, 0},
  };
  for (const Case& c : cases) {
    const FixedPoint read = ParseFixedPoint(c.text, c.decimals, c.max);
    EXPECT_EQ(read.refusal, c.refusal) << c.text;
    EXPECT_EQ(read.value, c.value) << c.text;
  }

  EXPECT_EQ(FormatCents(15000001, 11), "  150000.01");
  EXPECT_EQ(FormatCents(-5, 8), "   -0.05");
  EXPECT_EQ(FormatCents(9999999999, 12), " 99999999.99");
  EXPECT_EQ(FormatCents(-9999999999, 12), "-99999999.99");
  EXPECT_EQ(FormatFixedPoint(1005, 3, 8, 2), "    1.01");   // half away from zero
  EXPECT_EQ(FormatFixedPoint(-1005, 3, 8, 2), "   -1.01");
  EXPECT_EQ(FormatFixedPoint(-4, 3, 6, 2), "  0.00");      // no negative zero
  EXPECT_EQ(FormatCentsShort(13), "0.13");
  EXPECT_EQ(FormatCentsShort(150), "1.5");
  EXPECT_EQ(FormatCentsShort(200), "2");
}

TEST(Money, LineAndDiscountRoundedOnceHalfAwayFromZero) {
  EXPECT_EQ(LineCents(1500, 99), 149);              // 1.485
  EXPECT_EQ(LineCents(-1500, 99), -149);
  EXPECT_EQ(LineCents(500, 199), 100);              // 0.995
  EXPECT_EQ(LineCents(1000000, 1999), 1999000);     // 1000 x 19.99
  EXPECT_EQ(LineCents(100000, 1234567), 123456700); // 100 x 12345.67
  EXPECT_EQ(LineCents(kMaxQuantityMilli, kMaxUnitPriceCents), 9999999800000);
  EXPECT_EQ(DiscountCents(299, 15), -45);           // 0.4485
  EXPECT_EQ(DiscountCents(300, 10), -30);
  EXPECT_EQ(DiscountCents(1, 49), 0);
  EXPECT_EQ(StoredPriceCents(0.125), 13);
  EXPECT_EQ(StoredPriceCents(1.005), 101);  // stored as 1.00499..., the editor's 1.005
  EXPECT_EQ(StoredPriceCents(999999.99), 99999999);
  EXPECT_FALSE(StoredPriceCents(1000000.0));
  EXPECT_FALSE(StoredPriceCents(-0.01));
  EXPECT_FALSE(StoredPriceCents(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(StoredPriceCents(std::numeric_limits<double>::infinity()));
}

class TillMoneyTest : public ::testing::Test, protected test::SaleRig {
 protected:
  // Enters `prices` ("quantity*price" as typed), pays with cash and perhaps a card, and reads
  // what the printer received.
  struct Outcome {
    SaleModel::AddOutcome refused = SaleModel::AddOutcome::Added;  // the first refusal
    bool printed = false;
    test::PrintedReceipt receipt;
  };
  Outcome Sell(const std::vector<std::string>& prices, const std::string& cash,
               const std::string& card) {
    Outcome outcome;
    for (const std::string& price : prices) {
      const SaleModel::AddOutcome added = sale.AddItem({"", "Tovar", price, 0, 0});
      if (added != SaleModel::AddOutcome::Added && outcome.refused == SaleModel::AddOutcome::Added)
        outcome.refused = added;
    }
    const auto pay = [&](int64_t total) -> std::optional<Payment> {
      PaymentCalc calc(messages);
      calc.FormShow(total);
      calc.ChooseTender(1);
      if (!calc.BitBtn_okClick(cash.empty() ? calc.CashText() : cash, card)) return std::nullopt;
      return calc.Result();
    };
    outcome.printed = sale.PrintReceipt(true, pay) == SaleModel::PrintOutcome::Printed;
    outcome.receipt = test::ReadPrintedReceipt(out.port);
    out.port.clear();
    return outcome;
  }

};

TEST_F(TillMoneyTest, PrintedLinesTotalAndPaymentsAgreeToTheCent) {
  // A price list article stored as 0.125 sells at the price it shows.
  std::vector<TPriceCard> cards(1);
  cards[0].name = "Klinec";
  cards[0].code = "0125";
  cards[0].price = 0.125;
  ASSERT_TRUE(WritePriceFile(dir / "cennik.bin", cards));
  sale.FormShow("EUR", false);
  const std::string listed = "3*" + sale.FindByCode("0125")->price;

  using A = SaleModel::AddOutcome;
  struct Case {
    std::vector<std::string> prices;
    std::string cash, card;
    A refused;
    const char* total;                  // as the total line prints it
    std::vector<const char*> payments;  // as the payment lines print them
  } cases[] = {
      {{"1.5*0.99"}, "", "", A::Added, "        1.49", {"        1.49"}},
      {{"1.5*0.99", "150000.01"}, "200000", "", A::Added, "   150001.50", {"   150001.50"}},
      {{"131072.01"}, "", "", A::Added, "   131072.01", {"   131072.01"}},
      {{"1000*19.99"}, "20000", "", A::Added, "    19990.00", {"    19990.00"}},
      {{"0.5*1.99"}, "0.50", "0.50", A::Added, "        1.00", {"        0.50", "        0.50"}},
      {{"100*12345.67"}, "", "", A::Added, "  1234567.00", {"  1234567.00"}},
      {{"2*1.25"}, "", "", A::Added, "        2.50", {"        2.50"}},
      {{listed}, "", "", A::Added, "        0.39", {"        0.39"}},
      // A split that equals the total to the cent is accepted and sent as typed.
      {{"0.07", "1"}, "0.01", "1.06", A::Added, "        1.07", {"        0.01", "        1.06"}},
      // Each limit, and one cent over it (refused; the receipt holds what came before).
      {{"10.021*997904.40"}, "", "", A::Added, "  9999999.99", {"  9999999.99"}},
      {{"1", "10.001*999900.01"}, "", "", A::LineOverLimit, "        1.00", {"        1.00"}},
      {{"99999.999*999999.99"}, "", "", A::LineOverLimit, "", {}},
      {{"0.01", "1000000", "999999.991"}, "", "", A::PriceOverLimit, "        0.01", {"        0.01"}},
      {{"99999.999*0.01", "100000*0.01"}, "", "", A::QuantityOverLimit, "     1000.00",
       {"     1000.00"}},
      {{"10*999999.99", "10*999999.99", "10*999999.99", "10*999999.99", "10*999999.99",
        "10*999999.99", "10*999999.99", "10*999999.99", "10*999999.99", "10*999999.99", "0.99",
        "0.01"},
       "", "", A::TotalOverLimit, " 99999999.99", {" 99999999.99"}},
  };
  for (const Case& c : cases) {
    const std::string what = c.prices.front() + " ... " + c.prices.back();
    const Outcome outcome = Sell(c.prices, c.cash, c.card);
    EXPECT_EQ(outcome.refused, c.refused) << what;
    if (!*c.total) {
      EXPECT_FALSE(outcome.printed) << what;
      continue;
    }
    ASSERT_TRUE(outcome.printed) << what;
    const test::PrintedReceipt& r = outcome.receipt;
    EXPECT_TRUE(r.well_formed) << what;
    EXPECT_EQ(FormatCents(r.total, 12), c.total) << what;
    EXPECT_EQ(r.LineSum(), r.total) << what;
    EXPECT_EQ(r.PaymentSum(), r.total) << what;
    std::vector<std::string> payments;
    for (const int64_t payment : r.payments) payments.push_back(FormatCents(payment, 12));
    EXPECT_EQ(payments, std::vector<std::string>(c.payments.begin(), c.payments.end())) << what;
  }
}

TEST_F(TillMoneyTest, AThousandLinesOfNineteenNinetyNine) {
  const Outcome outcome = Sell(std::vector<std::string>(1000, "19.99"), "20000", "");
  ASSERT_TRUE(outcome.printed);
  ASSERT_EQ(outcome.receipt.lines.size(), 1000u);
  EXPECT_EQ(FormatCents(outcome.receipt.total, 12), "    19990.00");
  EXPECT_EQ(outcome.receipt.LineSum(), outcome.receipt.total);
  EXPECT_EQ(FormatCents(sale.ShownAfterPrint(), 12), "      -10.00");  // the change
}

// Random receipts: prices and quantities of every size the till takes, negative entries,
// discounts and deletions. Whatever is entered, the printed item lines add up to the printed
// total and the payment lines settle it.
TEST_F(TillMoneyTest, RandomReceiptsAlwaysAddUp) {
  std::mt19937_64 random(4910);
  const auto below = [&random](int64_t n) {
    return static_cast<int64_t>(random() % static_cast<uint64_t>(n));
  };
  // Sizes spread over the decades: 0.01 ... 999,999.99 and 0.001 ... 999.999.
  const auto price = [&] {
    const int64_t decade[] = {100, 1'000, 10'000, 100'000, 1'000'000, 100'000'000};
    return 1 + below(decade[below(6)] - 1);
  };
  const auto quantity = [&] {
    const int64_t decade[] = {1'000, 1'000, 10'000, 1'000'000};
    const int64_t q = 1 + below(decade[below(4)] - 1);
    return below(2) ? q : q / 1000 * 1000 + 1000;  // half of them whole
  };
  int printed = 0;
  for (int receipt = 0; receipt < 2000; ++receipt) {
    const int64_t lines = 1 + below(300);
    for (int64_t i = 0; i < lines; ++i) {
      const int64_t roll = below(20);
      if (roll == 0 && sale.ItemCount() > 0) {
        sale.Select(static_cast<int>(below(sale.ItemCount())));
        sale.DeleteItem();
        continue;
      }
      if (roll == 1 && sale.BitBtn_zlavaClick()) {
        sale.AddItem({"", "Zlava", std::to_string(1 + below(99)), 0, 0});
        continue;
      }
      std::string text = FormatFixedPoint(quantity(), kQuantityDecimals, 0, 3) + "*" +
                         FormatCents(price(), 0);
      if (roll == 2) text = "-" + text;
      sale.AddItem({"", "Tovar", text, static_cast<int>(below(kVatLevels)),
                    static_cast<int>(below(2))});
    }
    if (!sale.ReceiptOpen()) continue;
    const int64_t total = sale.Total();
    // Cash of the total or more, or part of it in cash and the rest by a card.
    const std::string cash = FormatCents(total > 0 ? total + below(100'000) : 0, 0);
    const int64_t card = total > 0 ? below(total + 1) : 0;
    const auto pay = [&](int64_t due) -> std::optional<Payment> {
      PaymentCalc calc(messages);
      calc.FormShow(due);
      calc.ChooseTender(1 + static_cast<int>(below(kTenders - 1)));
      const bool split = below(2);
      if (!calc.BitBtn_okClick(split ? FormatCents(due - card, 0) : cash,
                               split ? FormatCents(card, 0) : ""))
        return std::nullopt;
      return calc.Result();
    };
    ASSERT_EQ(sale.PrintReceipt(true, pay), SaleModel::PrintOutcome::Printed) << receipt;
    const test::PrintedReceipt r = test::ReadPrintedReceipt(out.port);
    out.port.clear();
    ASSERT_TRUE(r.well_formed) << receipt;
    ASSERT_EQ(r.total, total) << receipt;
    ASSERT_EQ(r.LineSum(), r.total) << receipt;
    ASSERT_EQ(r.PaymentSum(), r.total) << receipt;
    ++printed;
  }
  EXPECT_GT(printed, 1900);
}

}  // namespace
}  // namespace kv
