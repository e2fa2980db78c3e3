#pragma once

#include <string>
#include <vector>

namespace kv {

// The machine's serial ports as full device paths, sorted. KV4910_PORTS (colon-separated
// paths), when set, is the list; otherwise the tty devices under /sys/class/tty that have a
// real device behind them (legacy ttyS entries without a UART are left out). Raises EComPort
// code 23 when the list cannot be read.
std::vector<std::string> EnumComPorts();

// Order of port names with their numbers compared by value: "COM2" before "COM10".
bool PortNameBefore(const std::string& a, const std::string& b);

// The colon-separated paths of a port list variable, empty entries left out, sorted.
std::vector<std::string> PortsFromList(const std::string& list);
// The serial devices of a sysfs tty class directory whose node exists in `dev_dir` as a
// character device, as dev_dir + "/" + name, sorted. Raises code 23 when the directory cannot
// be read.
std::vector<std::string> SerialDevicesIn(const std::string& sys_class_tty,
                                         const std::string& dev_dir);

}  // namespace kv
