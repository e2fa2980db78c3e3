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
inline constexpr const char* kSaleWindow = "Form_predaj";

// ---- the copies window (it writes its own controls; the language texts reach it by name) ---
inline constexpr const char* kCopiesWindow = "Form_copy";

// The windows that exist, and every name above that belongs to them.
inline constexpr std::array<std::string_view, 2> kBuiltWindows = {"SRB4900", "Form_copy"};
inline constexpr std::array kAll = {kMainWindow,        kStatusBar,         kDocumentLabel,
                                    kDateLabel,         kTimeLabel,         kDataGrid,
                                    kClosingCount,      kReceiptCount,      kSerialLabel,
                                    kTestLabel,         kPriorityLabel,     kBaudLabel,
                                    kUsbLabel,          kPortBox,           kDsrLamp,
                                    kCtsLamp,           kBusyBox,           kAckBox,
                                    kPaperBox,          kErrorBox,          kDisplayBox,
                                    kSettingsPorts,     kRoundingFields[0], kRoundingFields[1],
                                    kRoundingFields[2], kRoundingFields[3], kRoundingFields[4],
                                    kRoundingFields[5], kSaleWindow,        kCopiesWindow};

}  // namespace kv::view_names
