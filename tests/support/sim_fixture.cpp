#include "support/sim_fixture.h"

#include <cctype>
#include <cstdlib>

namespace kv::test {

std::time_t LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

double DeviceRecordLines::Number(size_t line) const {
  if (line < 1 || line > lines.size()) return -1;
  std::string digits;
  for (char c : lines[line - 1])
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') digits += c;
  return std::atof(digits.c_str());
}

DeviceRecordLines ReadDeviceRecord(std::string_view record) {
  DeviceRecordLines out;
  if (record.size() < 4 || (record[3] != '\r' && record[3] != '\n')) return out;
  std::string line;
  for (size_t i = 3; i < record.size() && record[i] != '\x03'; ++i) {
    const char c = record[i];
    if (c == '\r' || c == '\n') {
      if (!line.empty()) out.lines.push_back(line);
      line.clear();
    } else if (static_cast<unsigned char>(c) >= 32) {
      line += c;
    }
  }
  out.valid = true;
  return out;
}

std::string SampleReceipt() {
  return "\033bROZKY         \r\n"
         "    2.00 x     1.25  \0331       2.50 EUR\r\n"
         "\033k        2.50 EUR\r\n"
         "\033P1        2.50\r\n"
         "\033e";
}

SimEngineTest::SimEngineTest() : host_now(LocalTime(2026, 7, 3, 9, 5)) {
  engine.SetHostTime([this] { return host_now; });
}

}  // namespace kv::test
