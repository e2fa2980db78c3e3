#include "register/sale_model.h"
#include "support/job_fixture.h"

// The till on the printer simulator through the print manager's link: a receipt built item by
// item, and what the rest of the program may do while it is open.

namespace kv::test {
namespace {

// The till's pieces straight to the port, without a preview.
class PortOutput final : public TillOutput {
 public:
  explicit PortOutput(TillPortWriter& port) : port_(port) {}
  void ClearPreview() override {}
  void AppendPreview(std::string_view) override {}
  bool WritePort(std::string_view bytes) override { return port_.WritePort(bytes); }

 private:
  TillPortWriter& port_;
};

class TillLinkTest : public JobTest {
 protected:
  TillLinkTest() {
    dir.Write("cennik.bin", "");  // an empty price list
    EXPECT_EQ(pm.link().InitPort(0), 1);
  }

  // Three items, the last one with a 10 % discount: 2.50 + 1.40 + 1.70 - 0.17.
  void OpenReceiptOfThreeItems() {
    sale.FormShow("EUR", true);
    ASSERT_EQ(sale.AddItem({"", "Mlieko", "2*1.25", 0, 0}), SaleModel::AddOutcome::Added);
    ASSERT_EQ(sale.AddItem({"", "Chlieb", "1.4", 1, 0}), SaleModel::AddOutcome::Added);
    ASSERT_EQ(sale.AddItem({"", "Maslo", "1.7", 1, 0}), SaleModel::AddOutcome::Added);
    ASSERT_TRUE(sale.BitBtn_zlavaClick());
    ASSERT_EQ(sale.AddItem({"", "Zlava", "10", 0, 0}), SaleModel::AddOutcome::Added);
    ASSERT_EQ(sale.TotalText(), "        5.43");
  }
  // Cash 3.00 and the rest by card.
  static std::optional<Payment> TwoTenders(int64_t total) {
    Payment payment;
    payment.tenders[0] = 300;
    payment.tenders[1] = total - 300;
    payment.paid = total;
    return payment;
  }

