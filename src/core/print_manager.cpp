#include "core/print_manager.h"

#include "core/working_files.h"

namespace kv {

TSRB4900::TSRB4900(PrintManagerServices services)
    : clock(services.clock),
      boxes(services.boxes),
      view(services.view),
      Timer_prmgr(services.timer_prmgr),
      Timer_msg(services.timer_msg),
      app(services.app),
      ComPort1(services.port_backend ? services.port_backend() : MakeSystemComBackend()),
      local_time(SystemLocalTime) {
  ConfigureAsComPort1(ComPort1);
  ComPort1.OnCTSChange([this](bool state) { ComPort1CTSChange(state); });
  ComPort1.OnDSRChange([this](bool state) { ComPort1DSRChange(state); });
}

TSRB4900::~TSRB4900() = default;

std::string TSRB4900::ProgramFile(const std::string& name) const {
  return program_dir.empty() ? name : program_dir + "/" + name;
}

}  // namespace kv
