#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "sim/engine.h"
#include "support/fake_clock.h"

namespace kv::test {

// Local time of a calendar date, for a printer clock that tests control.
std::time_t LocalTime(int year, int month, int day, int hour, int minute);

// A device record read the way the program reads it: byte 3 must be CR or LF, then text lines
// separated by CR and/or LF (empty lines do not count), up to the ETX.
struct DeviceRecordLines {
  bool valid = false;
  std::vector<std::string> lines;
  // The digits and points of a line as a number (line 1 = document number).
  double Number(size_t line) const;
};
DeviceRecordLines ReadDeviceRecord(std::string_view record);

// The daily sale the tests print: one item of 2 x 1.25 at VAT level 1, paid in cash.
std::string SampleReceipt();

// An engine on a fake clock whose printer clock stands at 3 July 2026, 09:05.
class SimEngineTest {
 public:
  SimEngineTest();
  std::string Send(std::string_view bytes) { return engine.Receive(bytes); }

  FakeClock clock;
  std::time_t host_now;
  sim::Engine engine{clock};
};

}  // namespace kv::test
