#include "api/metrics_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace kv {

namespace {

using nlohmann::json;

constexpr std::array<const char*, kCountedSources> kSourceNames = {"file", "client", "http", "till"};
constexpr std::array<const char*, kCountedOutcomes> kOutcomeNames = {"confirmed", "unproven",
                                                                     "failed", "sent"};

// The condition bits of the status answer, named as the program reads them (the messages it
// shows for them).
struct ConditionBit {
  const char* flag;
  const char* name;
};
constexpr ConditionBit kConditions[] = {
    {"S1_7", "document_open"},   {"S1_6", "closing_due"},
    {"S1_5", "closing_refused"}, {"S1_4", "paper_out"},
    {"S1_2", "cover_open"},      {"S2_7", "fiscal_memory_full"},
    {"S2_6", "fiscal_memory_error"}, {"S2_5", "fiscal_memory_uninitialised"},
};

constexpr const char* kEndpoints[] = {
    "/", "/status.html", "/status.js", "/status.css", "/api/v1/overview",
    "/metrics",           "/api/v1/status",         "/api/v1/info",
    "/api/v1/receipts",   "/api/v1/cash",           "/api/v1/reports/x",
    "/api/v1/reports/daily", "/api/v1/reports/monthly", "/api/v1/copies/last-document",
    "/api/v1/copies/last-daily-closing", "/api/v1/clock", "/api/v1/drawer",
};

std::string Number(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string Number(uint64_t value) { return std::to_string(value); }

// A label value with backslash, quote and line feed escaped.
std::string Escaped(std::string_view value) {
  std::string out;
  for (const char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

class Writer {
 public:
  void Family(const char* name, const char* type, const char* help) {
    text += "# HELP ";
    text += name;
    text += ' ';
    text += help;
    text += "\n# TYPE ";
    text += name;
    text += ' ';
    text += type;
    text += '\n';
  }
  void Sample(std::string_view name, const std::string& labels, const std::string& value) {
    text += name;
    if (!labels.empty()) text += "{" + labels + "}";
    text += ' ';
    text += value;
    text += '\n';
  }
  std::string text;
};

std::string Label(const char* name, std::string_view value) {
  return std::string(name) + "=\"" + Escaped(value) + "\"";
}

// A whole number from the status body; 0 when it is missing or not a number.
double StatusNumber(const json& status, const char* name) {
  const auto it = status.find(name);
  return it != status.end() && it->is_number() ? it->get<double>() : 0.0;
}

bool FlagSet(const json& status, const char* flag) {
  const auto flags = status.find("flags");
  if (flags == status.end() || !flags->is_object()) return false;
  const auto it = flags->find(flag);
  return it != flags->end() && ((it->is_boolean() && it->get<bool>()) ||
                                (it->is_number() && it->get<double>() != 0));
}

void WriteCounters(Writer& w, const RunCounters::Snapshot& c) {
  w.Family("kv4910_documents_total", "counter",
           "Documents sent through the send path by source and outcome (till receipts: sent or "
           "failed, they have no read-back)");
  for (size_t s = 0; s < kCountedSources; ++s) {
    const bool till = s == static_cast<size_t>(CountedSource::Till);
    for (size_t o = 0; o < kCountedOutcomes; ++o) {
      const auto outcome = static_cast<CountedOutcome>(o);
      const bool applies = till ? outcome == CountedOutcome::Sent || outcome == CountedOutcome::Failed
                                : outcome != CountedOutcome::Sent;
      if (!applies) continue;
      w.Sample("kv4910_documents_total",
               Label("source", kSourceNames[s]) + "," + Label("outcome", kOutcomeNames[o]),
               Number(c.documents[s][o]));
    }
  }
  w.Family("kv4910_daily_closings_total", "counter", "Daily closings sent to the printer");
  w.Sample("kv4910_daily_closings_total", "", Number(c.daily_closings));

  w.Family("kv4910_input_files_set_aside_total", "counter",
           "Input files moved aside under a dated name (never printed, or failed with the bytes kept)");
  w.Sample("kv4910_input_files_set_aside_total", "", Number(c.files_set_aside));

  w.Family("kv4910_http_requests_total", "counter", "HTTP requests answered by endpoint and status");
  for (const auto& [key, count] : c.http)
    w.Sample("kv4910_http_requests_total",
             Label("endpoint", key.first) + "," + Label("code", std::to_string(key.second)),
             Number(count));

  w.Family("kv4910_job_duration_seconds", "histogram",
           "Print jobs from taking the input file to writing the result files");
  for (size_t i = 0; i < RunCounters::kJobBuckets.size(); ++i)
    w.Sample("kv4910_job_duration_seconds_bucket", Label("le", Number(RunCounters::kJobBuckets[i])),
             Number(c.job_buckets[i]));
  w.Sample("kv4910_job_duration_seconds_bucket", Label("le", "+Inf"), Number(c.jobs));
  w.Sample("kv4910_job_duration_seconds_sum", "", Number(c.job_seconds));
  w.Sample("kv4910_job_duration_seconds_count", "", Number(c.jobs));
}

void WriteGauges(Writer& w, const MetricsInput& in) {
  const json& status = in.status;
  const auto ready = status.find("ready");
  w.Family("kv4910_printer_ready", "gauge",
           "1 when the printer answered last time and no condition bit stops a receipt");
  w.Sample("kv4910_printer_ready", "",
           ready != status.end() && ready->is_boolean() && ready->get<bool>() ? "1" : "0");
  w.Family("kv4910_printer_condition", "gauge", "The printer's condition bits as last read, 0 or 1");
  for (const ConditionBit& bit : kConditions)
    w.Sample("kv4910_printer_condition", Label("condition", bit.name),
             FlagSet(status, bit.flag) ? "1" : "0");
  w.Family("kv4910_printer_in_exchange", "gauge", "1 while an exchange holds the printer");
  w.Sample("kv4910_printer_in_exchange", "", in.in_exchange ? "1" : "0");
  w.Family("kv4910_document_number", "gauge", "The printer's document number as last read");
  w.Sample("kv4910_document_number", "", Number(StatusNumber(status, "documentNumber")));
  w.Family("kv4910_closing_number", "gauge", "The printer's daily closing number as last read");
  w.Sample("kv4910_closing_number", "", Number(StatusNumber(status, "closingNumber")));

  w.Family("kv4910_last_exchange_age_seconds", "gauge",
           "Seconds since the last exchange with the printer ended (0 during one)");
  if (in.last_exchange_age_s)
    w.Sample("kv4910_last_exchange_age_seconds", "", Number(*in.last_exchange_age_s));
  w.Family("kv4910_last_confirmed_document_age_seconds", "gauge",
           "Seconds since the last document the printer confirmed");
  if (in.last_confirmed_age_s)
    w.Sample("kv4910_last_confirmed_document_age_seconds", "", Number(*in.last_confirmed_age_s));

  w.Family("kv4910_error_file_bytes", "gauge", "Size of the error file FM_err.txt (0: none)");
  w.Sample("kv4910_error_file_bytes", "", Number(in.files.error_file_bytes.value_or(0)));
  w.Family("kv4910_input_files", "gauge", "Input files waiting to be taken or set aside");
  w.Sample("kv4910_input_files", Label("state", "waiting"), Number(uint64_t(in.files.waiting)));
  w.Sample("kv4910_input_files", Label("state", "set_aside"), Number(uint64_t(in.files.set_aside)));

  w.Family("kv4910_build_info", "gauge", "The program's version, always 1");
  w.Sample("kv4910_build_info", Label("version", in.version), "1");
}

}  // namespace

std::string MetricsText(const MetricsInput& input) {
  Writer w;
  WriteCounters(w, input.counters);
  WriteGauges(w, input);
  return w.text;
}

std::string MetricsEndpoint(std::string_view path) {
  for (const char* endpoint : kEndpoints)
    if (path == endpoint) return endpoint;
  return "other";
}

}  // namespace kv