  PriceList prices{dir / "cennik.bin", pm.lang().messages(), boxes, nullptr};
  PortOutput out{pm.till()};
  SaleModel sale{out, pm.till(), prices, pm.lang().messages()};
};

TEST_F(TillLinkTest, AFileJobDroppedWhileAReceiptIsOpenPrintsAfterIt) {
  OpenReceiptOfThreeItems();
  EXPECT_TRUE(engine().DocumentOpen());
  EXPECT_EQ(pm.link().Holder(), TillLink::kHolder);

  WriteJob(Receipt());
  Tick();
  EXPECT_TRUE(JobFileExists());
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(Receipts(), 0);

  ASSERT_EQ(sale.PrintReceipt(true, TwoTenders), SaleModel::PrintOutcome::Printed);
  EXPECT_EQ(engine().state().document_number, 101u);
  EXPECT_EQ(pm.readouts().document_number(), 101);  // the device record after closing
  EXPECT_FALSE(pm.link().Leased());
  EXPECT_EQ(Receipts(), 1);
  const std::string paper = engine().TakePaper();
  EXPECT_NE(paper.find("CELKOM" + std::string(26, ' ') + "5.43 EUR"), std::string::npos);
  EXPECT_NE(paper.find("PLATBA 1 " + std::string(23, ' ') + "3.00"), std::string::npos);
  EXPECT_NE(paper.find("PLATBA 2 " + std::string(23, ' ') + "2.43"), std::string::npos);
  EXPECT_NE(paper.find("      -0.17"), std::string::npos);

  Tick();
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(Receipts(), 2);
  EXPECT_EQ(engine().state().document_number, 102u);
}

TEST_F(TillLinkTest, WhileAReceiptIsOpenAClientIsToldBusyAndItsStatusWaitsForTheClosing) {
  pm.config().spravy = true;
  FakeEndpoint* endpoint = &StartFakeMessaging();
  const uint32_t number = MessageNumberForName(pm.config().id_manager);
  OpenReceiptOfThreeItems();
  engine().ClearReceived();

  endpoint->queue = {{number, 0, 77, "/run/pos.sock"},
                     {number, 1, 0, "/run/pos.sock"},
                     {number, 3, 0, "/run/pos.sock"}};
  pm.Timer_msgTimer();
  ASSERT_EQ(endpoint->posted.size(), 2u);
  EXPECT_EQ(endpoint->posted[1].code, 1u);
  EXPECT_EQ(endpoint->posted[1].value, 2);
  EXPECT_EQ(Wire(), "");

  // The closing gives the printer back; the status question is answered then.
  ASSERT_EQ(sale.PrintReceipt(false, nullptr), SaleModel::PrintOutcome::Printed);
  ASSERT_EQ(endpoint->posted.size(), 3u);
  EXPECT_EQ(endpoint->posted[2].code, 3u);
  EXPECT_EQ(endpoint->posted[2].value, 1);
}

TEST_F(TillLinkTest, ClosingTheProgramIsRefusedWhileAReceiptIsOpenWithoutAskingThePrinter) {
  OpenReceiptOfThreeItems();
  engine().ClearReceived();
  boxes.Expect("[134]");
  EXPECT_FALSE(pm.FormCloseQuery());
  EXPECT_EQ(view.Get("Form_predaj.window"), "front");
  EXPECT_EQ(Wire(), "");
}

TEST_F(TillLinkTest, ASilentPrinterMayBeLeftWithTheReceiptOpenInIt) {
  OpenReceiptOfThreeItems();
  pm.config().UKONCI = 0;
  // As the sale window wires it: quitting asks the sale screen.
  pm.till().receipt_close_query = [this] {
    return sale.CloseQuery(boxes, [this](const std::string& line) { pm.files().LogError(line); });
  };
  // While the printer answers, the receipt has to be printed first.
  boxes.Expect("[134]");
  EXPECT_FALSE(pm.FormCloseQuery());

  // The printer goes silent. No keeps everything as it is.
  engine().faults().silent = true;
  boxes.Expect("[248]", BoxAnswer::No, BoxAnswer::No);
  EXPECT_FALSE(pm.FormCloseQuery());
  EXPECT_TRUE(sale.ReceiptOpen());
  EXPECT_EQ(sale.ItemCount(), 4);
  EXPECT_EQ(pm.link().Holder(), TillLink::kHolder);
  EXPECT_FALSE(dir.Exists("FM_err.txt") && dir.Read("FM_err.txt").find("[249]") != std::string::npos);

  // Yes notes the document and its lines, gives the printer back and lets the program go.
  boxes.Expect("[248]", BoxAnswer::Yes, BoxAnswer::No);
  EXPECT_TRUE(pm.FormCloseQuery());
  EXPECT_FALSE(pm.link().Leased());
  EXPECT_FALSE(sale.ReceiptOpen());
  EXPECT_EQ(sale.ItemCount(), 0);
  const std::string errors = dir.Read("FM_err.txt");
  for (const char* line : {") [249] 4, 5.43 EUR \r\n", ") 1: Mlieko 2.00 1.25 2.50 \r\n",
                           ") 3: Maslo 1.00 1.70 1.70 \r\n", ") 4: Zlava  10 % -0.17 \r\n"})
    EXPECT_NE(errors.find(line), std::string::npos) << line << "\n" << errors;

  // The document stays open in the printer: the next file job stops on it until it is closed
  // there.
  engine().faults().silent = false;
  EXPECT_TRUE(engine().DocumentOpen());
  WriteJob(Receipt());
  boxes.Expect("[151]");
  Tick();
  EXPECT_EQ(Receipts(), 0);
  engine().CloseDocument();
  EXPECT_EQ(Receipts(), 1);
  WriteJob(Receipt());
  Tick();
  EXPECT_FALSE(JobFileExists());
  EXPECT_EQ(Receipts(), 2);
}

TEST_F(TillLinkTest, AnotherExchangeKeepsTheTillOffThePrinter) {
  std::optional<PrinterLease> job = pm.link().TryLease("print job");
  boxes.Expect("[210]");
  EXPECT_EQ(sale.AddItem({"", "Mlieko", "1", 0, 0}), SaleModel::AddOutcome::PrinterBusy);
  // What showing reads comes from before; nothing is asked of the printer.
  engine().ClearReceived();
  EXPECT_EQ(sale.FormShow("EUR", true).dkp, "");
  EXPECT_FALSE(pm.till().WritePort("x"));
  EXPECT_EQ(Wire(), "");
  job.reset();

  EXPECT_EQ(sale.FormShow("EUR", true).dkp, engine().state().dkp);
  job = pm.link().TryLease("print job");
  EXPECT_EQ(sale.FormShow("EUR", true).dkp, engine().state().dkp);
}

TEST_F(TillLinkTest, AClosedPortIsOpenedForADepositAndAFailedWriteIsShown) {
  pm.link().ClosePort();
  ASSERT_EQ(sale.PrintDepositWithdrawal(false, {"100"}).outcome, SaleModel::PrintOutcome::Printed);
  ASSERT_TRUE(pm.link().WaitTxEmpty());  // the till does not wait for its bytes to leave
  EXPECT_NE(engine().paper().find("100.00"), std::string::npos);
  EXPECT_FALSE(pm.link().Leased());

  line.a().Unplug(true);
  boxes.Expect("[140]");
  EXPECT_EQ(sale.PrintDepositWithdrawal(false, {"100"}).outcome, SaleModel::PrintOutcome::NotSent);
  EXPECT_FALSE(pm.link().ComPort1().Connected());
}

}  // namespace
}  // namespace kv::test
