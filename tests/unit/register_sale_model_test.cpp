// The sale screen's logic: items, discounts, deletions, totals and closing a receipt, checked
// on the bytes that reach the printer.
#include <gtest/gtest.h>

#include "lang/message_file.h"
#include "register/sale_model.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

using test::E;

class SaleModelTest : public ::testing::Test, protected test::SaleRig {
 protected:
  SaleModel::AddOutcome Add(const std::string& price, int level = 0,
                            const std::string& name = "Mlieko", int kind = 0) {
    return sale.AddItem({"", name, price, level, kind});
  }
  // Cash as the payment window proposes it: the exact total.
  static std::optional<Payment> PayExactCash(int64_t total) {
    MessageTable messages;
    PaymentCalc calc(messages);
    calc.FormShow(total);
    if (!calc.BitBtn_okClick(calc.CashText(), "")) return std::nullopt;
    return calc.Result();
  }
  std::string Sent() {
    std::string sent;
    sent.swap(out.port);
    return sent;
  }

};

TEST_F(SaleModelTest, ReceiptOfOneItemPaidInCashByteForByte) {
  ASSERT_EQ(Add("2*1.25"), SaleModel::AddOutcome::Added);
  EXPECT_TRUE(sale.ReceiptOpen());
  EXPECT_EQ(sale.TotalText(), "        2.50");
  ASSERT_EQ(sale.PrintReceipt(true, PayExactCash), SaleModel::PrintOutcome::Printed);
  EXPECT_EQ(out.port, E + "b" + "Mlieko         \r\n" + "    2.00 x     1.25  " + E +
                          "1       2.50 EUR\r\n" + E + "k        2.50 EUR\r\n" + E +
                          "P1        2.50\r\n" + E + "e");
  EXPECT_EQ(printer.device_records, 1);
  EXPECT_EQ(printer.receipts_sent, 1);
  EXPECT_FALSE(sale.ReceiptOpen());
  EXPECT_EQ(sale.ItemCount(), 0);
  EXPECT_EQ(sale.ShownAfterPrint(), 0);
  // F12 with no open receipt does nothing.
  EXPECT_EQ(sale.PrintReceipt(true, PayExactCash), SaleModel::PrintOutcome::NothingOpen);
  EXPECT_EQ(printer.device_records, 1);
}

TEST_F(SaleModelTest, InvoiceOpensTheReceiptOnceAndIsFixedWhileOpen) {
  sale.SetInvoice(true);
  Add("1");
  EXPECT_FALSE(sale.InvoiceChoiceEnabled());
  Add("2");
  const std::string sent = Sent();
  EXPECT_EQ(sent.rfind(E + "B", 0), 0u);
  EXPECT_EQ(sent.find(E + "b"), std::string::npos);
  EXPECT_EQ(sent.find(E + "B", 1), std::string::npos);
  sale.PrintReceipt(false, nullptr);
  EXPECT_TRUE(sale.InvoiceChoiceEnabled());
  EXPECT_FALSE(sale.Invoice());
  Sent();
  Add("1");
  EXPECT_EQ(Sent().rfind(E + "b", 0), 0u);
}

