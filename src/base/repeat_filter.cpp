#include "base/repeat_filter.h"

#include <algorithm>

namespace kv {

bool RepeatFilter::Take(std::string_view line, uint32_t now_ms, std::vector<Run>& report) {
  report.clear();
  if (!recent_.empty() && now_ms - last_ms_ >= kQuietMs) report = Flush();
  last_ms_ = now_ms;
  const auto known = std::find_if(recent_.begin(), recent_.end(),
                                  [&](const Entry& entry) { return entry.run.line == line; });
  if (known != recent_.end()) {
    ++known->run.repeats;
    if (now_ms - known->since_ms >= kReportEveryMs) {
      report.push_back(known->run);
      known->run.repeats = 0;
      known->since_ms = now_ms;
    }
    return false;
  }
  // A new line: a cycle that was repeating has ended.
  const bool repeating = std::any_of(recent_.begin(), recent_.end(),
                                     [](const Entry& entry) { return entry.run.repeats > 0; });
  if (repeating) {
    const std::vector<Run> counts = Flush();
    report.insert(report.end(), counts.begin(), counts.end());
  }
  recent_.push_back(Entry{Run{std::string(line), 0}, now_ms});
  if (recent_.size() > kCycle) recent_.pop_front();
  return true;
}

std::vector<RepeatFilter::Run> RepeatFilter::Flush() {
  std::vector<Run> counts;
  for (const Entry& entry : recent_)
    if (entry.run.repeats > 0) counts.push_back(entry.run);
  recent_.clear();
  return counts;
}

}  // namespace kv
