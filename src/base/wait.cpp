#include "base/wait.h"

#include <algorithm>

#include "base/app_shell.h"
#include "base/clock.h"

namespace kv {

bool WaitFor(Clock& clock, const AppShell& app, uint32_t limit_ms,
             const std::function<bool()>& done, const std::function<uint32_t()>& pause_ms) {
  constexpr uint32_t kDelaySliceMs = 50;
  const uint32_t start = clock.TickCount();
  AbortGrace grace;
  for (;;) {
    if (done && done()) return true;
    if (grace.Over(app.Ending(), clock.TickCount())) return false;
    const uint32_t elapsed = clock.Since(start);
    if (elapsed >= limit_ms) return false;
    const uint32_t pause = done && pause_ms ? std::clamp<uint32_t>(pause_ms(), 1, kDelaySliceMs)
                           : done           ? 1
                                            : kDelaySliceMs;
    clock.Sleep(std::min(limit_ms - elapsed, pause));
  }
}

}  // namespace kv
