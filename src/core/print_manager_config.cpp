#include "core/ini_file.h"
#include "core/print_manager.h"
#include "platform/os.h"

namespace kv {

bool TSRB4900::LoadConfig() {
  const IniFile ini(ProgramFile(kConfigFileName));
  ReadConfig(ini, program_dir, cfg, timeouts);

  priority_label = "NORMAL";
  if (SetProcessPriorityClass(cfg.apl_priority)) {
    if (cfg.apl_priority == 64) priority_label = "LOW";
    if (cfg.apl_priority == 128) priority_label = "HIGH";
  }
  view.SetText("SRB4900/Label_priority", priority_label);
  view.SetVisible("SRB4900/Label_USB", cfg.USB != 0);
  return true;
}

}  // namespace kv
