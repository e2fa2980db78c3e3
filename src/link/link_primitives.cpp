#include <algorithm>

#include "base/app_shell.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/control_bytes.h"
#include "base/error_log.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/view_names.h"
#include "base/wait.h"
#include "lang/localization.h"
#include "link/crc.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "platform/com_port_timing.h"

// The byte-level primitives every exchange with the printer goes through.

namespace kv {

PrinterLink::PrinterLink(LinkServices s)
    : clock_(s.clock),
      boxes_(s.boxes),
      view_(s.view),
      app_(s.app),
      cfg_(s.cfg),
      lang_(s.lang),
      host_(s.host),
      errors_(s.errors),
      results_(s.results),
      local_time_(s.local_time),
      port_(s.port_backend ? s.port_backend() : MakeSystemComBackend()) {
  ConfigureAsComPort1(port_);
  port_.OnCTSChange([this](bool state) { ComPort1CTSChange(state); });
  port_.OnDSRChange([this](bool state) { ComPort1DSRChange(state); });
  port_.AddLineIndicator([this](TComSignal line, bool on) { ShowLine(line, on); });
  // A transfer that waits on the line gives up once the program is ending.
  port_.SetAbortCheck([this] { return app_.Ending(); });
}

void PrinterLink::PortFailed() {
  device_ready_ = 0;
  port_.Close();
}

void PrinterLink::SerialFailure(Tell tell, std::string_view text) {
  PortFailed();
  if (tell == Tell::Operator && Unattended()) tell = Tell::ErrorFile;
  if (tell == Tell::Operator) boxes_.App(std::string(text), BoxButtons::Ok, BoxIcon::Warning);
  if (tell == Tell::ErrorFile) errors_.LogError(text);
}

bool PrinterLink::WaitFor(uint32_t limit_ms, const std::function<bool()>& done,
                          const std::function<uint32_t()>& pause_ms) {
  return kv::WaitFor(clock_, app_, limit_ms, done, pause_ms);
}

bool PrinterLink::RetryPause() {
  DelayMs(kRetryPauseMs);
  return !app_.Ending();
}

void PrinterLink::DelayMs(uint32_t ms) {
  WaitFor(ms, nullptr);
}

int PrinterLink::WriteComChar(uint8_t byte, uint32_t limit_ms) {
  // A port that is not open (the device failed) takes nothing: no handshake wait for it.
  if (!port_.Connected()) return 0;
  if (os_major_ >= 5) WaitFor(limit_ms, [this] { return !port_.Connected() || LinesReady(); });
  if (!port_.Connected()) return 0;
  try {
    return port_.Write(&byte, 1) == 1 ? 1 : 0;
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, "Err WriteComChar");
    return 0;
  }
}

size_t PrinterLink::WriteComChars(std::string_view bytes, uint32_t limit_ms) {
  size_t sent = 0;
  if (os_major_ >= 5 && (dsr_gate_ != 0 || cts_gate_ != 0)) {
    while (sent < bytes.size() && WriteComChar(static_cast<uint8_t>(bytes[sent]), limit_ms) == 1)
      ++sent;
    return sent;
  }
  if (!port_.Connected()) return 0;
  // A piece may wait for room in the transmit queue as long as a single byte's write may: the
  // port's write time-outs are set so for the pieces and go back afterwards.
  constexpr size_t kPiece = 256;
  const TComTimeouts saved = port_.Timeouts();
  try {
    TComTimeouts pieces = saved;
    pieces.WriteTotalConstant = static_cast<int32_t>(WriteLimit(saved, 1).value_or(0));
    pieces.WriteTotalMultiplier = 0;
    port_.SetTimeouts(pieces);
    while (sent < bytes.size()) {
      const size_t piece = std::min(kPiece, bytes.size() - sent);
      const int got = port_.Write(bytes.data() + sent, static_cast<int>(piece));
      sent += static_cast<size_t>(std::max(got, 0));
      if (static_cast<size_t>(got) != piece) break;
    }
    port_.SetTimeouts(saved);
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, "Err WriteComChar");
    port_.SetTimeouts(saved);  // the port is closed: kept for its next open
  }
  return sent;
}

int PrinterLink::WriteBlock(const void* bytes, int count) {
  try {
    return port_.Write(bytes, count);
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, lang_.Msg(kMsgPortWriteFailed));
    return 0;
  }
}

