#pragma once

#include <array>

#include "base/config.h"

namespace kv {

// The rights of a user record (UserRecord::rights), in one table: the index, the INI key, the
// settings check box that edits it and the tray menu item it enables (none for KMU, which is
// only stored, and for CEN, which gives priceListAccess). Index 9 is reserved: never read,
// written or tested. HTTP commands are checked against the same indexes.
inline constexpr int kRightXReport = 0;        // XUZ
inline constexpr int kRightDailyClose = 1;     // DUZ
inline constexpr int kRightMonthlyClose = 2;   // MUZ
inline constexpr int kRightCopyDocument = 3;   // COPY
inline constexpr int kRightCopyClosing = 4;    // KDU
inline constexpr int kRightCopyMonthly = 5;    // KMU
inline constexpr int kRightClock = 6;          // CAS
inline constexpr int kRightDrawer = 7;         // ZAS
inline constexpr int kRightReportsWindow = 8;  // K3900
inline constexpr int kReservedRight = 9;
inline constexpr int kPriceListRight = 10;  // CEN

struct RightInfo {
  int index;
  const char* key;
  const char* check_box;
  const char* menu_item;  // nullptr: no menu item
};

inline constexpr std::array<RightInfo, 10> kRights = {{
    {kRightXReport, "XUZ", "CB_XUZ", "popXUZ"},
    {kRightDailyClose, "DUZ", "CB_DUZ", "popDUZ"},
    {kRightMonthlyClose, "MUZ", "CB_MUZ", "popMUZ"},
    {kRightCopyDocument, "COPY", "CB_kopia", "popKDOKL"},
    {kRightCopyClosing, "KDU", "CB_KDU", "popKDU"},
    {kRightCopyMonthly, "KMU", "CB_KMU", nullptr},
    {kRightClock, "CAS", "CB_CAS", "popCAS"},
    {kRightDrawer, "ZAS", "CB_ZAS", "popOtvzas"},
    {kRightReportsWindow, "K3900", "CB_K3900", "KopieRB3900"},
    {kPriceListRight, "CEN", "CB_CEN", nullptr},
}};

}  // namespace kv
