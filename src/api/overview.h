#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/metrics_text.h"

namespace kv {

// What the status page may offer to do: the configured user's rights, never for the read-only
// token.
struct PageActions {
  bool x_report = false;
  bool drawer = false;
};

// The body of GET /api/v1/overview, the status page's data: the status as last published, the
// numbers of /metrics in a form a page shows, the last documents (newest first, with local
// time, total and number when known), the last lines of the error file, the actions offered,
// the version.
nlohmann::json OverviewBody(const MetricsInput& input, const std::vector<std::string>& error_lines,
                            PageActions actions);

// The last `count` lines of the file at `path` (cp1250, shown as UTF-8), read from at most its
// last `max_bytes`; none when it cannot be read.
std::vector<std::string> LastLines(const std::string& path, size_t count, size_t max_bytes = 16384);

}  // namespace kv