int PrinterLink::Get_TX_Que() {
  if (!port_.Connected()) return 0;
  try {
    return port_.OutputCount();
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, "Err Get_TX_Que");
    return 0;
  }
}

int PrinterLink::Get_RX_Que() {
  if (!port_.Connected()) return 0;
  try {
    return port_.InputCount();
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, "Err Get_RX_Que");
    return 0;
  }
}

int PrinterLink::ReadNow(uint8_t* dest, int max) {
  if (!port_.Connected()) return -1;
  try {
    const int queued = port_.InputCount();
    if (queued <= 0 || max <= 0) return 0;
    return std::max(port_.Read(dest, std::min(queued, max)), 0);
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, lang_.Msg(kMsgPortReadFailed));
    return -1;
  }
}

void PrinterLink::Clear_RX_Que() {
  try {
    port_.ClearBuffer(true, false);
  } catch (const EComPort&) {
    SerialFailure(Tell::ErrorFile, "Err Clear_RX_Que()");
  }
}

void PrinterLink::Clear_TX_Que() {
  try {
    port_.ClearBuffer(false, true);
  } catch (const EComPort&) {
    SerialFailure(Tell::ErrorFile, "Err Clear_TX_Que()");
  }
}

int PrinterLink::ReadWaiting(void* dest, int count, uint32_t wait_ms) {
  // Time-outs under which a read returns what is queued, or else the first bytes that come
  // within the constant.
  const TComTimeouts saved = port_.Timeouts();
  TComTimeouts first_bytes = saved;
  first_bytes.ReadInterval = -1;
  first_bytes.ReadTotalMultiplier = -1;
  first_bytes.ReadTotalConstant = static_cast<int32_t>(std::clamp<uint32_t>(wait_ms, 1, INT32_MAX));
  port_.SetTimeouts(first_bytes);
  int got;
  try {
    got = port_.Read(dest, count);
  } catch (const EComPort&) {
    port_.SetTimeouts(saved);
    throw;
  }
  port_.SetTimeouts(saved);
  return got;
}

bool PrinterLink::WaitTxEmpty(uint32_t limit_ms) {
  // The next look comes when the bytes still queued can have left.
  int queued = 0;
  return WaitFor(
      limit_ms, [&] { return (queued = Get_TX_Que()) <= 0; },
      [&] { return LineMs(static_cast<size_t>(queued)); });
}

uint32_t PrinterLink::LineMs(size_t bytes) const {
  const TBaudRate rate = port_.BaudRate();
  const uint64_t baud = rate == brCustom ? port_.CustomBaudRate() : BaudRateValue(rate);
  // The shortest frame: a start bit, the data bits and one stop bit.
  const uint64_t bits = 1 + (5 + static_cast<uint64_t>(port_.DataBits())) + 1;
  if (baud == 0) return 1;
  return static_cast<uint32_t>(std::clamp<uint64_t>(bytes * bits * 1000 / baud, 1, UINT32_MAX));
}

void PrinterLink::PurgeAfterWrite() {
  const bool measurable = port_.OutputCountKnown();
  if (measurable) {
    const int queued = port_.OutputCount();
    if (queued > 0) {
      const uint32_t limit =
          WriteLimit(port_.Timeouts(), static_cast<size_t>(queued)).value_or(kTxDrainLimitMs);
      WaitFor(limit, [this] { return port_.OutputCount() <= 0; });
    }
  }
  port_.ClearBuffer(true, measurable);
}

bool PrinterLink::WriteCommand(std::string_view bytes) {
  try {
    PurgeAfterWrite();
  } catch (const EComPort&) {
    PortFailed();
    return false;
  }
  const int size = static_cast<int>(bytes.size());
  return WriteBlock(bytes.data(), size) == size;
}

bool PrinterLink::EnsurePortOpen() {
  if (port_.Connected()) return true;
  try {
    port_.Open();
  } catch (const EComPort&) {
    // Left closed: the caller's write reports the port that cannot be written.
  }
  return port_.Connected();
}