TEST_F(SaleModelTest, EntriesGiveQuantityPriceLettersOrNothing) {
  using A = SaleModel::AddOutcome;
  struct Case {
    const char* price;
    int level, kind;
    A outcome;
    int64_t quantity_milli = 0, unit_price_cents = 0, line_cents = 0;
    char vat = 0, type = 0;
  } cases[] = {
      {"3*1.5", 0, 0, A::Added, 3000, 150, 450, '1', 'N'},
      {"-3*1.5", 0, 0, A::Added, -3000, 150, -450, '4', 'C'},
      {"-3*1.5", 1, 1, A::Added, -3000, 150, -450, '5', 'A'},
      {"-5", 2, 0, A::Added, -1000, 500, -500, '6', 'C'},
      {"1,5", 4, 0, A::Added, 1000, 150, 150, '0', 'N'},
      {"1.5*0.99", 0, 0, A::Added, 1500, 99, 149, '1', 'N'},     // 1.485 rounds up once
      {"0.333*3", 3, 0, A::Added, 333, 300, 100, '7', 'N'},      // 0.999
      {"99999.999*0.01", 0, 0, A::Added, 99999999, 1, 100000, '1', 'N'},
      {"1*999999.99", 0, 0, A::Added, 1000, 99999999, 99999999, '1', 'N'},
      {"0.001*0.01", 0, 0, A::ZeroLineSum},                      // 0.00001 rounds to nothing
      {"1.0000*2.500", 0, 0, A::Added, 1000, 250, 250, '1', 'N'}, // trailing zeros carry nothing
      {"3*0.333", 0, 0, A::PriceOverLimit},                       // refused, never rounded
      {"1*1000000", 0, 0, A::PriceOverLimit},
      {"0.0005*1", 0, 0, A::QuantityOverLimit},
      {"100000*1", 0, 0, A::QuantityOverLimit},
      {"10*999999.99", 0, 0, A::Added, 10000, 99999999, 999999990, '1', 'N'},
      {"11*999999.99", 0, 0, A::LineOverLimit},
      {"0", 0, 0, A::BadPrice},
      {"abc", 0, 0, A::BadPrice},
      {"*5", 0, 0, A::BadPrice},
      {"0*5", 0, 0, A::ZeroLineSum},
      {"2*1.5", -1, 0, A::NoVatLevel},
  };
  for (const auto& c : cases) {
    test::RecordingTillOutput port;
    SaleModel fresh(port, printer, prices, messages);
    ASSERT_EQ(fresh.AddItem({"", "x", c.price, c.level, c.kind}), c.outcome) << c.price;
    if (c.outcome != A::Added) {
      EXPECT_TRUE(port.port.empty()) << c.price;
      EXPECT_EQ(fresh.ItemCount(), 0);
      continue;
    }
    const TSaleItem& item = fresh.Item(0);
    EXPECT_EQ(item.quantity_milli, c.quantity_milli) << c.price;
    EXPECT_EQ(item.unit_price_cents, c.unit_price_cents) << c.price;
    EXPECT_EQ(item.line_cents, c.line_cents) << c.price;
    EXPECT_EQ(item.vat_letter, c.vat) << c.price;
    EXPECT_EQ(item.type_letter, c.type) << c.price;
  }
}

TEST_F(SaleModelTest, DiscountOnTheLastItem) {
  Add("3.00", 1);
  ASSERT_TRUE(sale.ZlavaEnabled());
  ASSERT_TRUE(sale.BitBtn_zlavaClick());
  Sent();
  ASSERT_EQ(Add("10", 0, "Zlava"), SaleModel::AddOutcome::Added);
  EXPECT_EQ(Sent(), "Zlava  10 %        " + std::string("  ") + E + "5B      -0.30 EUR\r\n");
  EXPECT_FALSE(sale.DiscountMode());
  EXPECT_FALSE(sale.BitBtn_zlavaClick());  // not on a discount

  Add("2.99");
  sale.BitBtn_zlavaClick();
  Add("15", 0, "Zlava");
  EXPECT_EQ(sale.Item(3).line_cents, -45);  // 15 % of 2.99 = 0.4485
  EXPECT_EQ(sale.TotalText(), "        5.24");

  Add("4", 4);  // level 5 takes no discount
  EXPECT_FALSE(sale.ZlavaEnabled());
  EXPECT_FALSE(sale.BitBtn_zlavaClick());
  Add("-4");  // nor does a negative item
  EXPECT_FALSE(sale.BitBtn_zlavaClick());
}

