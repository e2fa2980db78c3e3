#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace kv {

// Who a counted document came from: the input file (nobody waiting, or the client waiting for
// its answer), the HTTP interface, or the sale screen of the till.
enum class CountedSource { File, Client, Http, Till };
inline constexpr size_t kCountedSources = 4;

// How a counted document ended. A till receipt has no read-back verdict: it is Sent when its
// bytes all went out, Failed when they did not.
enum class CountedOutcome { Confirmed, Unproven, Failed, Sent };
inline constexpr size_t kCountedOutcomes = 4;

// What a document's sender knows of it, for the list of the last documents.
struct DocumentFacts {
  std::optional<int32_t> number;       // the printer's document number read back after it
  std::optional<int64_t> total_cents;  // the receipt's total, when the sender built it
};

// What the program has done since it started, counted for whoever watches it from outside
// (the HTTP interface's /metrics and status page): documents by source and outcome with the
// last kRecent of them, daily closings, the duration of file jobs, HTTP requests by endpoint
// and status. The parts that do the work report into it; the counts start at zero with the
// program.
//
// Thread-safe: the job runs on the main thread while the HTTP server's thread reads.
class RunCounters {
 public:
  using SteadyTime = std::chrono::steady_clock::time_point;

  // Upper bounds (seconds) of the job duration buckets: a short receipt takes a tenth of a
  // second at 115200 baud, a long one at 9600 several seconds, a job that waits for the
  // operator or a slow printer up to a minute.
  static constexpr std::array<double, 10> kJobBuckets = {0.1, 0.25, 0.5, 1, 2, 4, 8, 15, 30, 60};
  // HTTP statuses are counted from 100 to 599; anything else would be a fault of ours.
  static constexpr size_t kMaxHttpSeries = 512;
  static constexpr size_t kRecent = 20;

  struct RecentDocument {
    std::time_t when = 0;  // wall clock
    CountedSource source = CountedSource::File;
    CountedOutcome outcome = CountedOutcome::Failed;
    DocumentFacts facts;
  };

  struct Snapshot {
    std::array<std::array<uint64_t, kCountedOutcomes>, kCountedSources> documents{};
    uint64_t daily_closings = 0;
    uint64_t files_set_aside = 0;
    // Jobs at or below each bucket's bound (cumulative), their count and their summed seconds.
    std::array<uint64_t, kJobBuckets.size()> job_buckets{};
    uint64_t jobs = 0;
    double job_seconds = 0;
    std::map<std::pair<std::string, int>, uint64_t> http;  // (endpoint, status) -> requests
    std::optional<SteadyTime> last_confirmed;
    std::deque<RecentDocument> recent;  // oldest first, at most kRecent
  };

  void CountDocument(CountedSource source, CountedOutcome outcome, DocumentFacts facts = {});
  void CountDailyClosing();
  // An input file moved aside under a dated name (never printed, or failed with its bytes kept).
  void CountSetAside();
  void ObserveJob(double seconds);
  // `endpoint` is a name from a fixed set (the caller maps paths onto it), so the series stay
  // bounded.
  void CountHttp(const std::string& endpoint, int status);

  Snapshot Read() const;

 private:
  mutable std::mutex mutex_;
  Snapshot counts_;
};

}  // namespace kv
