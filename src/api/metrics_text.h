#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "base/run_counters.h"

namespace kv {

// The files a watcher of the till cares about, looked at when the metrics are asked for.
struct FileGauges {
  std::optional<uint64_t> error_file_bytes;  // FM_err.txt; none while it does not exist
  int waiting = 0;    // the input file is there, not yet taken
  int set_aside = 0;  // input files moved aside under a dated name, still in the folder
};

// Everything one answer of GET /metrics tells.
struct MetricsInput {
  RunCounters::Snapshot counters;
  // The body of GET /status as last published (ready, flags, documentNumber, closingNumber).
  nlohmann::json status = nlohmann::json::object();
  bool in_exchange = false;  // an exchange holds the printer right now
  std::optional<double> last_exchange_age_s;   // none before the first one
  std::optional<double> last_confirmed_age_s;  // none before the first confirmed document
  FileGauges files;
  std::string version;
};

// The Prometheus text exposition format (version 0.0.4) of the input: a HELP and a TYPE line
// for every family, every known label combination written (zero included), so that a rate
// over a fresh start has its series. Numbers are written without the locale.
std::string MetricsText(const MetricsInput& input);

// The content type of that text.
inline constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// The endpoint label of an HTTP request path: one of a fixed set, "other" for anything else.
std::string MetricsEndpoint(std::string_view path);

}  // namespace kv