TEST_F(SaleModelTest, DiscountModeEndsWhenNothingOrNoItemIsLeftToReduce) {
  Add("0.10");
  sale.BitBtn_zlavaClick();
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::ZeroLineSum);
  EXPECT_FALSE(sale.DiscountMode());
  Add("1");
  EXPECT_EQ(sale.Item(1).type_letter, kTypePlain);

  // The item was deleted while the percentage was being typed.
  sale.BitBtn_zlavaClick();
  sale.Select(1);
  sale.DeleteItem();
  sale.DeleteItem();
  const size_t sent = out.port.size();
  EXPECT_EQ(Add("10"), SaleModel::AddOutcome::DiscountRefused);
  EXPECT_FALSE(sale.DiscountMode());
  EXPECT_EQ(out.port.size(), sent);
}

TEST_F(SaleModelTest, DiscountKeepsItsPercentageWhenTheNameIsLong) {
  Add("5");
  sale.BitBtn_zlavaClick();
  Add("15", 0, std::string(60, 'n'));
  const std::string_view name = sale.Item(1).name.view();
  EXPECT_EQ(name.size(), 39u);
  EXPECT_EQ(name.substr(33), "  15 %");
}

TEST_F(SaleModelTest, DeletingAnItemTakesItsDiscountWithIt) {
  Add("3.00", 1);
  sale.BitBtn_zlavaClick();
  Add("10", 0, "Zlava");
  Add("1.00", 2);
  Sent();

  sale.Select(1);  // the discount alone cannot be deleted
  EXPECT_EQ(sale.DeleteItem(), SaleModel::DeleteOutcome::NotDeletable);
  sale.Select(0);
  ASSERT_EQ(sale.DeleteItem(), SaleModel::DeleteOutcome::Deleted);
  EXPECT_EQ(Sent(), "Mlieko         \r\n   -1.00 x     3.00  " + E + "5D      -3.00 EUR\r\n" +
                        "Zlava  10 %          " + E + "2       0.30 EUR\r\n");
  ASSERT_EQ(sale.ItemCount(), 1);
  EXPECT_EQ(sale.Item(0).unit_price_cents, 100);
  EXPECT_EQ(sale.TotalText(), "        1.00");

  // Deleting the last item leaves the receipt open; printing it sends a zero total.
  sale.Select(5);
  EXPECT_EQ(sale.Selected(), 0);
  sale.DeleteItem();
  EXPECT_TRUE(sale.ReceiptOpen());
  EXPECT_EQ(sale.DeleteItem(), SaleModel::DeleteOutcome::NoReceipt);
  Sent();
  sale.PrintReceipt(true, [](int64_t) -> std::optional<Payment> {
    ADD_FAILURE() << "no payment window for a zero total";
    return std::nullopt;
  });
  EXPECT_EQ(Sent(), E + "k        0.00 EUR\r\n" + E + "e");
}

TEST_F(SaleModelTest, PaymentDecidesWhetherTheReceiptCloses) {
  Add("12.30");
  EXPECT_EQ(sale.PrintReceipt(true, [](int64_t) { return std::optional<Payment>(); }),
            SaleModel::PrintOutcome::PaymentNotAccepted);
  EXPECT_TRUE(sale.ReceiptOpen());
  Sent();
  Payment change;
  change.tenders = {1230};
  change.paid = 2000;
  ASSERT_EQ(sale.PrintReceipt(true, [&](int64_t) { return std::optional<Payment>(change); }),
            SaleModel::PrintOutcome::Printed);
  EXPECT_NE(Sent().find(E + "P1       12.30\r\n"), std::string::npos);
  EXPECT_EQ(sale.ShownAfterPrint(), -770);

  // A negative total, or payment switched off, puts the whole total on tender 1.
  for (bool platidla : {true, false}) {
    Add(platidla ? "-5" : "5");
    sale.PrintReceipt(platidla, nullptr);
    EXPECT_NE(Sent().find(E + (platidla ? "P1       -5.00" : "P1        5.00")), std::string::npos);
  }
}

TEST_F(SaleModelTest, PrinterThatIsNotReadyTakesNoItem) {
  printer.ready = false;
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::PrinterNotReady);
  printer.ready = true;
  printer.blocked = true;
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::PrinterCondition);
  EXPECT_EQ(printer.reporting_queries, 1);
  EXPECT_TRUE(out.port.empty());
  EXPECT_FALSE(sale.ReceiptOpen());
}

