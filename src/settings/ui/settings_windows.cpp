#include "settings/ui/settings_windows.h"

#include "settings/ui/dlg_cfg.h"

namespace kv {

SettingsWindows::SettingsWindows(std::unique_ptr<SettingsSession> session,
                                 const MessageTable& messages,
                                 const std::function<void()>& startup_sequence)
    : session_(std::move(session)) {
  dialog_ = std::make_unique<TDlg_cfg>(*session_, messages);
  session_->FormCreate(startup_sequence);
}

SettingsWindows::~SettingsWindows() = default;

void SettingsWindows::ShowSettingsDialog() {
  dialog_->ShowModal();
}

void SettingsWindows::ShowTextsAgain() {
  session_->ShowTextsAgain();
}

void SettingsWindows::OnSettingsClosed(std::function<void()> callback) {
  dialog_->on_closed = std::move(callback);
}

}  // namespace kv
