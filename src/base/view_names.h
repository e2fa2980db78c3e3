#pragma once

#include <array>
#include <string_view>

// Every window and control the core writes through the View, by its "Window/Control" name
// (the window's object name, then the control's component name). The core uses these
// constants instead of string literals, and a GUI test finds each name of a window that exists
// on the real window, so that a misspelt name fails a test instead of being ignored. A window
// added later lists its names here and in kBuiltWindows. The window texts of the language file
// are data of their own (lang/language_map.cpp).

namespace kv::view_names {

// ---- the main window "SRB4900" --------------------------------------------------------------
inline constexpr const char* kMainWindow = "SRB4900";
inline constexpr const char* kStatusBar = "SRB4900/StatusBar1";  // panels 0 to 3
inline constexpr const char* kDocumentLabel = "SRB4900/L_dokl";
inline constexpr const char* kDateLabel = "SRB4900/L_datum";
inline constexpr const char* kTimeLabel = "SRB4900/L_cas";
inline constexpr const char* kDataGrid = "SRB4900/StringGrid_data";
inline constexpr const char* kClosingCount = "SRB4900/Label_zostava_du";
inline constexpr const char* kReceiptCount = "SRB4900/Label_zostava_bl";
inline constexpr const char* kSerialLabel = "SRB4900/Label_sn_prom";
inline constexpr const char* kTestLabel = "SRB4900/Label_stav";
inline constexpr const char* kPriorityLabel = "SRB4900/Label_priority";
inline constexpr const char* kBaudLabel = "SRB4900/Label_baud";
inline constexpr const char* kUsbLabel = "SRB4900/Label_USB";
inline constexpr const char* kPortBox = "SRB4900/CB_port_zac";
inline constexpr const char* kDsrLamp = "SRB4900/DSR";
inline constexpr const char* kCtsLamp = "SRB4900/CTS";
inline constexpr const char* kBusyBox = "SRB4900/BUSY";
inline constexpr const char* kAckBox = "SRB4900/ACK";
inline constexpr const char* kPaperBox = "SRB4900/PE";
inline constexpr const char* kErrorBox = "SRB4900/ERR";
inline constexpr const char* kDisplayBox = "SRB4900/DSP";

// The tray menu PopupRB2900 (also the status bar's menu). Its items are actions of the main
// window: the user items, the commands enabled by the device-ready flag and a right (in the
// menu's order), the till and the settings.
inline constexpr std::array<const char*, 3> kUserItems = {"SRB4900/pop_user0", "SRB4900/pop_user1",
                                                          "SRB4900/pop_user2"};
inline constexpr std::array<const char*, 8> kGatedItems = {
    "SRB4900/popXUZ",   "SRB4900/popDUZ", "SRB4900/popMUZ", "SRB4900/KopieRB3900",
    "SRB4900/popKDOKL", "SRB4900/popKDU", "SRB4900/popCAS", "SRB4900/popOtvzas"};
inline constexpr const char* kTillItem = "SRB4900/pop_pokladna";
inline constexpr const char* kSettingsItem = "SRB4900/Konfiguracia1";

// Status bar panels.
inline constexpr int kPanelVersion = 0;
inline constexpr int kPanelKind = 1;
inline constexpr int kPanelB = 2;
inline constexpr int kPanelState = 3;

// ---- the settings dialog "Dlg_cfg" ---------------------------------------------------------
inline constexpr const char* kSettingsDialog = "Dlg_cfg";
// The lock panel and what is on it.
inline constexpr const char* kSettingsLockPanel = "Dlg_cfg/Panel_heslo";
inline constexpr const char* kSettingsLockLabel = "Dlg_cfg/Label3";
inline constexpr const char* kSettingsPassword = "Dlg_cfg/Edit_heslo";
inline constexpr const char* kCurrencyGroup = "Dlg_cfg/GroupBox_euro";
inline constexpr const char* kActiveCurrency = "Dlg_cfg/CB_aktivna";
inline constexpr const char* kDualCurrency = "Dlg_cfg/CB_dualna";
inline constexpr const char* kCurrencyRate = "Dlg_cfg/MaskEdit_eurokurz";
inline constexpr const char* kSettingsPages = "Dlg_cfg/PageControl1";
// Page "KV4910".
inline constexpr const char* kInputPath = "Dlg_cfg/Edit_in";
inline constexpr const char* kJournalPath = "Dlg_cfg/Edit_out";
inline constexpr const char* kInfoDir = "Dlg_cfg/Edit_info";
inline constexpr const char* kDeleteOnFailure = "Dlg_cfg/CB_del";
inline constexpr const char* kCurrencyUsable = "Dlg_cfg/CB_euro_zmena";
inline constexpr const char* kErrorFileBox = "Dlg_cfg/ChBox_err";
inline constexpr const char* kReceiptCopies = "Dlg_cfg/ChBox_copy";
inline constexpr const char* kDebugCopies = "Dlg_cfg/ChBox_ladenie";
inline constexpr const char* kOperatorMessages = "Dlg_cfg/CB_MSG";
inline constexpr const char* kSetClockAtStart = "Dlg_cfg/CB_synchrcas";
inline constexpr const char* kDrawerRow = "Dlg_cfg/otvor";
inline constexpr const char* kDrawerTest = "Dlg_cfg/Btn_open";
inline constexpr const char* kSettingsPorts = "Dlg_cfg/CB_porty";
inline constexpr const char* kUserBox = "Dlg_cfg/CB_user";
inline constexpr const char* kUserPassword = "Dlg_cfg/Edit_pwd";
inline constexpr const char* kRightsGroup = "Dlg_cfg/GroupBox1";
// Page "DPH".
inline constexpr std::array<const char*, 5> kVatEdits = {
    "Dlg_cfg/Edit_dph1", "Dlg_cfg/Edit_dph2", "Dlg_cfg/Edit_dph3", "Dlg_cfg/Edit_dph4",
    "Dlg_cfg/Edit_dph5"};
// Page "Expert": the number edits in the order of ExpertEdit, then the rest.
inline constexpr std::array<const char*, 6> kExpertEdits = {
    "Dlg_cfg/Edit_caswrite", "Dlg_cfg/Edit_caswritem",     "Dlg_cfg/Edit_readtotal",
    "Dlg_cfg/Edit_readmulti", "Dlg_cfg/Edit_readinterval", "Dlg_cfg/Edit_casinfo"};
inline constexpr const char* kStartupDelay = "Dlg_cfg/Edit_opozdenie";
inline constexpr const char* kPollingPeriod = "Dlg_cfg/Edit_delay_file";
inline constexpr const char* kBaudBox = "Dlg_cfg/CB_baud";
inline constexpr const char* kLanguageBox = "Dlg_cfg/CB_jazyk";
inline constexpr const char* kReleasePortAfterJobs = "Dlg_cfg/CB_close_port";
inline constexpr const char* kDsrGating = "Dlg_cfg/CheckBox_dtrdsr";
inline constexpr const char* kCtsGating = "Dlg_cfg/CheckBox_rtscts";
inline constexpr const char* kAutoDailyClose = "Dlg_cfg/CB_auto_du";
inline constexpr const char* kMayQuit = "Dlg_cfg/CB_ukonci";
inline constexpr const char* kPriorityGroup = "Dlg_cfg/RG_priority";
inline constexpr const char* kReleasePortButton = "Dlg_cfg/Btn_close_com";
inline constexpr const char* kTestModeButton = "Dlg_cfg/Btn_test";
// Page "Správy".
inline constexpr const char* kMessagingBox = "Dlg_cfg/CheckBox_spravy";
inline constexpr const char* kMessageName = "Dlg_cfg/Edit_idprmgr";
inline constexpr const char* kApplicationTitle = "Dlg_cfg/Edit_idaplikacia";
inline constexpr const char* kMessageFiles = "Dlg_cfg/ListBox_subory";
// Page "Záloha".
inline constexpr const char* kBackupDir1 = "Dlg_cfg/Edit_zaloha1";
inline constexpr const char* kBackupDir2 = "Dlg_cfg/Edit_zaloha2";
inline constexpr const char* kBackupMode = "Dlg_cfg/RadioGroup1";
// Page "Zaokrúhli".
inline constexpr std::array<const char*, 6> kRoundingFields = {
    "Dlg_cfg/Edit_dph_koef",  "Dlg_cfg/Edit_dph_plus",        "Dlg_cfg/Edit_suma_koef",
    "Dlg_cfg/Edit_suma_plus", "Dlg_cfg/Edit_informacna_koef", "Dlg_cfg/Edit_informacna_plus"};
// Page "Pokladňa".
inline constexpr const char* kPriceListPath = "Dlg_cfg/Edit_pokladna";
inline constexpr const char* kTillAtStart = "Dlg_cfg/ChBox_pokladna";
inline constexpr const char* kTendersOffered = "Dlg_cfg/ChBox_platidla";
inline constexpr std::array<const char*, 10> kTenderEdits = {
    "Dlg_cfg/Edit_plat0", "Dlg_cfg/Edit_plat1", "Dlg_cfg/Edit_plat2", "Dlg_cfg/Edit_plat3",
    "Dlg_cfg/Edit_plat4", "Dlg_cfg/Edit_plat5", "Dlg_cfg/Edit_plat6", "Dlg_cfg/Edit_plat7",
    "Dlg_cfg/Edit_plat8", "Dlg_cfg/Edit_plat9"};

// ---- the till: the sale window "Form_predaj" (the price list editor "Form_sklad" and the
// payment window "Form_platba" are written only by their own windows) ------------------------
inline constexpr const char* kSaleWindow = "Form_predaj";

// ---- the copies window (it writes its own controls; the language texts reach it by name) ---
inline constexpr const char* kCopiesWindow = "Form_copy";

// The windows that exist, and every name above that belongs to them.
inline constexpr std::array<std::string_view, 6> kBuiltWindows = {
    "SRB4900", "Dlg_cfg", "Form_predaj", "Form_sklad", "Form_platba", "Form_copy"};
inline constexpr std::array kAll = {
    kMainWindow, kStatusBar, kDocumentLabel, kDateLabel, kTimeLabel, kDataGrid, kClosingCount,
    kReceiptCount, kSerialLabel, kTestLabel, kPriorityLabel, kBaudLabel, kUsbLabel, kPortBox,
    kDsrLamp, kCtsLamp, kBusyBox, kAckBox, kPaperBox, kErrorBox, kDisplayBox,
    // the tray menu
    kUserItems[0], kUserItems[1], kUserItems[2], kGatedItems[0], kGatedItems[1], kGatedItems[2],
    kGatedItems[3], kGatedItems[4], kGatedItems[5], kGatedItems[6], kGatedItems[7], kTillItem,
    kSettingsItem,
    // the settings dialog
    kSettingsDialog, kSettingsLockPanel, kSettingsLockLabel, kSettingsPassword, kCurrencyGroup,
    kActiveCurrency, kDualCurrency, kCurrencyRate, kSettingsPages, kInputPath, kJournalPath,
    kInfoDir, kDeleteOnFailure, kCurrencyUsable, kErrorFileBox, kReceiptCopies, kDebugCopies,
    kOperatorMessages, kSetClockAtStart, kDrawerRow, kDrawerTest, kSettingsPorts, kUserBox,
    kUserPassword, kRightsGroup, kVatEdits[0], kVatEdits[1], kVatEdits[2], kVatEdits[3],
    kVatEdits[4], kExpertEdits[0], kExpertEdits[1], kExpertEdits[2], kExpertEdits[3],
    kExpertEdits[4], kExpertEdits[5], kStartupDelay, kPollingPeriod, kBaudBox, kLanguageBox,
    kReleasePortAfterJobs, kDsrGating, kCtsGating, kAutoDailyClose, kMayQuit, kPriorityGroup,
    kReleasePortButton, kTestModeButton, kMessagingBox, kMessageName, kApplicationTitle,
    kMessageFiles, kBackupDir1, kBackupDir2, kBackupMode, kRoundingFields[0], kRoundingFields[1],
    kRoundingFields[2], kRoundingFields[3], kRoundingFields[4], kRoundingFields[5],
    kPriceListPath, kTillAtStart, kTendersOffered, kTenderEdits[0], kTenderEdits[1],
    kTenderEdits[2], kTenderEdits[3], kTenderEdits[4], kTenderEdits[5], kTenderEdits[6],
    kTenderEdits[7], kTenderEdits[8], kTenderEdits[9],
    // the till and the copies window
    kSaleWindow, kCopiesWindow};

}  // namespace kv::view_names
