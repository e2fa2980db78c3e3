#include "settings_fixture.h"

// The settings dialog without its window: the lock, the controls that act at once, saving and
// closing, the port.

namespace kv::test {
namespace {

using names_t = const char*;
constexpr names_t kReadTotal = "Dlg_cfg/Edit_readtotal";

TEST_F(SettingsTest, ExpertEditHoldsOnlyWholeNumbersAndActsAtOnce) {
  OpenUnlocked();
  const TComTimeouts before = pm.link().ComPort1().Timeouts();
  for (const char* wrong : {"abc", "", "12.5", "-1"}) {
    EXPECT_FALSE(session->ExpertEditExit(ExpertEdit::ReadConstant, wrong)) << wrong;
    EXPECT_EQ(view.Text(kReadTotal), "") << wrong;
  }
  EXPECT_EQ(pm.link().ComPort1().Timeouts(), before);

  EXPECT_TRUE(session->ExpertEditExit(ExpertEdit::ReadConstant, "3000"));
  EXPECT_EQ(pm.link().ComPort1().Timeouts().ReadTotalConstant, 3000);
  EXPECT_TRUE(session->ExpertEditExit(ExpertEdit::WriteMultiplier, "40"));
  EXPECT_EQ(pm.config().handshake_wait, 40);  // the handshake wait follows the port's multiplier
  EXPECT_TRUE(session->ExpertEditExit(ExpertEdit::InfoTime, "9000"));
  EXPECT_EQ(pm.config().time_info, 9000);
  EXPECT_FALSE(dir.Exists("rb4900_cfg.ini"));  // nothing saved yet
}

TEST_F(SettingsTest, DefaultTimesChangeOnlyTheInformationTimeAndHandshakeWaitAtOnce) {
  OpenUnlocked();
  ASSERT_TRUE(session->ExpertEditExit(ExpertEdit::ReadConstant, "3000"));
  ASSERT_TRUE(session->ExpertEditExit(ExpertEdit::WriteMultiplier, "40"));
  pm.config().time_info = 100;
  const TComTimeouts port = pm.link().ComPort1().Timeouts();
  session->Btn_default_timeClick();
  EXPECT_EQ(pm.config().time_info, 7000);
  EXPECT_EQ(pm.config().handshake_wait, 5000);
  EXPECT_EQ(pm.link().ComPort1().Timeouts(), port);
  EXPECT_EQ(view.Text(kReadTotal), "2000");
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_delay_file"), "300");
  EXPECT_EQ(view.Get("Dlg_cfg/CheckBox_rtscts.checked"), "1");
}

TEST_F(SettingsTest, SavingClampsThePollingPeriodAndMapsThePriority) {
  struct Case {
    const char* period;
    int32_t stored;
    int priority_choice;
    int32_t priority;
  };
  ASSERT_TRUE(session->Open());
  for (const Case& c : {Case{"50", 100, 0, 64}, Case{"5000", 2000, 2, 128}, Case{"-1", 2000, 1, 32},
                        Case{"700", 700, 2, 128}}) {
    ASSERT_TRUE(session->CheckServicePassword("plomzera"));
    SavedControls controls = Shown();
    controls.polling_period = c.period;
    controls.priority_choice = c.priority_choice;
    ASSERT_TRUE(session->OKBtnClick(controls)) << c.period;
    EXPECT_EQ(pm.config().delay_file, c.stored) << c.period;
    EXPECT_EQ(timer_prmgr.Interval(), static_cast<uint32_t>(c.stored)) << c.period;
    EXPECT_NE(ConfigFile().find("delay_file=" + std::to_string(c.stored) + "\n"),
              std::string::npos)
        << c.period;
    EXPECT_EQ(pm.config().apl_priority, c.priority) << c.period;
    EXPECT_NE(ConfigFile().find("apl_priority=" + std::to_string(c.priority)), std::string::npos);
    EXPECT_TRUE(session->locked());  // locked again for the next opening
  }
}

TEST_F(SettingsTest, NumberThatIsNotWholeStopsTheSaveAndLeavesTheFileAsItWas) {
  const std::string file = "[CONFIG]\r\nopozdenie=1500\r\n; a comment\r\n";
  dir.Write("rb4900_cfg.ini", file);
  OpenUnlocked();
  struct Case {
    void (*change)(SavedControls&);
    const char* message;
  };
  for (const Case& c : {Case{[](SavedControls& s) { s.startup_delay = "1,5"; }, "msg230"},
                        Case{[](SavedControls& s) { s.polling_period = ""; }, "msg231"},
                        Case{[](SavedControls& s) { s.port_timeouts[2] = ""; }, "msg232"},
                        // the information time edit left empty: its old value is not written
                        Case{[](SavedControls& s) { s.info_time = ""; }, "msg232"}}) {
    SavedControls controls = Shown();
    controls.application_title = "CHANGED";
    c.change(controls);
    boxes.Expect(c.message);
    EXPECT_FALSE(session->OKBtnClick(controls)) << c.message;
    EXPECT_EQ(ConfigFile(), file);
    EXPECT_EQ(pm.config().id_aplikacia, "KV4910S");
    EXPECT_FALSE(session->locked());
  }
}

TEST_F(SettingsTest, SaveTakesTheControlsRunsTheJobsAgainAndLocksTheNextOpening) {
  OpenUnlocked();
  EXPECT_FALSE(timer_prmgr.Enabled());  // stopped while the dialog is shown
  SavedControls controls = Shown();
  controls.application_title = "POKLADNA2";
  controls.tenders[9] = "Kupon";
  controls.message_files = {"(7) C:/pos/a.txt", "(9) b.txt"};
  controls.drawer_row = 3;
  controls.info_time = "6500";
  boxes.Expect("msg238");  // the new application id reaches the clients at the next start
  ASSERT_TRUE(session->OKBtnClick(controls));
  EXPECT_EQ(pm.config().time_info, 6500);
  EXPECT_EQ(shell.Title(), "POKLADNA2");
  EXPECT_EQ(pm.config().plat[9], "Kupon");
  EXPECT_EQ(pm.config().drawer, (std::array<int32_t, 10>{27, 70, 7, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), "msg115");
  const std::string file = ConfigFile();
  EXPECT_NE(file.find("msg1=9\npath1=b.txt\nmsg2=2\npath2=\n"), std::string::npos);
  EXPECT_NE(file.find("[OPEN]\n0=27\n1=70\n2=7\n3=3\n"), std::string::npos);
  EXPECT_EQ(view.Get("Dlg_cfg/Panel_heslo.visible"), "1");

  session->FormClose();
  EXPECT_FALSE(session->shown());
  ASSERT_TRUE(session->Open());
  EXPECT_TRUE(session->locked());
  EXPECT_EQ(view.Text("Dlg_cfg/Label3"), "msg33");
  EXPECT_EQ(view.Get("Dlg_cfg/PageControl1.visible"), "0");
}

TEST_F(SettingsTest, AFailedWriteLetsTheOperatorLeaveWithoutSavingAndFreesThePrinter) {
  std::filesystem::create_directory(dir / "rb4900_cfg.ini");  // cannot be written
  OpenUnlocked();
  EXPECT_FALSE(session->MayCloseWithoutSaving());  // unlocked: only saving closes it
  boxes.Expect("msg236");
  EXPECT_FALSE(session->OKBtnClick(Shown()));
  EXPECT_EQ(boxes.shown().back().text.find("msg233"), 0u);
  EXPECT_TRUE(session->MayCloseWithoutSaving());
  EXPECT_TRUE(pm.link().Leased());
  session->FormClose();
  EXPECT_FALSE(pm.link().Leased());
  EXPECT_TRUE(timer_prmgr.Enabled());

  // The next opening starts afresh.
  ASSERT_TRUE(session->Open());
  ASSERT_TRUE(session->CheckServicePassword("plomzera"));
  EXPECT_FALSE(session->MayCloseWithoutSaving());
}

TEST_F(SettingsTest, ClosingWithoutSavingKeepsTheRunningPortWhenTheFileHasNoneOrAWrongOne) {
  ASSERT_FALSE(pm.link().port_names().empty());
  const struct {
    const char* file;
    int32_t port;
  } cases[] = {{"[CONFIG]\r\ncopy_bl=1\r\n", 0},
               {"[CONFIG]\r\nport=-1\r\n", 0},
               {"[CONFIG]\r\nport=99\r\n", 0},
               {"[CONFIG]\r\nport=x\r\n", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    dir.Write("rb4900_cfg.ini", c.file);
    pm.config().port = 0;  // chosen at start-up (message 117) without being written
    ASSERT_TRUE(session->Open());
    session->FormClose();
    EXPECT_EQ(pm.config().port, c.port);
  }
  // Without a running port the file's value stands.
  pm.config().port = -1;
  dir.Write("rb4900_cfg.ini", "[CONFIG]\r\nport=-1\r\n");
  pm.LoadConfig();
  EXPECT_EQ(pm.config().port, -1);
}

TEST_F(SettingsTest, WrongPasswordKeepsTheLockAndTheRightOneFillsThePages) {
  pm.config().baud = 57600;
  pm.config().apl_priority = 128;
  pm.config().notify[0] = {"a.txt", 5};
  pm.config().notify[2] = {"after a gap", 6};
  ASSERT_TRUE(session->Open());
  EXPECT_FALSE(session->CheckServicePassword("PLOMZERA"));
  EXPECT_EQ(view.Text("Dlg_cfg/Label3"), "msg34");
  EXPECT_EQ(view.Get("Dlg_cfg/Panel_heslo.visible"), "1");
  EXPECT_FALSE(view.Has("Dlg_cfg/Edit_delay_file.text"));

  EXPECT_TRUE(session->CheckServicePassword("plomzera"));
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_heslo"), "");
  EXPECT_EQ(view.Get("Dlg_cfg/Panel_heslo.visible"), "0");
  EXPECT_EQ(view.Get("Dlg_cfg/PageControl1.index"), "0");
  EXPECT_EQ(view.Get("Dlg_cfg/CB_baud.index"), "1");
  EXPECT_EQ(view.Get("Dlg_cfg/RG_priority.index"), "2");
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_delay_file"), "300");
  EXPECT_EQ(view.Items("Dlg_cfg/ListBox_subory"), std::vector<std::string>{"(5) a.txt"});
}

TEST_F(SettingsTest, OpeningWhileThePrinterIsBusyOrAlreadyShownIsRefused) {
  {
    const auto job = pm.link().TryLease("print job");
    boxes.Expect("msg234");
    EXPECT_FALSE(session->Open());
    EXPECT_FALSE(session->shown());
  }
  ASSERT_TRUE(session->Open());
  EXPECT_TRUE(pm.link().Leased());
  EXPECT_FALSE(session->Open());  // a second click while shown does nothing
  session->FormClose();
  EXPECT_FALSE(pm.link().Leased());
}

TEST_F(SettingsTest, ClosingReloadsTheFileAndReadsTheDeviceRecordOnANewBringUp) {
  dir.Write("rb4900_cfg.ini", "[CONFIG]\r\nport=0\r\ncopy_bl=1\r\n");
  OpenUnlocked();
  session->SwitchClick(SettingsSwitch::ReceiptCopies, false);
  EXPECT_EQ(pm.config().copy_bl, 0);
  printer.ClearReceived();
  session->FormClose();
  EXPECT_EQ(pm.config().copy_bl, 1);  // what was not saved is gone again
  EXPECT_TRUE(timer_prmgr.Enabled());
  EXPECT_EQ(printer.Count(kIdentify), 1);  // the device-ready flag was cleared
  EXPECT_EQ(pm.readouts().document_number(), 1234);
}

TEST_F(SettingsTest, PortDetectionIsQuietAndFindsThePrinter) {
  pm.config().port = -1;
  OpenUnlocked();
  printer.On(kStatusQuery, {""});
  session->Btn_findClick();  // a printer that does not answer: no box
  EXPECT_EQ(pm.config().port, -1);
  EXPECT_EQ(pm.config().MSG, 1);
  EXPECT_EQ(view.Get("Dlg_cfg/CB_porty.index"), "-1");

  printer.On(kStatusQuery, {StatusAnswer(0, 0)});
  session->Btn_findClick();
  EXPECT_EQ(pm.config().port, 0);
  EXPECT_EQ(view.Get("Dlg_cfg/CB_porty.index"), "0");
  EXPECT_EQ(view.Get("Dlg_cfg/Btn_open.enabled"), "1");
  EXPECT_EQ(pm.readouts().document_number(), 1234);
}

TEST_F(SettingsTest, ChoosingAPortThatCannotOpenClearsTheChoice) {
  OpenUnlocked();
  line.a().Unplug(true);
  boxes.Expect("msg139");
  session->CB_portyChange(0);
  EXPECT_EQ(view.Get("Dlg_cfg/CB_porty.index"), "-1");
  EXPECT_EQ(view.Get("Dlg_cfg/Btn_open.enabled"), "0");

  line.a().Unplug(false);
  pm.config().port = -1;
  session->CB_portyChange(0);
  EXPECT_EQ(pm.config().port, 0);
  EXPECT_EQ(view.Get("SRB4900/CB_port_zac.index"), "0");
  EXPECT_EQ(view.Get("Dlg_cfg/Btn_open.enabled"), "1");

  session->Btn_close_comClick();
  EXPECT_FALSE(pm.link().ComPort1().Connected());
  EXPECT_EQ(view.Text("Dlg_cfg/Btn_close_com"), "msg41mem0");
  session->Btn_close_comClick();
  EXPECT_TRUE(pm.link().ComPort1().Connected());
  EXPECT_EQ(view.Text("Dlg_cfg/Btn_close_com"), "msg42mem0");
}

TEST_F(SettingsTest, FileChoicesAndUserPasswordKeepTheirValueUnlessChanged) {
  OpenUnlocked();
  pm.config().path_in = "old.txt";
  session->FileChosen(FileChoice::InputFile, std::nullopt);  // cancelled
  EXPECT_EQ(pm.config().path_in, "old.txt");
  session->FileChosen(FileChoice::InfoDir, "/srv/pos/info.txt");
  EXPECT_EQ(pm.config().path_info, "/srv/pos");
  EXPECT_EQ(view.Text("Dlg_cfg/Edit_info"), "/srv/pos");
  EXPECT_EQ(session->FileDialogFor(FileChoice::Backup1).file_name, "msg37");

  pm.config().users[0].password = "1234";
  session->Edit_pwdEnter();
  session->Edit_pwdExit("", false);  // passing through the field
  EXPECT_EQ(pm.config().users[0].password, "1234");
  session->Edit_pwdExit("", true);
  EXPECT_EQ(pm.config().users[0].password, "");
}

}  // namespace
}  // namespace kv::test
