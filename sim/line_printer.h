#pragma once

#include <cstdint>
#include <functional>

#include "platform/memory_line.h"
#include "sim/engine.h"

namespace kv::sim {

// The simulated printer on end b() of an in-memory line: bytes the program writes at end a()
// reach the engine, the answers arrive back at a() as a real printer's would (after the fault
// delay, and paced at 10 bits per byte when a baud rate is set), and the printer's RTS and DTR
// show its readiness.
class LinePrinter {
 public:
  // Runs an action at a tick of the line's clock (tests pass FakeClock::At); used to take
  // bytes that the program sent with a delay once they have arrived.
  using Scheduler = std::function<void(uint32_t tick, std::function<void()> action)>;

  explicit LinePrinter(MemoryLine& line);
  ~LinePrinter();
  LinePrinter(const LinePrinter&) = delete;
  LinePrinter& operator=(const LinePrinter&) = delete;

  Engine& engine() { return engine_; }
  void SetBaud(uint32_t baud) { baud_ = baud; }
  void SetScheduler(Scheduler scheduler) { scheduler_ = std::move(scheduler); }

  // Takes the bytes that have arrived, answers them and refreshes RTS and DTR. Runs by itself
  // whenever the program writes; call it after changing faults or lines from a test.
  void Pump();

 private:
  void Send(const std::string& answer);

  MemoryLine& line_;
  MemoryLine::End& end_;
  Engine engine_;
  uint32_t baud_ = 0;
  Scheduler scheduler_;
  uint64_t line_free_us_ = 0;  // when the printer's transmitter has sent its last byte
  bool pumping_ = false;
  bool again_ = false;
  bool pump_scheduled_ = false;
};

}  // namespace kv::sim
