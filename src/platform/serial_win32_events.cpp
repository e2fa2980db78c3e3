#include "platform/serial_win32.h"

namespace kv {

namespace {

constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD;
// The pause after a wait that brought no line change: a WaitCommEvent that returns at once
// (or fails) is retried no sooner. A real device keeps the events of the pause for the next
// wait, and the line states are compared besides.
constexpr DWORD kIdleSliceMs = 100;
// How long Stop waits for a cancelled WaitCommEvent to complete.
constexpr DWORD kStopLimitMs = 1000;

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

// One WaitCommEvent: the driver fills in `events` and signals the event when it completes. It
// lives on the heap so that a call that does not complete when told to (the handle is then
// closed soon after, which ends it for good) can be left to finish into memory still valid.
struct PendingLineWait {
  OVERLAPPED overlapped{};
  DWORD events = 0;
};

// The wait ends on an event, on a failure, or on Stop. Stop clears the mask (which ends a
// pending WaitCommEvent) and cancels the call, and waits for it a bounded time.
bool LineEventWatcher::WaitForEvent(DWORD& events) {
  events = 0;
  auto* wait = new PendingLineWait;
  wait->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (wait->overlapped.hEvent == nullptr) {
    delete wait;
    return WaitForSingleObject(stop_, 0) == WAIT_TIMEOUT;
  }
  bool completed = true;
  bool running = true;
  if (WaitCommEvent(port_, &wait->events, &wait->overlapped)) {
    events = wait->events;
  } else if (GetLastError() == ERROR_IO_PENDING) {
    const HANDLE both[] = {wait->overlapped.hEvent, stop_};
    if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) {
      running = false;
      SetCommMask(port_, 0);
      CancelIoEx(port_, &wait->overlapped);
      completed = WaitForSingleObject(wait->overlapped.hEvent, kStopLimitMs) == WAIT_OBJECT_0;
    }
    DWORD ignored = 0;
    if (completed && running && GetOverlappedResult(port_, &wait->overlapped, &ignored, FALSE))
      events = wait->events;
  }
  if (!completed) return false;  // `wait` is left to the call
  CloseHandle(wait->overlapped.hEvent);
  delete wait;
  return running && WaitForSingleObject(stop_, 0) == WAIT_TIMEOUT;
}

}  // namespace kv
