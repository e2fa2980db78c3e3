#include "base/ini_file.h"
#include "base/view_names.h"
#include "core/print_manager.h"
#include "platform/os.h"

namespace kv {

bool TSRB4900::LoadConfig() {
  const IniFile ini(files_.ProgramFile(kConfigFileName));
  const int32_t running_port = cfg.port;
  ReadConfig(ini, program_dir, cfg, timeouts);
  // A port chosen while running (at start-up, or by detection in the settings dialog) stays
  // when the file names none, or one the port list does not hold.
  const auto listed = [this](int32_t port) {
    return port >= 0 && static_cast<size_t>(port) < link_.port_names().size();
  };
  if (!listed(cfg.port) && listed(running_port)) cfg.port = running_port;
  ApplyTenderNames();
  link_.ApplyPortTimeouts(timeouts);

  priority_label = "NORMAL";
  if (SetProcessPriorityClass(cfg.apl_priority)) {
    if (cfg.apl_priority == 64) priority_label = "LOW";
    if (cfg.apl_priority == 128) priority_label = "HIGH";
  }
  view.SetText(view_names::kPriorityLabel, priority_label);
  view.SetVisible(view_names::kUsbLabel, cfg.USB != 0);
  // Names, passwords and rights are the stored ones now; the current user stays.
  users_.ConfigLoaded();
  return true;
}

void TSRB4900::ApplyTenderNames() {
  const std::array<std::string, 10> names = lang_.TenderNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (!cfg.plat_from_file[i]) cfg.plat[i] = names[i];
}

void TSRB4900::LanguageChanged() {
  ApplyTenderNames();
  lang_.ShowStateMessagesAgain();
  readouts_.ShowGridHeadings();
  if (on_language_changed) on_language_changed();
}

}  // namespace kv