TEST_F(SaleModelTest, TheTillHoldsThePrinterFromTheFirstItemUntilTheReceiptIsPrinted) {
  using A = SaleModel::AddOutcome;
  // Entries that open nothing give the printer back at once.
  EXPECT_EQ(Add("0"), A::BadPrice);
  printer.ready = false;
  EXPECT_EQ(Add("1"), A::PrinterNotReady);
  printer.ready = true;
  EXPECT_FALSE(printer.held);

  ASSERT_EQ(Add("1"), A::Added);
  ASSERT_EQ(Add("2"), A::Added);
  sale.Select(0);
  ASSERT_EQ(sale.DeleteItem(), SaleModel::DeleteOutcome::Deleted);
  const auto refused = [](int64_t) { return std::optional<Payment>(); };
  EXPECT_EQ(sale.PrintReceipt(true, refused), SaleModel::PrintOutcome::PaymentNotAccepted);
  EXPECT_TRUE(printer.held);
  EXPECT_EQ(printer.takes, 3);  // the two refused entries and the receipt
  EXPECT_EQ(sale.PrintReceipt(true, PayExactCash), SaleModel::PrintOutcome::Printed);
  EXPECT_FALSE(printer.held);

  // Each document of the other pages takes the printer for itself.
  EXPECT_EQ(sale.PrintDepositWithdrawal(false, {"5"}).outcome, SaleModel::PrintOutcome::Printed);
  EXPECT_FALSE(printer.held);
  EXPECT_EQ(printer.takes, 4);
}

TEST_F(SaleModelTest, APrinterHeldByAnotherExchangeTakesNothingFromTheTill) {
  printer.busy = true;
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::PrinterBusy);
  EXPECT_EQ(sale.PrintDepositWithdrawal(false, {"5"}).outcome,
            SaleModel::PrintOutcome::PrinterBusy);
  EXPECT_EQ(sale.PrintCashCount({"1"}, "1.1.2026", "10:00:00").outcome,
            CashCountResult::PrinterBusy);
  EXPECT_EQ(printer.quiet_queries, 0);
  EXPECT_TRUE(out.port.empty());
  EXPECT_FALSE(sale.ReceiptOpen());
}

TEST_F(SaleModelTest, PortFailureAddsOrDeletesNothing) {
  // An opening that did not reach the printer opens nothing: the next item sends it again.
  out.fail_after = 0;
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::NotSent);
  EXPECT_FALSE(sale.ReceiptOpen());
  EXPECT_FALSE(printer.held);
  out.fail_after = -1;
  Add("1");
  EXPECT_EQ(out.port.rfind(E + "b", 0), 0u);
  out.fail_after = out.writes;
  EXPECT_EQ(Add("2"), SaleModel::AddOutcome::NotSent);
  EXPECT_EQ(sale.DeleteItem(), SaleModel::DeleteOutcome::NotSent);
  EXPECT_EQ(sale.ItemCount(), 1);
  EXPECT_EQ(sale.TotalText(), "        1.00");
  // A closing that does not go out is a failed receipt, not a sent one.
  EXPECT_EQ(sale.PrintReceipt(false, nullptr), SaleModel::PrintOutcome::NotSent);
  EXPECT_EQ(printer.receipts_failed, 1);
  EXPECT_EQ(printer.receipts_sent, 0);
}

TEST_F(SaleModelTest, TheThousandAndFirstItemIsRefused) {
  for (int i = 0; i < SaleModel::kCapacity; ++i) ASSERT_EQ(Add("1"), SaleModel::AddOutcome::Added);
  const size_t sent = out.port.size();
  EXPECT_EQ(Add("1"), SaleModel::AddOutcome::ReceiptFull);
  sale.BitBtn_zlavaClick();
  EXPECT_EQ(Add("10"), SaleModel::AddOutcome::ReceiptFull);
  EXPECT_EQ(out.port.size(), sent);
  EXPECT_EQ(sale.ItemCount(), SaleModel::kCapacity);
  EXPECT_EQ(sale.TotalText(), "     1000.00");
}

