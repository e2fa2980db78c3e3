#include "platform/serial_win32.h"

namespace kv {

namespace {

constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD;
// The pause after a wait that brought no line change: a WaitCommEvent that returns at once
// (or fails) is retried no sooner. A real device keeps the events of the pause for the next
// wait, and the line states are compared besides.
constexpr DWORD kIdleSliceMs = 100;

TComEvents FromSystemEvents(DWORD events) {
  TComEvents found = 0;
  if (events & EV_CTS) found |= ComEventBit(evCTS);
  if (events & EV_DSR) found |= ComEventBit(evDSR);
  if (events & EV_RING) found |= ComEventBit(evRing);
  if (events & EV_RLSD) found |= ComEventBit(evRLSD);
  return found;
}

TComEvents Changes(DWORD before, DWORD after) {
  const DWORD changed = before ^ after;
  TComEvents found = 0;
  if (changed & MS_CTS_ON) found |= ComEventBit(evCTS);
  if (changed & MS_DSR_ON) found |= ComEventBit(evDSR);
  if (changed & MS_RING_ON) found |= ComEventBit(evRing);
  if (changed & MS_RLSD_ON) found |= ComEventBit(evRLSD);
  return found;
}

}  // namespace

void LineEventWatcher::Start(HANDLE port, std::function<void(TComEvents)> sink) {
  Stop();
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (stop_ == nullptr) throw EComPort(kComInvalidAsync, static_cast<int>(GetLastError()));
  port_ = port;
  sink_ = std::move(sink);
  thread_ = std::thread([this] { Run(); });
}

void LineEventWatcher::Stop() noexcept {
  if (!thread_.joinable()) return;
  SetEvent(stop_);
  thread_.join();
  CloseHandle(stop_);
  stop_ = nullptr;
  sink_ = nullptr;
}

void LineEventWatcher::Run() {
  DWORD before = 0;
  // No modem lines (a pseudo-terminal under Wine) or a device already gone: nothing will ever
  // change.
  if (!GetCommModemStatus(port_, &before)) return;
  // A device that refuses the mask fails every WaitCommEvent: the slices below still compare
  // the line states.
  SetCommMask(port_, kLineEvents);
  for (;;) {
    DWORD events = 0;
    if (!WaitForEvent(events)) return;
    DWORD now = 0;
    if (!GetCommModemStatus(port_, &now)) return;  // the port's next call reports it
    const TComEvents changed = Changes(before, now);
    const TComEvents found = FromSystemEvents(events) | changed;
    before = now;
    if (found != 0) sink_(found);
    if (changed == 0 && WaitForSingleObject(stop_, kIdleSliceMs) != WAIT_TIMEOUT) return;
  }
}

// The wait ends on an event, on a failure, or on Stop, which cancels the pending call; the
// call is always complete before `events` (which the driver fills in) goes out of use.
bool LineEventWatcher::WaitForEvent(DWORD& events) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) {
    events = 0;
    return WaitForSingleObject(stop_, 0) == WAIT_TIMEOUT;
  }
  bool running = true;
  if (!WaitCommEvent(port_, &events, &overlapped)) {
    if (GetLastError() == ERROR_IO_PENDING) {
      const HANDLE both[] = {overlapped.hEvent, stop_};
      if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) {
        running = false;
        CancelIoEx(port_, &overlapped);
      }
      DWORD ignored = 0;
      if (!GetOverlappedResult(port_, &overlapped, &ignored, TRUE)) events = 0;
    } else {
      events = 0;
    }
  }
  CloseHandle(overlapped.hEvent);
  if (!running) events = 0;
  return running && WaitForSingleObject(stop_, 0) == WAIT_TIMEOUT;
}

}  // namespace kv
