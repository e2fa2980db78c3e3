#include "platform/port_enum.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/com_port_types.h"

namespace kv {

// The serial ports the system knows are the values of HARDWARE\DEVICEMAP\SERIALCOMM ("COM1",
// ...), in the order of their numbers (COM2 before COM10). Without that key there are none.
std::vector<std::string> EnumComPorts() {
  if (const char* list = std::getenv("KV4910_PORTS")) return PortsFromList(list);
  HKEY key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                                    KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return {};
  if (opened != ERROR_SUCCESS) throw EComPort(kComPortListFailed, static_cast<int>(opened));
  std::vector<std::string> ports;
  for (DWORD index = 0;; ++index) {
    char name[256];
    char data[256];
    DWORD name_size = sizeof name;
    DWORD data_size = sizeof data - 1;
    DWORD type = 0;
    const LONG got = RegEnumValueA(key, index, name, &name_size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &data_size);
    if (got == ERROR_NO_MORE_ITEMS) break;
    if (got == ERROR_MORE_DATA) continue;  // no port has so long a name
    if (got != ERROR_SUCCESS) {
      RegCloseKey(key);
      throw EComPort(kComPortListFailed, static_cast<int>(got));
    }
    if (type != REG_SZ) continue;
    data[data_size] = '\0';
    if (data[0] != '\0') ports.emplace_back(data);
  }
  RegCloseKey(key);
  std::sort(ports.begin(), ports.end(), PortNameBefore);
  return ports;
}

}  // namespace kv
