#include "link_fixture.h"
#include "sim/line_printer.h"

// The link against the printer simulator: the whole bring-up and the readouts as a real
// printer answers them.

namespace kv::test {
namespace {

class LinkSim : public LinkTest {
 protected:
  LinkSim() {
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }
  sim::Engine& engine() { return printer.engine(); }

  sim::LinePrinter printer{line};
};

TEST_F(LinkSim, FirstBringUpIdentifiesAndReadsCurrencyRatesAndRecord) {
  engine().state().document_number = 321;
  engine().state().vat_rates = {23, 19, 5, 0, 0};
  engine().state().active_currency = '2';
  pm.startup().first_tick = true;

  EXPECT_EQ(pm.link().InitPort(0), 1);
  EXPECT_EQ(view.Text("SRB4900"), "RB4900 1.2");
  EXPECT_EQ(pm.readouts().vatRates(), (std::array<uint8_t, 5>{23, 19, 5, 0, 0}));
  EXPECT_EQ(pm.readouts().document_number(), 321);
  EXPECT_EQ(view.Text("SRB4900/L_dokl"), "321/1");
  EXPECT_EQ(view.Cell("SRB4900/StringGrid_data", 0, 2), " 19 %");
  EXPECT_EQ(view.Text("SRB4900/Label_sn_prom"), "A 4910");
  EXPECT_EQ(view.Get("tray.hint"), "msg112");
  EXPECT_EQ(view.Get("tray.picture"), "0");
}

TEST_F(LinkSim, GarbledStatusOnceIsRecoveredGarbledAlwaysIsNotReady) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  engine().faults().garbled_status = sim::FaultMode::kOnce;
  EXPECT_EQ(pm.link().OpenPort(0), 1);
  engine().faults().garbled_status = sim::FaultMode::kAlways;
  EXPECT_EQ(pm.link().OpenPort(0), 0);
  EXPECT_EQ(pm.link().device_ready(), 0);
}

TEST_F(LinkSim, LineResetOfTheRetryReachesAPrinterLeftInsideATextBlock) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  const char block[] = {27, 'F'};  // a text block that is never ended
  ASSERT_EQ(pm.link().WriteBlock(block, 2), 2);
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  // The block swallows the first query; the ETX CR before the second one ends it.
  EXPECT_EQ(pm.link().OpenPort(0), 1);
}

TEST_F(LinkSim, ConditionBitsReachTheFlagsAndTheStatusValue) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  engine().state().condition1 = sim::status1::kPaperLow;
  engine().state().condition2 = sim::status2::kMechanismError;
  EXPECT_EQ(pm.link().OpenPort(0), 0x10 * 256 + 0x20 + 1);
  EXPECT_EQ(pm.link().flags().S1_4, 1);
  EXPECT_EQ(pm.link().flags().S2_5, 1);
  EXPECT_EQ(pm.link().flags().S2_7, 0);
}

TEST_F(LinkSim, ShortStatusRecordIsRejected) {
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_GE(pm.readouts().ReadStatusRecord('I').size(), 18u);
  engine().faults().short_record_by = 1;
  EXPECT_EQ(pm.readouts().ReadStatusRecord('I'), "");
}

TEST_F(LinkSim, DueDailyCloseRunsByItselfWhenConfigured) {
  engine().state().first_document_date = "20000101";
  engine().state().document_number = 10;
  pm.config().auto_du = 1;
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_GT(pm.link().OpenPort(1), 0);
  EXPECT_EQ(engine().state().closing_count, 1u);
  EXPECT_EQ(pm.readouts().document_number(), 11);
  EXPECT_NE(dir.Read("zurnal.txt").find("DENNA UZAVIERKA C. 1"), std::string::npos);
  // The close is done: the next status query finds nothing due.
  EXPECT_EQ(pm.link().OpenPort(1), 1);
  EXPECT_EQ(engine().state().closing_count, 1u);
}

TEST_F(LinkSim, ClientInfoRequestWritesTheFiles) {
  engine().state().document_number = 77;
  ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  EXPECT_EQ(pm.readouts().ReadDeviceInfo(), 1);
  EXPECT_EQ(dir.Read("info.txt"), "77\r\n");
  const std::string ful = dir.Read("info.ful");
  EXPECT_EQ(ful.substr(0, 9), "INF\r\n77\r\n");
  EXPECT_EQ(ful.back(), '\x03');
  EXPECT_EQ(dir.Read("esci.txt"), ful);
}

TEST_F(LinkSim, CutDeviceRecordUpdatesOnlyTheLinesThatCame) {
  engine().state().document_number = 5;
  ASSERT_TRUE(pm.readouts().cfg_to_cis(0));
  const std::string date = view.Text("SRB4900/L_datum");
  ASSERT_EQ(date.size(), 10u);
  engine().state().document_number = 6;
  engine().faults().cut_device_record = true;
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  EXPECT_EQ(pm.readouts().document_number(), 6);
  EXPECT_EQ(view.Text("SRB4900/L_datum"), date);  // the date line did not come: kept
}

TEST_F(LinkSim, ClockCommandSetsThePrinterClock) {
  std::tm pc = pm.LocalTime();
  engine().SetHostTime([] { return std::time_t{0}; });
  EXPECT_EQ(pm.link().SetClock(), 0);
  const std::tm printer_time = engine().PrinterTime();
  EXPECT_EQ(printer_time.tm_mday, pc.tm_mday);
  EXPECT_EQ(printer_time.tm_mon, pc.tm_mon);
  EXPECT_EQ(printer_time.tm_hour, pc.tm_hour);
  EXPECT_EQ(printer_time.tm_min, pc.tm_min);
}

}  // namespace
}  // namespace kv::test
