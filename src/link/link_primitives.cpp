#include <algorithm>

#include "core/print_manager.h"
#include "platform/com_port_timing.h"
#include "link/crc.h"

// The byte-level primitives every exchange with the printer goes through. A failure inside the
// serial layer (EComPort) never leaves these functions: it is reported in the primitive's own
// words and the port is closed, so that the next bring-up opens the device afresh.

namespace kv {

void TSRB4900::PortFailed() {
  device_ready = 0;
  ComPort1.Close();
}

bool TSRB4900::WaitFor(uint32_t limit_ms, const std::function<bool()>& done) {
  return kv::WaitFor(clock, app, limit_ms, done);
}

bool TSRB4900::RetryPause() {
  DelayMs(kRetryPauseMs);
  return !app.Ending();
}

void TSRB4900::DelayMs(uint32_t ms) {
  WaitFor(ms, nullptr);
}

int TSRB4900::WriteComChar(uint8_t byte, uint32_t limit_ms) {
  // A port that is not open (the device failed) takes nothing: no handshake wait for it.
  if (!ComPort1.Connected()) return 0;
  if (os_major >= 5) WaitFor(limit_ms, [this] { return !ComPort1.Connected() || LinesReady(); });
  if (!ComPort1.Connected()) return 0;
  try {
    return ComPort1.Write(&byte, 1) == 1 ? 1 : 0;
  } catch (const EComPort&) {
    PortFailed();
    boxes.App("Err WriteComChar", BoxButtons::Ok, BoxIcon::Warning);
    return 0;
  }
}

int TSRB4900::WriteBlock(const void* bytes, int count) {
  try {
    return ComPort1.Write(bytes, count);
  } catch (const EComPort&) {
    PortFailed();
    boxes.App(Msg(140), BoxButtons::Ok, BoxIcon::Warning);
    return 0;
  }
}

int TSRB4900::Get_TX_Que() {
  if (!ComPort1.Connected()) return 0;
  try {
    return ComPort1.OutputCount();
  } catch (const EComPort&) {
    PortFailed();
    boxes.App("Err Get_TX_Que", BoxButtons::Ok, BoxIcon::Warning);
    return 0;
  }
}

int TSRB4900::Get_RX_Que() {
  if (!ComPort1.Connected()) return 0;
  try {
    return ComPort1.InputCount();
  } catch (const EComPort&) {
    PortFailed();
    boxes.App("Err Get_RX_Que", BoxButtons::Ok, BoxIcon::Warning);
    return 0;
  }
}

void TSRB4900::Clear_RX_Que() {
  try {
    ComPort1.ClearBuffer(true, false);
  } catch (const EComPort&) {
    PortFailed();
    LogError("Err Clear_RX_Que()");
  }
}

void TSRB4900::Clear_TX_Que() {
  try {
    ComPort1.ClearBuffer(false, true);
  } catch (const EComPort&) {
    PortFailed();
    LogError("Err Clear_TX_Que()");
  }
}

bool TSRB4900::WaitTxEmpty(uint32_t limit_ms) {
  return WaitFor(limit_ms, [this] { return Get_TX_Que() <= 0; });
}

void TSRB4900::PurgeAfterWrite() {
  const bool measurable = ComPort1.OutputCountKnown();
  if (measurable) {
    const int queued = ComPort1.OutputCount();
    if (queued > 0) {
      const uint32_t limit =
          WriteLimit(ComPort1.Timeouts(), static_cast<size_t>(queued)).value_or(kTxDrainLimitMs);
      WaitFor(limit, [this] { return ComPort1.OutputCount() <= 0; });
    }
  }
  ComPort1.ClearBuffer(true, measurable);
}

size_t TSRB4900::ReadAnswer(uint8_t* dest, size_t capacity, uint32_t timeout_ms, size_t minimum) {
  DelayMs(50);
  const size_t wanted = minimum > 10 ? minimum : 1;
  size_t total = 0;
  try {
    WaitFor(timeout_ms, [&] { return static_cast<size_t>(ComPort1.InputCount()) >= wanted; });

    // Drain while bytes keep coming. Bytes beyond the destination are read and dropped, up to
    // one more destination's worth, so that an endless stream cannot hold the program here.
    uint8_t spill[256];
    size_t dropped = 0;
    AbortGrace grace;
    while (!grace.Over(app.Ending(), clock.TickCount())) {
      DelayMs(20);
      const int queued = ComPort1.InputCount();
      if (queued < 1) break;
      int got;
      if (total < capacity) {
        const int room = static_cast<int>(std::min(capacity - total, size_t{1} << 20));
        got = ComPort1.Read(dest + total, std::min(queued, room));
        total += static_cast<size_t>(std::max(got, 0));
      } else {
        got = ComPort1.Read(spill, std::min(queued, static_cast<int>(sizeof spill)));
        dropped += static_cast<size_t>(std::max(got, 0));
        if (dropped > capacity) break;
      }
      if (got <= 0) break;
    }
  } catch (const EComPort&) {
    PortFailed();
    boxes.App(Msg(141), BoxButtons::Ok, BoxIcon::Warning);
    return 0;
  }
  return total;
}

// A line that cannot be read counts as off; the device is gone, so the port is closed and
// the next bring-up opens it again.
uint8_t TSRB4900::DsrReady() {
  if (dsr_gate == 0) return 1;
  if (os_major < 5) return cached_dsr;
  try {
    last_signals = ComPort1.Signals();
  } catch (const EComPort&) {
    PortFailed();
    return 0;
  }
  ShowLines(last_signals);
  return (last_signals & csDSR) ? 1 : 0;
}

uint8_t TSRB4900::CtsReady() {
  if (cts_gate == 0) return 1;
  if (os_major < 5) return cached_cts;
  try {
    last_signals = ComPort1.Signals();
  } catch (const EComPort&) {
    PortFailed();
    return 0;
  }
  ShowLines(last_signals);
  return (last_signals & csCTS) ? 1 : 0;
}

void TSRB4900::ShowLine(TComSignal line, bool on) {
  std::atomic<int8_t>& lamp = line == csDSR ? lamp_dsr : lamp_cts;
  if (lamp.exchange(on ? 1 : 0) == (on ? 1 : 0)) return;
  view.SetChecked(line == csDSR ? "SRB4900/DSR" : "SRB4900/CTS", on);
}

void TSRB4900::ShowLines(TComSignals lines) {
  ShowLine(csDSR, (lines & csDSR) != 0);
  ShowLine(csCTS, (lines & csCTS) != 0);
}

void TSRB4900::ClosePort() {
  ComPort1.Close();
}

void TSRB4900::UpdateCrc(uint8_t byte) {
  crc = Crc16Step(crc, byte);
}

}  // namespace kv
