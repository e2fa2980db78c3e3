#include "platform/port_enum.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/com_port_types.h"

namespace kv {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool IsCharDevice(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// Serial-core ports publish their UART type; 0 means no UART answered at that address (the
// legacy ttyS entries the kernel makes whether or not the hardware is there).
bool UnknownUart(const std::string& tty_dir) {
  std::ifstream type(tty_dir + "/type");
  int value = -1;
  return type >> value && value == 0;
}

}  // namespace

std::vector<std::string> SerialDevicesIn(const std::string& sys_class_tty,
                                         const std::string& dev_dir) {
  DIR* dir = ::opendir(sys_class_tty.c_str());
  if (dir == nullptr) throw EComPort(kComPortListFailed, errno);
  std::vector<std::string> ports;
  for (;;) {
    errno = 0;  // readdir reports an error only through errno
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string tty_dir = sys_class_tty + "/" + name;
    // Virtual terminals, pseudo-terminals and consoles have no device behind them.
    if (!Exists(tty_dir + "/device")) continue;
    if (UnknownUart(tty_dir)) continue;
    const std::string path = dev_dir + "/" + name;
    if (IsCharDevice(path)) ports.push_back(path);
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) throw EComPort(kComPortListFailed, error);
  std::sort(ports.begin(), ports.end());
  return ports;
}

std::vector<std::string> EnumComPorts() {
  if (const char* list = std::getenv("KV4910_PORTS")) return PortsFromList(list);
  return SerialDevicesIn("/sys/class/tty", "/dev");
}

}  // namespace kv
