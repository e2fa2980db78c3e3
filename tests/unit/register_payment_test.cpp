// The payment window's arithmetic and the key filters of the till's edits.
#include "register/payment_calc.h"

#include <gtest/gtest.h>

#include "register/key_filters.h"
#include "register/money.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

TEST(PaymentCalc, TendersSettleTheTotalWithChangeOffCash) {
  struct Case {
    int64_t total;
    const char* cash;
    int tender;
    const char* other;
    const char* caption;
    int64_t tender1, chosen, paid;
  } cases[] = {
      {1230, "20", 1, "", "[64]", 1230, 0, 2000},
      {1230, "", 1, "12.30", "[64]", 0, 1230, 1230},
      {1230, "10", 1, "5", "[64]", 730, 500, 1500},
      {1230, "", 1, "15", "[64]", -270, 1500, 1500},
      {1230, "12", 1, "", "[63]", 1200, 0, 1200},
      {1230, "12.30", 0, "5", "[64]", 1230, 0, 1230},  // cash chosen: the other field is ignored
      {1230, "2.30", 3, "10", "[64]", 230, 1000, 1230},
      {107, "0.01", 1, "1.06", "[64]", 1, 106, 107},
      {15000001, "150000.01", 1, "", "[64]", 15000001, 0, 15000001},
      // No amount of two decimals within the limit: refused, never rounded.
      {1230, "12.305", 1, "", "[242]", 0, 0, 0},
      {1230, "", 1, "100000000", "[242]", 0, 0, 0},
      {1230, "12.30", 1, "x", "[242]", 0, 0, 0},
  };
  MessageTable messages = test::NumberedMessages();
  for (const auto& c : cases) {
    PaymentCalc calc(messages);
    calc.FormShow(c.total);
    calc.ChooseTender(c.tender);
    const bool accepted = std::string(c.caption) == "[64]";
    EXPECT_EQ(calc.BitBtn_okClick(c.cash, c.other), accepted) << c.cash << " " << c.other;
    EXPECT_EQ(calc.Caption(), c.caption);
    const Payment& p = calc.Result();
    EXPECT_EQ(p.tenders[0], c.tender1) << c.cash << " " << c.other;
    EXPECT_EQ(p.paid, accepted ? c.paid : p.paid);
    for (int i = 1; i < kTenders; ++i) {
      EXPECT_EQ(p.tenders[i], i == c.tender ? c.chosen : 0) << i;
    }
  }
}

TEST(PaymentCalc, ShowProposesTheTotalAndCashClosesTheOtherField) {
  MessageTable messages = test::NumberedMessages();
  PaymentCalc calc(messages);
  calc.FormShow(50);
  EXPECT_EQ(calc.CashText(), "0.50");
  EXPECT_EQ(calc.TenderIndex(), 1);
  EXPECT_TRUE(calc.OtherAmountEnabled());
  calc.BitBtn_okClick("0.50", "7");
  calc.ChooseTender(0);
  EXPECT_FALSE(calc.OtherAmountEnabled());
  EXPECT_EQ(calc.OtherText(), "");
  // After the change the receipt shows total minus paid: the change as a negative figure.
  calc.FormShow(1230);
  calc.BitBtn_okClick("20", "");
  EXPECT_EQ(FormatCents(1230 - calc.Result().paid, 12), "       -7.70");
  // The field that is no amount is the one named.
  calc.ChooseTender(2);
  EXPECT_FALSE(calc.BitBtn_okClick("20", "1.234"));
  EXPECT_EQ(calc.BadField(), PaymentCalc::Field::Other);
}

TEST(KeyFilters, WhatEachFieldTakes) {
  using V = KeyVerdict;
  const V ok{V::Accept, 0}, no{V::Refuse}, enter{V::Enter}, point{V::Accept, '.'};
  enum Field { SaleCode, SalePrice, SaleDiscount, Amount, Payment, ListPrice };
  struct Case {
    Field field;
    const char* text;
    size_t caret, selected;
    char key;
    V expected;  // Accept with key 0 means: the key itself
  } cases[] = {
      {SaleCode, "12", 2, 0, '7', ok},       {SaleCode, "12", 2, 0, 'a', no},
      {SaleCode, "", 0, 0, '%', ok},         {SaleCode, "", 0, 0, kKeyEnter, enter},
      {SalePrice, "", 0, 0, '*', no},        {SalePrice, "3", 1, 0, '*', ok},
      {SalePrice, "3*1", 3, 0, '*', no},     {SalePrice, "", 0, 0, '-', ok},
      {SalePrice, "3", 1, 0, '-', no},       {SalePrice, "-3", 0, 0, '-', no},
      {SalePrice, "1.5*2", 5, 0, ',', point}, {SalePrice, "1.5*2", 2, 0, '.', no},
      {SalePrice, "1.5", 3, 0, '.', no},     {SalePrice, "1", 1, 0, kKeyBackspace, ok},
      {SalePrice, "1", 1, 0, kKeyEnter, enter}, {SalePrice, "1", 1, 0, 'x', no},
      {SaleDiscount, "1", 1, 0, '5', ok},    {SaleDiscount, "1", 1, 0, '.', no},
      {SaleDiscount, "", 0, 0, '-', no},
      {Amount, "10", 2, 0, ',', point},      {Amount, "1.5", 3, 0, '.', no},
      {Amount, "1.55", 4, 0, '5', ok},       {Amount, "1", 1, 0, kKeyTab, ok},
      {Payment, "1.25", 4, 0, '5', no},      {Payment, "1.25", 3, 1, '5', ok},
      {Payment, "1.2", 3, 0, '5', ok},       {Payment, "", 0, 0, '.', no},
      {Payment, "5", 1, 0, ',', point},      {Payment, "5.1", 3, 0, '.', no},
      {Payment, "5", 1, 0, '-', no},         {Payment, "5", 1, 0, kKeyEnter, enter},
      {ListPrice, "1.25", 0, 0, '9', ok},    {ListPrice, "1.25", 4, 0, '9', no},
      {ListPrice, "1", 1, 0, '-', no},       {ListPrice, "", 0, 0, ',', no},
  };
  for (const auto& c : cases) {
    const EditText edit{c.text, c.caret, c.selected};
    V got = no;
    switch (c.field) {
      case SaleCode: got = SaleCodeKey(c.key); break;
      case SalePrice: got = SalePriceKey(edit, c.key, false); break;
      case SaleDiscount: got = SalePriceKey(edit, c.key, true); break;
      case Amount: got = AmountKey(edit, c.key); break;
      case Payment: got = PaymentAmountKey(edit, c.key); break;
      case ListPrice: got = PriceListPriceKey(edit, c.key); break;
    }
    V expected = c.expected;
    if (expected.action == V::Accept && expected.key == 0) expected.key = c.key;
    EXPECT_EQ(got, expected) << "field " << c.field << " text '" << c.text << "' caret "
                             << c.caret << " key " << int(c.key);
  }
  EXPECT_TRUE(NegativeChoiceEnabled("-3*1.5"));
  EXPECT_FALSE(NegativeChoiceEnabled("3*1.5"));
}

}  // namespace
}  // namespace kv
