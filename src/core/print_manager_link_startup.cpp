#include "core/print_manager.h"
#include "platform/port_enum.h"

// Connecting to the printer: at start-up, from the menu, and the printer's say in closing the
// program.

namespace kv {

namespace {

constexpr const char* kPortBox = "SRB4900/CB_port_zac";
constexpr const char* kSettingsPorts = "Dlg_cfg/CB_porty";
constexpr const char* kStatusBar = "SRB4900/StatusBar1";
constexpr int kPanelState = 3;

}  // namespace

void TSRB4900::StartupPortList() {
  try {
    port_names = EnumComPorts();
  } catch (const EComPort&) {
    port_names.clear();
  }
  view.SetItems(kSettingsPorts, port_names);
  view.SetItems(kPortBox, port_names);
  if (cfg.port >= static_cast<int32_t>(port_names.size())) cfg.port = -1;
  busy = false;
  ApplyBaudRate();
}

void TSRB4900::StartupChoosePort() {
  // Any negative index means that no port has been chosen.
  if (cfg.port >= 0) return;
  boxes.App(Msg(117), BoxButtons::Ok, BoxIcon::Warning);
  cfg.port = 0;
  view.SetItemIndex(kSettingsPorts, cfg.port);
}

void TSRB4900::StartupConnect() {
  for (;;) {
    if (InitPort(0) == 1) {
      view.SetItemIndex(kPortBox, cfg.port);
      view.SetItemIndex(kSettingsPorts, cfg.port);
      cfg_to_cis(cfg.port);
      if (cfg.synchr_time == 1) SetClock();
      Timer_prmgr.SetEnabled(true);
      view.SetTrayHint("KV4910");
      view.SetTrayPicture(0);
      return;
    }
    // Yes tries again after a pause, so that a printer that cannot be reached (and a box
    // nobody sees) costs neither a core nor a flood of error lines.
    if (boxes.Captioned(Msg(119), Msg(118), BoxButtons::YesNo, BoxIcon::Question) ==
            BoxAnswer::Yes &&
        RetryPause())
      continue;
    // Going on without a printer; the connect command switches the print-job timer on later.
    view.SetItemIndex(kPortBox, -1);
    view.SetItemText(kStatusBar, kPanelState, Msg(108));
    return;
  }
}

void TSRB4900::StartupLinkSteps() {
  StartupPortList();
  StartupChoosePort();
  StartupConnect();
}

void TSRB4900::Spusteniecasovaca1Click() {
  // The status query opens the port by its current name: make that the configured one, also
  // when the port has never been attached (a start-up without a printer).
  if (!ComPort1.Connected() && cfg.port >= 0 && static_cast<size_t>(cfg.port) < port_names.size())
    ComPort1.SetPort(port_names[static_cast<size_t>(cfg.port)]);
  for (;;) {
    Timer_prmgr.SetEnabled(false);
    ReadVatRates();
    if (OpenPort(1) == 0) break;
    if (cfg_to_cis(cfg.port)) {
      if (!cfg.spravy) Timer_prmgr.SetEnabled(true);
      busy = false;
      view.SetTrayPicture(0);
      break;
    }
    if (boxes.Captioned(Msg(119), Msg(118), BoxButtons::YesNo, BoxIcon::Question) !=
            BoxAnswer::Yes ||
        !RetryPause())
      break;
  }
  if (cfg.CLOSE_PORT) ClosePort();
}

bool TSRB4900::FormCloseQuery() {
  if (OpenPort(0) != 0) {
    if (flags.S1_7) {
      // A document is open on the printer: it has to be finished first.
      boxes.Captioned(Msg(134), Msg(133), BoxButtons::Ok, BoxIcon::Warning);
      view.ShowWindow("Form_predaj", View::WindowState::Front);
      return false;
    }
    if (!cfg.UKONCI) {
      boxes.Captioned(Msg(136), Msg(135), BoxButtons::Ok, BoxIcon::Warning);
      return false;
    }
  }
  if (!cfg.UKONCI) return true;
  if (boxes.Captioned(Msg(138), Msg(137), BoxButtons::YesNo, BoxIcon::Question, 1) !=
      BoxAnswer::Yes)
    return false;
  LogError("Ukoncenie uzivatelom");
  app.Quit();
  return true;
}

}  // namespace kv
