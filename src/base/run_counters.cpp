#include "base/run_counters.h"

namespace kv {

void RunCounters::CountDocument(CountedSource source, CountedOutcome outcome,
                                DocumentFacts facts) {
  const std::time_t now = std::time(nullptr);
  std::lock_guard lock(mutex_);
  ++counts_.documents[static_cast<size_t>(source)][static_cast<size_t>(outcome)];
  if (outcome == CountedOutcome::Confirmed) counts_.last_confirmed = std::chrono::steady_clock::now();
  counts_.recent.push_back({now, source, outcome, facts});
  if (counts_.recent.size() > kRecent) counts_.recent.pop_front();
}

void RunCounters::CountDailyClosing() {
  std::lock_guard lock(mutex_);
  ++counts_.daily_closings;
}

void RunCounters::CountSetAside() {
  std::lock_guard lock(mutex_);
  ++counts_.files_set_aside;
}

void RunCounters::ObserveJob(double seconds) {
  if (!(seconds >= 0)) seconds = 0;  // a clock that went back (or NaN) counts as instant
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < kJobBuckets.size(); ++i)
    if (seconds <= kJobBuckets[i]) ++counts_.job_buckets[i];
  ++counts_.jobs;
  counts_.job_seconds += seconds;
}

void RunCounters::CountHttp(const std::string& endpoint, int status) {
  if (status < 100 || status > 599) status = 0;
  std::lock_guard lock(mutex_);
  const auto key = std::make_pair(endpoint, status);
  const auto it = counts_.http.find(key);
  if (it != counts_.http.end()) {
    ++it->second;
  } else if (counts_.http.size() < kMaxHttpSeries) {
    counts_.http.emplace(key, 1);
  }
}

RunCounters::Snapshot RunCounters::Read() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

}  // namespace kv
