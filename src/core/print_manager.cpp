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
  ComPort1.AddLineIndicator([this](TComSignal line, bool on) { ShowLine(line, on); });
  // A transfer that waits on the line gives up once the program is ending.
  ComPort1.SetAbortCheck([this] { return app.Ending(); });
}

TSRB4900::~TSRB4900() {
  FlushErrorRepeats();
}

std::string TSRB4900::ProgramFile(const std::string& name) const {
  return program_dir.empty() ? name : program_dir + "/" + name;
}

}  // namespace kv