size_t PrinterLink::ReadAnswer(uint8_t* dest, size_t capacity, uint32_t timeout_ms, size_t minimum,
                               AnswerEnd end) {
  // An answer whose end is not known (or not yet in) is first looked at after this pause, so
  // that a printer that pauses early in its answer is not cut, and is then drained while
  // bytes keep coming with gaps under 20 ms. A complete answer ends the read at once.
  constexpr uint32_t kFirstLookMs = 50;
  constexpr uint32_t kDrainGapMs = 20;
  const size_t wanted = minimum > 10 ? minimum : 1;
  size_t total = 0;    // stored in dest
  size_t dropped = 0;  // read beyond dest
  size_t scanned = end.etx_from.value_or(0);
  bool complete = false;
  // Reads what is queued, never past a known length; where nothing is, waits up to `wait_ms`
  // for the next byte. False when nothing came. Bytes beyond the destination are read and
  // dropped, up to one more destination's worth, so that an endless stream cannot hold the
  // program here.
  uint8_t spill[256];
  auto take = [&](uint32_t wait_ms = 0) {
    if (complete || dropped > capacity) return false;
    const int queued = port_.InputCount();
    if (queued < 1 && wait_ms == 0) return false;
    size_t count = queued < 1 ? 1 : static_cast<size_t>(queued);
    if (end.length > 0) count = std::min(count, end.length - (total + dropped));
    const bool stored = total < capacity;
    uint8_t* into = stored ? dest + total : spill;
    count = std::min({count, stored ? capacity - total : sizeof spill, size_t{1} << 20});
    const int got = queued < 1 ? ReadWaiting(into, static_cast<int>(count), wait_ms)
                               : port_.Read(into, static_cast<int>(count));
    (stored ? total : dropped) += static_cast<size_t>(std::max(got, 0));
    if (end.length > 0 && total + dropped >= end.length) complete = true;
    if (end.etx_from) {
      for (; scanned < total && !complete; ++scanned) complete = dest[scanned] == kETX;
    }
    return got > 0;
  };

  // Takes what has come; true when the answer is complete.
  auto take_all = [&] {
    while (take()) {
    }
    return complete;
  };

  try {
    const uint32_t start = clock_.TickCount();
    const uint32_t last_look = kFirstLookMs + timeout_ms;
    auto left = [&](uint32_t until) { return until - std::min(until, clock_.Since(start)); };
    // Until the answer begins the line is waited on in the port itself: a printer that takes
    // its time (printing a receipt first) costs no polling.
    if (!take(left(last_look)) && app_.Ending()) return 0;  // its grace is over
    WaitFor(left(kFirstLookMs), take_all);
    WaitFor(left(last_look), [&] { return take_all() || total + dropped >= wanted; });
    AbortGrace grace;
    while (!complete && dropped <= capacity && !grace.Over(app_.Ending(), clock_.TickCount())) {
      const size_t before = total + dropped;
      WaitFor(kDrainGapMs, take_all);
      if (total + dropped == before) break;
    }
  } catch (const EComPort&) {
    SerialFailure(Tell::Operator, lang_.Msg(kMsgPortReadFailed));
    return 0;
  }
  return total;
}

// A line that cannot be read counts as off; the device is gone, so the port is closed and
// the next bring-up opens it again.
uint8_t PrinterLink::LineReady(uint8_t gate, const std::atomic<uint8_t>& cached, TComSignal line) {
  if (gate == 0) return 1;
  if (os_major_ < 5) return cached;
  try {
    last_signals_ = port_.Signals();
  } catch (const EComPort&) {
    SerialFailure(Tell::Nobody);
    return 0;
  }
  ShowLines(last_signals_);
  return (last_signals_ & line) ? 1 : 0;
}

uint8_t PrinterLink::DsrReady() {
  return LineReady(dsr_gate_, cached_dsr_, csDSR);
}

uint8_t PrinterLink::CtsReady() {
  return LineReady(cts_gate_, cached_cts_, csCTS);
}

void PrinterLink::ShowLine(TComSignal line, bool on) {
  std::atomic<int8_t>& lamp = line == csDSR ? lamp_dsr_ : lamp_cts_;
  if (lamp.exchange(on ? 1 : 0) == (on ? 1 : 0)) return;
  view_.SetChecked(line == csDSR ? view_names::kDsrLamp : view_names::kCtsLamp, on);
}

void PrinterLink::ShowLines(TComSignals lines) {
  ShowLine(csDSR, (lines & csDSR) != 0);
  ShowLine(csCTS, (lines & csCTS) != 0);
}

void PrinterLink::ClosePort() {
  port_.Close();
}

void PrinterLink::ClosePortWhenConfigured() {
  if (cfg_.CLOSE_PORT) ClosePort();
}

void PrinterLink::UpdateCrc(uint8_t byte) {
  crc_ = Crc16Step(crc_, byte);
}

}  // namespace kv
