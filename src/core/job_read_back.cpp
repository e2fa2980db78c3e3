#include "core/job_read_back.h"

#include "base/clock.h"
#include "base/config.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

namespace kv {

bool ReadBackAfterJob(Clock& clock, PrinterLink& link, PrinterReadouts& readouts,
                      const Config& cfg, size_t bytes_sent) {
  const uint32_t start = clock.TickCount();
  const uint32_t limit = link.LineMs(bytes_sent) + static_cast<uint32_t>(cfg.time_info);
  for (;;) {
    if (readouts.cfg_to_cis(cfg.port)) return true;
    if (clock.Since(start) >= limit || !link.RetryPause()) return false;
    link.Clear_RX_Que();
  }
}

}  // namespace kv
