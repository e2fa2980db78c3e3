#include <algorithm>

#include "core/print_manager.h"
#include "link/crc.h"

// The byte-level primitives every exchange with the printer goes through. A failure inside the
// serial layer (EComPort) never leaves these functions: it is reported in the primitive's own
// words and the port is closed, so that the next bring-up opens the device afresh.

namespace kv {

void TSRB4900::PortFailed() {
  device_ready = 0;
  ComPort1.Close();
}

void TSRB4900::DelayMs(uint32_t ms) {
  const uint32_t start = clock.TickCount();
  while (clock.Since(start) < ms) clock.Sleep(1);
}

int TSRB4900::WriteComChar(uint8_t byte, uint32_t limit_ms) {
  if (os_major >= 5) {
    const uint32_t start = clock.TickCount();
    while (!(CtsReady() == 1 && DsrReady() == 1) && clock.Since(start) < limit_ms) clock.Sleep(1);
  }
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
  const uint32_t start = clock.TickCount();
  while (Get_TX_Que() > 0) {
    if (clock.Since(start) >= limit_ms) return false;
    clock.Sleep(1);
  }
  return true;
}

size_t TSRB4900::ReadAnswer(uint8_t* dest, size_t capacity, uint32_t timeout_ms, size_t minimum) {
  DelayMs(50);
  const size_t wanted = minimum > 10 ? minimum : 1;
  size_t total = 0;
  try {
    const uint32_t start = clock.TickCount();
    while (static_cast<size_t>(ComPort1.InputCount()) < wanted && clock.Since(start) <= timeout_ms)
      clock.Sleep(1);

    // Drain while bytes keep coming. Bytes beyond the destination are read and dropped, up to
    // one more destination's worth, so that an endless stream cannot hold the program here.
    uint8_t spill[256];
    size_t dropped = 0;
    for (;;) {
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

uint8_t TSRB4900::DsrReady() {
  if (dsr_gate == 0) return 1;
  if (os_major < 5) return cached_dsr;
  try {
    last_signals = ComPort1.Signals();
  } catch (const EComPort&) {
    return 0;
  }
  return (last_signals & csDSR) ? 1 : 0;
}

uint8_t TSRB4900::CtsReady() {
  if (cts_gate == 0) return 1;
  if (os_major < 5) return cached_cts;
  try {
    last_signals = ComPort1.Signals();
  } catch (const EComPort&) {
    return 0;
  }
  return (last_signals & csCTS) ? 1 : 0;
}

void TSRB4900::ClosePort() {
  ComPort1.Close();
}

void TSRB4900::UpdateCrc(uint8_t byte) {
  crc = Crc16Step(crc, byte);
}

}  // namespace kv
