#include "core/print_manager.h"
#include "link/clock_command.h"

namespace kv {

int TSRB4900::SetClock() {
  const auto command = ClockCommand(local_time());
  if (InitPort(0) == 0) return 0;
  if (WriteBlock(command.data(), static_cast<int>(command.size())) != 0) WaitTxEmpty();
  DelayMs(100);
  return 0;
}

}  // namespace kv