TEST_F(SaleModelTest, ShowingReadsThePrinterAndThePriceListForLookUps) {
  std::vector<TPriceCard> cards(2);
  cards[0].name = "Chlieb";
  cards[0].code = "123";
  cards[0].price = 1.5;
  cards.push_back(cards[0]);
  cards[2].code = "0125";
  cards[2].price = 0.125;  // sells at 0.13, half away from zero
  cards.push_back(cards[0]);
  cards[3].code = "bad";
  cards[3].price = -1;
  cards[0].vat_level = 1;
  cards[1].name = "Cudzie";
  cards[1].code = "9";
  cards[1].vat_level = 7;
  ASSERT_TRUE(WritePriceFile(dir / "cennik.bin", cards));
  printer.dkp = "DKP 42";

  const SaleModel::Shown shown = sale.FormShow("SKK", true);
  EXPECT_EQ(shown.vat_captions[0], "20%");
  EXPECT_EQ(shown.vat_captions[4], "0%");
  EXPECT_EQ(shown.dkp, "DKP 42");
  EXPECT_TRUE(shown.prices.read);

  const auto article = sale.FindByCode("123");
  ASSERT_TRUE(article);
  EXPECT_EQ(article->name, "Chlieb");
  EXPECT_EQ(article->price, "1.5");
  EXPECT_EQ(article->vat_level, 1);
  EXPECT_FALSE(sale.FindByCode("12"));
  EXPECT_EQ(sale.FindByCode("9")->vat_level, -1);  // the operator must choose the level
  EXPECT_EQ(sale.FindByCode("0125")->price, "0.13");
  EXPECT_FALSE(sale.FindByCode("bad")->sellable);
  EXPECT_TRUE(sale.FindByCode("123")->sellable);

  EXPECT_EQ(sale.SearchByName("Cu"), (std::vector<std::string>{"Cudzie"}));
  EXPECT_EQ(sale.MatchFields(0)->code, "9");
  EXPECT_FALSE(sale.MatchFields(1));

  Add("1.5", 1);
  EXPECT_NE(Sent().find(" SKK\r\n"), std::string::npos);
}

// A receipt with a discount and a cash count, printed with a shipped message file: the bytes
// that reach the printer.
std::string PrintedWith(const char* message_file) {
  test::SaleRig rig;
  EXPECT_EQ(ReadMessageFile(message_file, rig.messages), MessageFileStatus::Loaded)
      << message_file;
  rig.sale.AddItem({"", "Mlieko", "2*1.25", 0, 0});
  rig.sale.BitBtn_zlavaClick();
  rig.sale.AddItem({"", rig.messages.Text(69), "10", 0, 0});  // the name the window proposes
  rig.sale.PrintReceipt(false, [](int64_t) { return std::optional<Payment>(); });
  CashCountFields counts;
  counts[0] = "1";
  counts[2] = "2";
  rig.sale.PrintCashCount(counts, "1.1.2026", "10:00:00");
  return rig.out.port;
}

TEST(SaleInEachLanguage, OnlyTheDiscountNameAndTheCashCountsTwoTextsDiffer) {
  std::string slovak = PrintedWith("kv4910_sk.msg");
  std::string english = PrintedWith("kv4910_en.msg");
  ASSERT_FALSE(slovak.empty());
  const std::pair<std::string, std::string> texts[] = {
      {"Z\xBE"
       "ava  10 %          ",
       "Discount  10 %       "},
      {"             MINCOVKA", "            CASH COUNT"},
      {"Spolu v pokladni:", "   Total in till:"}};
  for (const auto& [sk, en] : texts) {
    ASSERT_NE(english.find(en), std::string::npos) << en;
    english.replace(english.find(en), en.size(), sk);
  }
  EXPECT_EQ(english, slovak);
}

}  // namespace
}  // namespace kv
