#pragma once

#include <string>

namespace kv {

// What the settings dialog needs from the print manager above the areas. The print manager
// implements it (core/print_manager_settings.h).
class SettingsHost {
 public:
  virtual ~SettingsHost() = default;

  // Reads the configuration file again and applies what loading applies (LoadConfig).
  virtual void ReloadConfig() = 0;
  // Registers the client message under `name` and keeps its number for the messaging; a
  // failure is told with message 36.
  virtual void RegisterClientMessage(const std::string& name) = 0;
  // The language was changed and the new texts applied: the texts built from messages and
  // state are shown again.
  virtual void LanguageChanged() = 0;
};

}  // namespace kv
