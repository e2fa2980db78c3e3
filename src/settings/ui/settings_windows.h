#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/settings_bridge.h"

namespace kv {

class TDlg_cfg;
class TSRB4900;
class UserAccess;

// The settings area's windows: the settings dialog, created once at start right after the main
// window. Creating it runs the print manager's start-up sequence.
class SettingsWindows {
 public:
  SettingsWindows(TSRB4900& pm, UserAccess& users, const std::vector<std::string>& args);
  ~SettingsWindows();
  SettingsWindows(const SettingsWindows&) = delete;
  SettingsWindows& operator=(const SettingsWindows&) = delete;

  // The tray's "Konfiguracia1": the dialog, modal. A click while it is shown is ignored;
  // without a screen it is not opened.
  void ShowSettingsDialog();
  bool SettingsDialogShown() const { return session_->shown(); }
  // Called each time the dialog has closed (the menu item may be used again).
  void OnSettingsClosed(std::function<void()> callback);
  // After the language texts were applied at start: the captions built from messages and state.
  void ShowTextsAgain();
  // Start-up has listed the ports and connected: the release button names the port.
  void StartupConnected() { session_->ShowPortOnReleaseButton(); }

  SettingsSession& session() { return *session_; }
  TDlg_cfg& dialog() { return *dialog_; }

 private:
  SettingsBridge bridge_;
  std::unique_ptr<SettingsSession> session_;
  std::unique_ptr<TDlg_cfg> dialog_;
};

}  // namespace kv
