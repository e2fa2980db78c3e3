#include "base/ini_file.h"
#include "base/view_names.h"
#include "core/print_manager.h"
#include "platform/os.h"

namespace kv {

bool TSRB4900::LoadConfig() {
  const IniFile ini(files_.ProgramFile(kConfigFileName));
  ReadConfig(ini, program_dir, cfg, timeouts);
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
