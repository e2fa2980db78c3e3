#include "platform/port_enum.h"

#include <algorithm>

namespace kv {

std::vector<std::string> PortsFromList(const std::string& list) {
  std::vector<std::string> ports;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) ports.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

}  // namespace kv
