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

// ---- windows that are not built yet: the View ignores their names until they are -----------
inline constexpr const char* kSettingsPorts = "Dlg_cfg/CB_porty";
inline constexpr std::array<const char*, 6> kRoundingFields = {
    "Dlg_cfg/Edit_dph_koef",  "Dlg_cfg/Edit_dph_plus",        "Dlg_cfg/Edit_suma_koef",
    "Dlg_cfg/Edit_suma_plus", "Dlg_cfg/Edit_informacna_koef", "Dlg_cfg/Edit_informacna_plus"};

// ---- the till: the sale window "Form_predaj" (the price list editor "Form_sklad" and the
// payment window "Form_platba" are written only by their own windows) ------------------------
inline constexpr const char* kSaleWindow = "Form_predaj";
inline constexpr const char* kCopiesWindow = "Form_copy";
inline constexpr const char* kDrawerTestButton = "Dlg_cfg/Btn_open";

// The windows that exist, and every name above that belongs to them.
inline constexpr std::array<std::string_view, 5> kBuiltWindows = {
    "SRB4900", "Form_predaj", "Form_sklad", "Form_platba", "Form_copy"};
inline constexpr std::array kAll = {kMainWindow,        kStatusBar,         kDocumentLabel,
                                    kDateLabel,         kTimeLabel,         kDataGrid,
                                    kClosingCount,      kReceiptCount,      kSerialLabel,
                                    kTestLabel,         kPriorityLabel,     kBaudLabel,
                                    kUsbLabel,          kPortBox,           kDsrLamp,
                                    kCtsLamp,           kBusyBox,           kAckBox,
                                    kPaperBox,          kErrorBox,          kDisplayBox,
                                    kSettingsPorts,     kRoundingFields[0], kRoundingFields[1],
                                    kRoundingFields[2], kRoundingFields[3], kRoundingFields[4],
                                    kRoundingFields[5], kSaleWindow,        kCopiesWindow,
                                    kDrawerTestButton,  kUserItems[0],      kUserItems[1],
                                    kUserItems[2],      kGatedItems[0],     kGatedItems[1],
                                    kGatedItems[2],     kGatedItems[3],     kGatedItems[4],
                                    kGatedItems[5],     kGatedItems[6],     kGatedItems[7],
                                    kTillItem,          kSettingsItem};

}  // namespace kv::view_names
