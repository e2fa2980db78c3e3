#include "base/wait.h"

#include <algorithm>

#include "base/app_shell.h"
#include "base/clock.h"

namespace kv {

bool WaitFor(Clock& clock, const AppShell& app, uint32_t limit_ms,
             const std::function<bool()>& done) {
  constexpr uint32_t kDelaySliceMs = 50;
  const uint32_t start = clock.TickCount();
  AbortGrace grace;
  for (;;) {
    if (done && done()) return true;
    if (grace.Over(app.Ending(), clock.TickCount())) return false;
    const uint32_t elapsed = clock.Since(start);
    if (elapsed >= limit_ms) return false;
    clock.Sleep(done ? 1 : std::min(limit_ms - elapsed, kDelaySliceMs));
  }
}

}  // namespace kv
