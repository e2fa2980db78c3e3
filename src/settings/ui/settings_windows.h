#pragma once

#include <functional>
#include <memory>

#include "settings/settings_session.h"

namespace kv {

class MessageTable;
class TDlg_cfg;

// The settings area's windows: the settings dialog over its session, created once at start right
// after the main window. Creating it runs the print manager's start-up sequence.
class SettingsWindows {
 public:
  SettingsWindows(std::unique_ptr<SettingsSession> session, const MessageTable& messages,
                  const std::function<void()>& startup_sequence);
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
  std::unique_ptr<SettingsSession> session_;
  std::unique_ptr<TDlg_cfg> dialog_;
};

}  // namespace kv
