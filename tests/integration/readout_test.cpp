#include "link_fixture.h"

namespace kv::test {
namespace {

class Readout : public LinkTest {
 protected:
  void SetUp() override {
    HealthyPrinter(printer);
    ASSERT_EQ(pm.link().AttachPort(0, 8500, 8500), 0);
  }
  ScriptedPrinter printer{line.b()};
};

TEST_F(Readout, StatusRecordAsksWithEscBangLetterAndReadsItsLength) {
  printer.On("\x1b!z", {StatusRecord("0.05\r\n1\r\n")});
  EXPECT_EQ(pm.readouts().ReadStatusRecord('z'), "0.05\r\n1\r\n");
  EXPECT_NE(printer.received().find(kStatusQuery + "\x1b!z"), std::string::npos);
}

TEST_F(Readout, StatusRecordShortByOneByteIsRejected) {
  printer.On("\x1b!I", {StatusRecord(InfoRecordBytes('A', 0, 19), 20)});
  EXPECT_EQ(pm.readouts().ReadStatusRecord('I'), "");
}

TEST_F(Readout, StatusRecordWithoutStatusAnswerIsNotAsked) {
  printer.On(kStatusQuery, {""});
  EXPECT_EQ(pm.readouts().ReadStatusRecord('d'), "");
  EXPECT_EQ(printer.Count("\x1b!"), 0);
  pm.link().ClosePort();
  EXPECT_EQ(pm.readouts().ReadStatusRecord('d'), "");  // closed port: not even the status query
}

TEST_F(Readout, OversizeStatusRecordIsRejectedWithoutOverrunningTheBuffer) {
  const std::string big(2000, 'q');
  printer.On("\x1b!z", {StatusRecord(big)});
  EXPECT_EQ(pm.readouts().ReadStatusRecord('z'), "");
  EXPECT_FALSE(pm.readouts().ReadRoundingRecord());
  EXPECT_EQ(pm.readouts().ReadStatusRecord('M'), "1");  // the oversize record left the line
}

TEST_F(Readout, InfoRecordOfSeventeenBytesChangesNothing) {
  printer.On("\x1b!I", {StatusRecord(InfoRecordBytes('B', 1, 17))});
  pm.readouts().ReadInfoRecord();
  EXPECT_EQ(pm.readouts().info().serial_number, 0u);
  EXPECT_FALSE(pm.readouts().info_read());
}

TEST_F(Readout, PrinterInfoIsShownOnTheMainWindow) {
  pm.readouts().ShowPrinterInfo();
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[1].text"), "PRN:P");
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[2].text"), "B");
  EXPECT_EQ(view.Text("SRB4900/Label_sn_prom"), "A 4711");
  EXPECT_EQ(view.Text("SRB4900/Label_zostava_du"), "5");
  EXPECT_EQ(view.Text("SRB4900/Label_zostava_bl"), "258");  // bytes 16, 17 and 19
  EXPECT_EQ(view.Text("SRB4900/Label_stav"), "");
  EXPECT_EQ(view.Get("SRB4900/BUSY.checked"), "1");
  EXPECT_EQ(view.Get("SRB4900/ACK.checked"), "1");
  EXPECT_EQ(view.Get("SRB4900/PE.checked"), "0");
  EXPECT_EQ(pm.readouts().test_mode(), 0);
}

TEST_F(Readout, ProgramMemoryOtherThanAMeansTestMode) {
  printer.On("\x1b!I", {StatusRecord(InfoRecordBytes('B', 0))});
  pm.readouts().ShowPrinterInfo();
  EXPECT_EQ(view.Text("SRB4900/Label_stav"), "TEST");
  EXPECT_EQ(view.Text("SRB4900/Label_sn_prom"), "B 4711");
  EXPECT_EQ(pm.readouts().test_mode(), 1);
}

TEST_F(Readout, NothingIsShownDuringAPrintJob) {
  pm.jobs().SetBusy(true);
  pm.readouts().ShowPrinterInfo();
  EXPECT_EQ(printer.Count("\x1b!I"), 0);
  EXPECT_FALSE(view.Has("SRB4900/Label_sn_prom.text"));
}

TEST_F(Readout, VatRatesAndRoundingFields) {
  printer.On("\x1b!z", {StatusRecord("0.05\r\n+1\r\n\r\n0.10\r1\r0.50\r2\r")});
  pm.readouts().ReadVatRates();
  EXPECT_EQ(pm.readouts().vatRates(), (std::array<uint8_t, 5>{20, 10, 0, 0, 0}));
  EXPECT_TRUE(pm.readouts().ReadRoundingRecord());
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_dph_koef"), "0.05");
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_dph_plus"), "+1");
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_informacna_plus"), "2");
}

TEST_F(Readout, DeviceRecordFillsTheGridCountersDateAndTime) {
  pm.readouts().SetVatRates({20, 10, 0, 0, 0});
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  EXPECT_NE(printer.received().find(std::string("\x0c\x0d\x03\x1bI")), std::string::npos);
  EXPECT_EQ(pm.readouts().document_number(), 1234);
  EXPECT_EQ(view.Text("SRB4900/L_dokl"), "1234/42");
  EXPECT_EQ(view.Text("SRB4900/L_datum"), "06.12.2026");
  EXPECT_EQ(view.Text("SRB4900/L_cas"), "14:30");
  EXPECT_EQ(view.Get("tray.hint"), "KV4910->1234");
  const char* grid = "SRB4900/StringGrid_data";
  EXPECT_EQ(view.Cell(grid, 2, 0), "msg123");
  EXPECT_EQ(view.Cell(grid, 1, 0), "msg124");
  EXPECT_EQ(view.Cell(grid, 0, 1), " 20 %");
  EXPECT_EQ(view.Cell(grid, 0, 5), " 0 %");
  EXPECT_EQ(view.Cell(grid, 0, 6), "msg125");
  EXPECT_EQ(view.Cell(grid, 0, 12), "msg131");
  EXPECT_EQ(view.Cell(grid, 1, 1), "12.50");
  EXPECT_EQ(view.Cell(grid, 1, 12), "12.00");
  EXPECT_EQ(view.Cell(grid, 2, 5), "50.10");
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg115");
  EXPECT_EQ(view.Text("SRB4900/Label_sn_prom"), "A 4711");  // the info readout followed
}

TEST_F(Readout, HiddenTurnoverShowsLabelsAndRatesButNoAmounts) {
  pm.config().obrat_hide = true;
  pm.readouts().SetVatRates({20, 10, 0, 0, 0});
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  const char* grid = "SRB4900/StringGrid_data";
  EXPECT_EQ(view.Cell(grid, 0, 1), " 20 %");
  EXPECT_EQ(view.Cell(grid, 0, 7), "msg126");
  EXPECT_FALSE(view.Has("SRB4900/StringGrid_data(1,1)"));
  EXPECT_FALSE(view.Has("SRB4900/StringGrid_data(2,1)"));
}

TEST_F(Readout, TestModeShowsMessage132InTheStatusBar) {
  printer.On("\x1b!I", {StatusRecord(InfoRecordBytes('A', 1))});
  pm.readouts().ShowPrinterInfo();
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg132");
}

TEST_F(Readout, DeviceRecordTailAfterAPauseIsFetched) {
  const std::string record = DeviceRecordText(55);
  printer.On("\x1bI", {record.substr(0, 150)});
  // The rest arrives after the quiet gap ends the drain, before the read time-out.
  clock.After(400, [&] { line.b().Write(record.substr(150)); });
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  EXPECT_EQ(pm.readouts().document_number(), 55);
  EXPECT_EQ(pm.readouts().device_record().time, "14:30");
}

TEST_F(Readout, InvalidDeviceRecordChangesNoDisplayAndInfoTxtTellsThatNoneCame) {
  std::string record = DeviceRecordText(99);
  record[3] = 'X';
  printer.On("\x1bI", {record + std::string(200, ' ')});
  dir.Write("info.txt", "old");
  EXPECT_EQ(pm.readouts().ReadDeviceInfo(), 0);
  EXPECT_FALSE(pm.readouts().cfg_to_cis(0));
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n1\r\n");  // not an earlier job's number
  EXPECT_FALSE(dir.Exists("info.ful"));
  EXPECT_FALSE(view.Has("SRB4900/L_dokl.text"));
  EXPECT_EQ(pm.readouts().document_number(), 0);
}

TEST_F(Readout, ReadDeviceInfoWritesTheInformationFiles) {
  const std::string record = DeviceRecordText(1234);
  EXPECT_EQ(pm.readouts().ReadDeviceInfo(), 1);
  EXPECT_EQ(dir.Read("info.txt"), "1234\r\n");
  EXPECT_EQ(dir.Read("info.ful"), record);
  EXPECT_EQ(dir.Read("esci.txt"), record);
  EXPECT_EQ(dir.Read("info.tmp"), record);
  EXPECT_EQ(view.Get("tray.hint"), "msg145");
}

TEST_F(Readout, ReadDeviceInfoWithoutStatusAnswerWritesNineNines) {
  printer.On(kStatusQuery, {""});
  EXPECT_EQ(pm.readouts().ReadDeviceInfo(), 0);
  EXPECT_EQ(dir.Read("info.txt"), "9999\r\n0\r\n");
  EXPECT_EQ(printer.Count("\x1bI"), 0);
}

TEST_F(Readout, ExtendedInfoReadsByteByByteUpToTheEtx) {
  const std::string record = DeviceRecordText(8);
  printer.On("\x1bI", {record.substr(0, 130)});
  pm.config().rozsirene_info = 1;
  // The tail trickles in one byte at a time, 90 ms apart, and more follows the ETX.
  const std::string tail = record.substr(130) + "junk";
  const uint32_t at = clock.TickCount() + 200;
  for (size_t i = 0; i < tail.size(); ++i)
    clock.At(at + 90 * static_cast<uint32_t>(i), [&, i] { line.b().Write(tail.substr(i, 1)); });
  EXPECT_EQ(pm.readouts().ReadDeviceInfo(), 1);
  EXPECT_EQ(dir.Read("info.ful"), record);
}

// An answer whose end is known ends the read as soon as it is in: no first look after 50 ms
// and two quiet 20 ms windows (90 ms and more), no time-out waiting for a minimum the answer
// never reaches. What time remains is the bring-up and the requests at 9600 baud.
TEST_F(Readout, AnswersEndTheReadAsSoonAsTheirEndIsIn) {
  printer.On("\x1b!z", {StatusRecord("0.05\r\n")});
  const std::pair<const char*, std::string> records[] = {
      {"short", std::string("\x01\x02\x03\r\n77\r\n\x03", 10)},
      {"ETX among the leading bytes", std::string("\x03\x03\x03\r\n78\r\n\x03", 10)},
      {"full", DeviceRecordText(79)}};
  for (const auto& [name, record] : records) {
    SCOPED_TRACE(name);
    printer.On("\x1bI", {record});
    const uint32_t start = clock.TickCount();
    ASSERT_TRUE(pm.readouts().cfg_to_cis(0));
    EXPECT_LT(clock.Since(start), 40u);
    EXPECT_EQ(pm.readouts().DeviceRecordBytes(), record);
  }
  EXPECT_EQ(pm.readouts().document_number(), 79);

  const uint32_t start = clock.TickCount();
  EXPECT_EQ(pm.readouts().ReadStatusRecord('z'), "0.05\r\n");  // after a status query
  EXPECT_LT(clock.Since(start), 40u);
}

TEST_F(Readout, OversizeDeviceRecordStaysInsideTheAnswerBuffer) {
  std::string record = DeviceRecordText(3);
  record.insert(record.size() - 1, std::string(20000, 'w'));
  printer.On("\x1bI", {record});
  // Cut at 18,500 bytes: the lines before the cut still make a record.
  EXPECT_TRUE(pm.readouts().cfg_to_cis(0));
  EXPECT_EQ(pm.readouts().document_number(), 3);
  ASSERT_EQ(pm.readouts().DeviceRecordBytes().size(), PrinterReadouts::kAnswerSize - 1);
  EXPECT_EQ(pm.readouts().DeviceRecordBytes().back(), 'w');
}

}  // namespace
}  // namespace kv::test
