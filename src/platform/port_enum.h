#pragma once

#include <string>
#include <vector>

namespace kv {

// The machine's serial ports as full device paths, sorted. KV4910_PORTS (colon-separated
// paths), when set, is the list; otherwise the tty devices under /sys/class/tty that have a
// real device behind them (legacy ttyS entries without a UART are left out). Raises EComPort
// code 23 when the list cannot be read.
std::vector<std::string> EnumComPorts();

}  // namespace kv
