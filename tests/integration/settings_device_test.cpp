#include "settings_fixture.h"
#include "sim/line_printer.h"
#include "support/escape_text.h"

// The printer's own settings from the settings dialog: the bytes each command sends, its
// questions, and the read-back, against a scripted printer and against the simulator.

namespace kv::test {
namespace {

class DeviceSetupTest : public SettingsTest {
 protected:
  DeviceSetupTest() { EXPECT_TRUE(session->Open()); }
  DeviceSetup& setup() { return session->device(); }
  // What was sent after the last bring-up's identification.
  std::string SentAfterBringUp() const {
    const std::string& all = printer.received();
    const size_t at = all.rfind(kIdentify);
    return at == std::string::npos ? all : all.substr(at + kIdentify.size());
  }
};

TEST_F(DeviceSetupTest, VatRatesAreSentOnlyWhenAllowedValidAndConfirmed) {
  boxes.ExpectUnseen("msg53", BoxAnswer::No);  // a box nobody answers sends nothing
  setup().BitBtn_naplndphClick({"0", "0", "0", "0", "0"});
  EXPECT_EQ(printer.received(), "");

  boxes.Expect("msg192");  // an empty edit: stopped before the question
  setup().BitBtn_naplndphClick({"20", "", "0", "0", "0"});
  EXPECT_EQ(printer.received(), "");

  boxes.Expect("msg53", BoxAnswer::Yes, BoxAnswer::No);
  setup().BitBtn_naplndphClick({"0", "0", "0", "0", "0"});
  EXPECT_EQ(SentAfterBringUp().substr(0, 13), E + "+d0\r0\r0\r0\r0\r");
  EXPECT_EQ(printer.Count("\x1b!d"), 1);            // read back
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_dph1"), "20");  // what the printer holds

  printer.ClearReceived();
  pm.readouts().cfg_to_cis(0);  // the day's amounts are not zero
  printer.ClearReceived();
  boxes.Expect("msg51");
  setup().BitBtn_naplndphClick({"20", "10", "0", "0", "0"});
  EXPECT_EQ(printer.received(), "");
}

TEST_F(DeviceSetupTest, JournalIsErasedOnlyAfterTwoYes) {
  boxes.Expect("msg43", BoxAnswer::Yes, BoxAnswer::No)
      .Expect("msg45", BoxAnswer::No, BoxAnswer::No);
  setup().Btn_vymazClick();
  EXPECT_EQ(printer.received(), "");

  boxes.Expect("msg43", BoxAnswer::Yes, BoxAnswer::No)
      .Expect("msg45", BoxAnswer::Yes, BoxAnswer::No);
  setup().Btn_vymazClick();
  EXPECT_EQ(SentAfterBringUp(), E + "~CLEAR\r");
}

TEST_F(DeviceSetupTest, DrawerTestSendsTheRowZerosIncludedAndNothingWithoutARow) {
  setup().Btn_openClick(-1);
  EXPECT_EQ(printer.received(), "");
  setup().Btn_openClick(3);  // "STAR 4-2"
  EXPECT_EQ(printer.received(), std::string("\x1b\x46\x07\x03\0\0\0\0\0\0", 10));
  printer.ClearReceived();
  pm.config().drawer = {27, 112, 0x130, 0, 0, 0, 0, 0, 0, 0};
  setup().Btn_openClick(5);  // "Zadane rucne": the low byte of each configured value
  EXPECT_EQ(printer.received().substr(0, 3), "\x1bp0");
}

TEST_F(DeviceSetupTest, TestModeButtonLeavesTheModeThePrinterIsIn) {
  printer.On("\x1b!I", {StatusRecord(InfoRecordBytes('A', 1)), StatusRecord(InfoRecordBytes())});
  pm.readouts().SetTestMode(1);
  setup().Btn_testClick();
  EXPECT_EQ(SentAfterBringUp().substr(0, 4), E + "+T0");
  EXPECT_EQ(printer.Count(E + "+T1"), 0);
  EXPECT_EQ(view.Text("Dlg_cfg/Btn_test"), "msg57");  // the read-back still says test mode
  setup().Btn_testClick();
  EXPECT_EQ(view.Text("Dlg_cfg/Btn_test"), "msg58");

  printer.On(kStatusQuery, {""});
  boxes.Expect("msg111").Expect("msg59");
  setup().Btn_testClick();
}

TEST_F(DeviceSetupTest, RoundingSendsThreeRulesAndShowsOnlyTheLinesReadBack) {
  printer.On("\x1b!z", {StatusRecord("0.0500\r\n0.0250\r\n")});
  boxes.Expect("msg48");
  setup().Btn_zaokruhlenieClick({"0.0500", "0.0250", "1.0000", "0.5000", "0.1000", "0.0000"});
  const std::string rules =
      E + "+z10.0500\r0.0250\r" + E + "+z21.0000\r0.5000\r" + E + "+z30.1000\r0.0000\r";
  EXPECT_EQ(SentAfterBringUp().substr(0, rules.size()), rules);
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_dph_plus"), "0.0250");
  EXPECT_FALSE(view.Has("Dlg_cfg/Edit_suma_koef.text"));
}

TEST_F(DeviceSetupTest, CurrencyGoesIntoTheFileAtOnceAndToThePrinterAfterYes) {
  boxes.ExpectUnseen("msg40", BoxAnswer::No);
  setup().Btn_naplnClick(0, 1, "30.1260");
  EXPECT_FALSE(dir.Exists("rb4900_cfg.ini"));

  printer.On("\x1b!M", {StatusRecord("4230.5000\r\n")});
  boxes.Expect("msg40", BoxAnswer::Yes, BoxAnswer::No);
  setup().Btn_naplnClick(0, 1, "30.1260");
  EXPECT_NE(printer.received().find(E + "+M1230.1260\r"), std::string::npos);
  EXPECT_NE(ConfigFile().find("kurz=30.1260"), std::string::npos);
  // The read-back shows what the printer holds: USD, dual SKK, its rate.
  EXPECT_EQ(pm.config().mena, 3);
  EXPECT_EQ(view.Get("Dlg_cfg/CB_aktivna.index"), "3");
  EXPECT_EQ(view.Text("Dlg_cfg/MaskEdit_eurokurz"), "30.5000");
}

TEST_F(DeviceSetupTest, AValueWithEmptyPlacesIsRefusedBeforeAnythingIsSentOrStored) {
  const std::array<std::string, 6> rounding = {"0.0500", "0.0250", "1.0000",
                                               "0.5000", "0.1000", "0.0000"};
  const struct {
    int edit;  // the rounding edit changed, or -1 for the currency rate
    const char* value;
  } cases[] = {{0, "3.1"}, {3, "0.500"}, {5, " .0000"}, {-1, "3.1"}, {-1, "30.12"},
               {-1, "301.260"}, {-1, "3a.1260"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    boxes.Expect("msg237");
    if (c.edit >= 0) {
      auto edits = rounding;
      edits[static_cast<size_t>(c.edit)] = c.value;
      setup().Btn_zaokruhlenieClick(edits);
    } else {
      setup().Btn_naplnClick(0, 1, c.value);
    }
    EXPECT_EQ(printer.received(), "");
    EXPECT_FALSE(dir.Exists("rb4900_cfg.ini"));
  }
}

class DeviceSetupSim : public SettingsTest {
 protected:
  DeviceSetupSim() {
    // The simulator, made after the scripted printer, takes over the line's end.
    sim.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
    EXPECT_TRUE(session->Open());
  }
  sim::PrinterState& state() { return sim.engine().state(); }
  sim::LinePrinter sim{line};
};

TEST_F(DeviceSetupSim, VatRatesTestModeAndJournalErase) {
  state().vat_rates = {23, 19, 5, 0, 0};
  boxes.Expect("msg53", BoxAnswer::Yes, BoxAnswer::No);
  session->device().BitBtn_naplndphClick({"20", "10", "0", "0", "0"});
  EXPECT_EQ(state().vat_rates, (std::array<uint8_t, 5>{20, 10, 0, 0, 0}));
  EXPECT_EQ(pm.readouts().vatRates(), (std::array<uint8_t, 5>{20, 10, 0, 0, 0}));

  session->device().Btn_testClick();
  EXPECT_TRUE(state().test_mode);
  EXPECT_EQ(pm.readouts().test_mode(), 1);
  session->device().Btn_testClick();
  EXPECT_FALSE(state().test_mode);

  state().journal.push_back({7, 1, sim::DocKind::kReceipt, "20260703", "0905", "doklad\r\n"});
  state().last_text = "doklad\r\n";
  boxes.Expect("msg43", BoxAnswer::Yes, BoxAnswer::No)
      .Expect("msg45", BoxAnswer::Yes, BoxAnswer::No);
  session->device().Btn_vymazClick();
  sim.Pump();
  EXPECT_TRUE(state().journal.empty());
  EXPECT_EQ(state().last_text, "");
}

}  // namespace
}  // namespace kv::test
