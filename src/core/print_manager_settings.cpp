#include "core/print_manager_settings.h"

#include "core/core_messages.h"
#include "core/print_manager.h"

namespace kv {

void SettingsBridge::ReloadConfig() {
  pm_.LoadConfig();
}

void SettingsBridge::RegisterClientMessage(const std::string& name) {
  // Before start-up has opened the program's message window nothing can be registered.
  if (Messaging* messaging = pm_.client_messaging().messaging())
    messaging->RegisterTypedName(true, name, pm_.boxes(), pm_.Msg(kMsgRegistrationFailed));
  else
    pm_.boxes().Plain(pm_.Msg(kMsgRegistrationFailed));
}

void SettingsBridge::LanguageChanged() {
  pm_.LanguageChanged();
}

std::unique_ptr<SettingsSession> SettingsBridge::MakeSession(UserAccess& users) {
  return std::make_unique<SettingsSession>(
      SettingsParts{pm_.config(), pm_.link(), pm_.readouts(), pm_.lang(), pm_.boxes(), pm_.view(),
                    pm_.timer_prmgr(), pm_.app(), users, *this, pm_.program_dir()});
}

}  // namespace kv
