#pragma once

#include <filesystem>
#include <memory>

#include "core/print_manager_settings.h"
#include "link_fixture.h"
#include "settings/user_access.h"

namespace kv::test {

// The settings dialog's session over the print manager on an in-memory line with a healthy
// scripted printer. Opening the dialog makes the program directory the working directory; the
// fixture puts the old one back.
class SettingsTest : public LinkTest {
 protected:
  SettingsTest() : cwd_(std::filesystem::current_path()) {
    HealthyPrinter(printer);
    session = bridge.MakeSession(users);
  }
  ~SettingsTest() override { std::filesystem::current_path(cwd_); }

  void OpenUnlocked() {
    ASSERT_TRUE(session->Open());
    ASSERT_TRUE(session->CheckServicePassword("plomzera"));
  }
  // What the dialog's controls hold right after unlocking, with the given changes applied.
  SavedControls Shown() const {
    SavedControls c;
    c.info_dir = pm.config().path_info;
    c.operator_messages = pm.config().MSG == 1;
    c.drawer_row = pm.config().drawer_idx;
    c.port_timeouts = {"5000", "5000", "2000", "200", "500"};
    c.info_time = std::to_string(pm.config().time_info);
    c.startup_delay = std::to_string(pm.config().opozdenie);
    c.polling_period = std::to_string(pm.config().delay_file);
    c.message_name = pm.config().id_manager;
    c.application_title = pm.config().id_aplikacia;
    c.price_list = pm.config().pokl_path_in;
    for (size_t i = 0; i < c.tenders.size(); ++i) c.tenders[i] = pm.config().plat[i].str();
    return c;
  }
  std::string ConfigFile() const { return dir.Read("rb4900_cfg.ini"); }

  ScriptedPrinter printer{line.b()};
  UserAccess users{pm.config().users};
  SettingsBridge bridge{pm};
  std::unique_ptr<SettingsSession> session;

 private:
  std::filesystem::path cwd_;
};

}  // namespace kv::test
