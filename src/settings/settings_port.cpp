#include "base/config.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "settings/settings_session.h"

// The settings dialog and the serial port: choosing it, finding the printer, releasing it.

namespace kv {

namespace names = view_names;

void SettingsSession::CB_portyChange(int index) {
  PrinterLink& link = p_.link;
  link.ClosePort();
  if (index < 0 || static_cast<size_t>(index) >= link.port_names().size()) return;
  p_.cfg.port = index;
  p_.view.SetItemIndex(names::kPortBox, index);
  if (link.AttachPort(index, 8500, 8500) < 0) {
    p_.view.SetItemIndex(names::kSettingsPorts, -1);
    p_.view.SetEnabled(names::kDrawerTest, false);
    link.SetIdentText("");
    return;
  }
  link.OpenPort(1);
  if (link.InitPort(0) == 1) p_.view.SetEnabled(names::kDrawerTest, true);
}

void SettingsSession::Btn_findClick() {
  PrinterLink& link = p_.link;
  Config& cfg = p_.cfg;
  // Quietly: a port without the printer shows no box.
  const int32_t messages = cfg.MSG;
  cfg.MSG = 0;
  int found = -1;
  const int count = static_cast<int>(link.port_names().size());
  for (int i = 0; i < count && found < 0; ++i) {
    link.ClosePort();
    p_.view.SetItemIndex(names::kSettingsPorts, i);
    cfg.port = i;
    if (link.InitPort(1) == 1 && p_.readouts.cfg_to_cis(i)) found = i;
  }
  if (found < 0) link.ClosePort();
  cfg.port = found;
  cfg.MSG = messages;
  if (found >= 0) p_.view.SetEnabled(names::kDrawerTest, true);
  p_.view.SetItemIndex(names::kSettingsPorts, found);
}

void SettingsSession::Btn_close_comClick() {
  PrinterLink& link = p_.link;
  TComPort& port = link.ComPort1();
  if (port.Connected()) {
    link.ClosePort();
    ShowReleaseButton(41, port.Port());
  } else if (link.InitPort(0) == 1) {
    ShowReleaseButton(42, port.Port());
  }
}

}  // namespace kv
