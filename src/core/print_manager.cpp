#include "core/print_manager.h"

namespace kv {

TSRB4900::TSRB4900(PrintManagerServices services)
    : clock(services.clock),
      boxes(services.boxes),
      view(services.view),
      Timer_prmgr(services.timer_prmgr),
      Timer_msg(services.timer_msg),
      app(services.app) {}

TSRB4900::~TSRB4900() = default;

std::string TSRB4900::ProgramFile(const std::string& name) const {
  return program_dir.empty() ? name : program_dir + "/" + name;
}

}  // namespace kv
