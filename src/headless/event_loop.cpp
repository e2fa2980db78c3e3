#include "headless/event_loop.h"

#include <algorithm>

namespace kv {

uint32_t EventLoop::NextWaitMs() {
  uint32_t ms = kMaxWaitMs;
  for (LoopTimer* timer : timers_)
    if (timer->Enabled()) ms = std::min(ms, timer->MsUntilDue());
  return ms;
}

void EventLoop::Run(const std::function<bool()>& stop) {
  while (!stop()) {
    const uint32_t ms = NextWaitMs();
    if (ms > 0) {
      if (wait)
        wait(ms);
      else
        clock_.Sleep(ms);
    }
    if (take_arrivals) take_arrivals();
    if (stop()) return;
    for (LoopTimer* timer : timers_) {
      timer->TickIfDue();
      if (stop()) return;
    }
  }
}

}  // namespace kv
