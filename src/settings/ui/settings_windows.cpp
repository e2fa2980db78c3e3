#include "settings/ui/settings_windows.h"

#include "core/print_manager.h"
#include "settings/ui/dlg_cfg.h"

namespace kv {

SettingsWindows::SettingsWindows(TSRB4900& pm, UserAccess& users,
                                 const std::vector<std::string>& args)
    : bridge_(pm), session_(bridge_.MakeSession(users)) {
  dialog_ = std::make_unique<TDlg_cfg>(*session_, pm.lang().messages());
  session_->FormCreate([&pm, &args] { pm.StartupSequence(args); });
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
