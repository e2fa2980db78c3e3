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

bool PortNameBefore(const std::string& a, const std::string& b) {
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (is_digit(a[i]) && is_digit(b[j])) {
      // Leading zeros aside, a longer run of digits is the larger number.
      while (i < a.size() - 1 && a[i] == '0' && is_digit(a[i + 1])) ++i;
      while (j < b.size() - 1 && b[j] == '0' && is_digit(b[j + 1])) ++j;
      size_t end_a = i, end_b = j;
      while (end_a < a.size() && is_digit(a[end_a])) ++end_a;
      while (end_b < b.size() && is_digit(b[end_b])) ++end_b;
      if (end_a - i != end_b - j) return end_a - i < end_b - j;
      const int order = a.compare(i, end_a - i, b, j, end_b - j);
      if (order != 0) return order < 0;
      i = end_a;
      j = end_b;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

}  // namespace kv
