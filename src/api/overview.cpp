#include "api/overview.h"

#include <array>
#include <fstream>

#include "api/api_answer.h"
#include "base/system.h"
#include "lang/codepage.h"

namespace kv {

namespace {

using nlohmann::json;

constexpr std::array<const char*, kCountedSources> kSources = {"file", "client", "http", "till"};
constexpr std::array<const char*, kCountedOutcomes> kOutcomes = {"confirmed", "unproven", "failed",
                                                                 "sent"};

json Optional(const std::optional<double>& value) { return value ? json(*value) : json(nullptr); }

std::string LocalTimeText(std::time_t when) {
  const std::tm local = LocalTime(when);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

json OverviewBody(const MetricsInput& in, const std::vector<std::string>& error_lines,
                  PageActions actions) {
  const RunCounters::Snapshot& c = in.counters;
  uint64_t documents = 0;
  for (const auto& by_source : c.documents)
    for (const uint64_t n : by_source) documents += n;
  json recent = json::array();
  for (auto it = c.recent.rbegin(); it != c.recent.rend(); ++it) {
    const auto& facts = it->facts;
    recent.push_back({{"number", facts.number ? json(*facts.number) : json(nullptr)},
                      {"time", LocalTimeText(it->when)},
                      {"total", facts.total_cents ? CentsNumber(*facts.total_cents) : json(nullptr)},
                      {"source", kSources[static_cast<size_t>(it->source)]},
                      {"outcome", kOutcomes[static_cast<size_t>(it->outcome)]}});
  }
  json status = in.status;
  status["busy"] = in.in_exchange;
  return {{"status", status},
          {"documents", documents},
          {"dailyClosings", c.daily_closings},
          {"lastExchangeAgeSeconds", Optional(in.last_exchange_age_s)},
          {"lastConfirmedAgeSeconds", Optional(in.last_confirmed_age_s)},
          {"errorFileBytes", in.files.error_file_bytes.value_or(0)},
          {"filesWaiting", in.files.waiting},
          {"filesSetAside", in.files.set_aside},
          {"recent", recent},
          {"errorLines", error_lines},
          {"actions", {{"xReport", actions.x_report}, {"drawer", actions.drawer}}},
          {"version", in.version}};
}

std::vector<std::string> LastLines(const std::string& path, size_t count, size_t max_bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  const std::streamoff start = size > static_cast<std::streamoff>(max_bytes)
                                   ? size - static_cast<std::streamoff>(max_bytes)
                                   : 0;
  in.seekg(start);
  std::string tail(static_cast<size_t>(size - start), '\0');
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  tail.resize(static_cast<size_t>(in.gcount()));
  std::vector<std::string> lines;
  size_t end = tail.size();
  while (end > 0 && tail[end - 1] == '\n') --end;
  while (lines.size() < count && end > 0) {
    const size_t newline = tail.rfind('\n', end - 1);
    const size_t begin = newline == std::string::npos ? 0 : newline + 1;
    // A line cut by the start of the tail is left out, unless the tail is the whole file.
    if (newline == std::string::npos && start > 0) break;
    std::string line = tail.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.insert(lines.begin(), Cp1250ToUtf8(line));
    if (newline == std::string::npos) break;
    end = newline;
  }
  return lines;
}

}  // namespace kv
