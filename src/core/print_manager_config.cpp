#include "base/ini_file.h"
#include "core/print_manager.h"
#include "platform/os.h"

namespace kv {

bool TSRB4900::LoadConfig() {
  const IniFile ini(ProgramFile(kConfigFileName));
  ReadConfig(ini, program_dir, cfg, timeouts);
  ApplyPortTimeouts();

  priority_label = "NORMAL";
  if (SetProcessPriorityClass(cfg.apl_priority)) {
    if (cfg.apl_priority == 64) priority_label = "LOW";
    if (cfg.apl_priority == 128) priority_label = "HIGH";
  }
  view.SetText("SRB4900/Label_priority", priority_label);
  view.SetVisible("SRB4900/Label_USB", cfg.USB != 0);
  return true;
}

void TSRB4900::ApplyPortTimeouts() {
  TComTimeouts port_timeouts = ComPort1.Timeouts();
  port_timeouts.WriteTotalConstant = timeouts.time_write;
  port_timeouts.WriteTotalMultiplier = timeouts.writemulti;
  port_timeouts.ReadTotalConstant = timeouts.readtotal;
  port_timeouts.ReadTotalMultiplier = timeouts.readmulti;
  port_timeouts.ReadInterval = timeouts.readinterval;
  try {
    ComPort1.SetTimeouts(port_timeouts);
  } catch (const EComPort&) {
    PortFailed();  // the values are stored; the next open applies them
  }
  cfg.handshake_wait = ComPort1.Timeouts().WriteTotalMultiplier;
}

}  // namespace kv
