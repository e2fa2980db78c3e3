#pragma once

#include <memory>
#include <string>

#include "settings/settings_host.h"
#include "settings/settings_session.h"

namespace kv {

class TSRB4900;

// The print manager as the settings dialog reaches it: reloading the configuration, the client
// message, the state panel's text.
class SettingsBridge final : public SettingsHost {
 public:
  explicit SettingsBridge(TSRB4900& pm) : pm_(pm) {}

  void ReloadConfig() override;
  void RegisterClientMessage(const std::string& name) override;
  void LanguageChanged() override;

  // The settings dialog's session over the print manager's parts, this bridge and `users`.
  std::unique_ptr<SettingsSession> MakeSession(UserAccess& users);

 private:
  TSRB4900& pm_;
};

}  // namespace kv
