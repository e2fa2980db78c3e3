#include "sim/line_printer.h"

#include <algorithm>
#include <limits>

namespace kv::sim {

LinePrinter::LinePrinter(MemoryLine& line) : line_(line), end_(line.b()), engine_(line.clock()) {
  end_.OnReceive([this] { Pump(); });
  Pump();
}

LinePrinter::~LinePrinter() {
  end_.OnReceive(nullptr);
}

void LinePrinter::Pump() {
  // Answering can make the program's end write again (its own receive hook); that nested
  // call only asks for one more round here.
  if (pumping_) {
    again_ = true;
    return;
  }
  pumping_ = true;
  do {
    again_ = false;
    const std::string in = end_.Read(std::numeric_limits<size_t>::max());
    if (!in.empty()) Send(engine_.Receive(in));
    end_.SetRts(engine_.RtsUp());
    end_.SetDtr(engine_.DtrUp());
  } while (again_);
  pumping_ = false;
  if (end_.InFlight() > 0 && scheduler_ && !pump_scheduled_) {
    pump_scheduled_ = true;
    scheduler_(line_.clock().TickCount() + 1, [this] {
      pump_scheduled_ = false;
      Pump();
    });
  }
}

void LinePrinter::Send(const std::string& answer) {
  if (answer.empty()) return;
  const uint32_t now = line_.clock().TickCount();
  const uint32_t start = now + engine_.faults().delay_ms;
  if (baud_ == 0) {
    end_.WriteAt(answer, start);
    return;
  }
  // Ten bits per byte (start, eight data, stop); a byte arrives when its stop bit is done.
  const uint64_t byte_us = 10'000'000ull / baud_;
  uint64_t at_us = std::max<uint64_t>(uint64_t{start} * 1000, line_free_us_);
  for (char c : answer) {
    at_us += byte_us;
    end_.WriteAt(std::string_view(&c, 1), static_cast<uint32_t>((at_us + 999) / 1000));
  }
  line_free_us_ = at_us;
}

}  // namespace kv::sim
