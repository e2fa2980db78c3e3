// The counters the program keeps for watchers and the Prometheus text that /metrics answers.
#include <gtest/gtest.h>

#include <clocale>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "api/metrics_text.h"
#include "api/overview.h"
#include "base/run_counters.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

bool HasLine(const std::string& text, const std::string& line) {
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (l == line) return true;
  return false;
}

MetricsInput SomeRun() {
  RunCounters counters;
  counters.CountDocument(CountedSource::File, CountedOutcome::Confirmed);
  counters.CountDocument(CountedSource::File, CountedOutcome::Confirmed);
  counters.CountDocument(CountedSource::Http, CountedOutcome::Failed);
  counters.CountDocument(CountedSource::Till, CountedOutcome::Sent);
  counters.CountDailyClosing();
  counters.CountSetAside();
  counters.CountHttp("/api/v1/receipts", 200);
  counters.CountHttp("/metrics", 401);
  counters.CountHttp("/metrics", 401);
  for (const double seconds : {0.05, 0.25, 3.0, 100.0}) counters.ObserveJob(seconds);
  MetricsInput input;
  input.counters = counters.Read();
  input.status = {{"ready", true},
                  {"flags", {{"S1_7", 0}, {"S1_4", 1}, {"S1_2", 1}, {"S2_7", 0}}},
                  {"documentNumber", 41},
                  {"closingNumber", 7}};
  input.last_exchange_age_s = 2.5;
  input.files = {1234, 1, 2};
  input.version = "1.1.0.4";
  return input;
}

TEST(MetricsText, CountersAndGaugesAreWrittenAsPrometheusSamples) {
  const MetricsInput input = SomeRun();
  // A comma locale (as the application sets from its environment) must not reach the numbers.
  const std::string old_locale = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "sk_SK.UTF-8");
  const std::string text = MetricsText(input);
  std::setlocale(LC_ALL, old_locale.c_str());

  const char* expected[] = {
      "# TYPE kv4910_documents_total counter",
      R"(kv4910_documents_total{source="file",outcome="confirmed"} 2)",
      R"(kv4910_documents_total{source="file",outcome="unproven"} 0)",
      R"(kv4910_documents_total{source="client",outcome="failed"} 0)",
      R"(kv4910_documents_total{source="http",outcome="failed"} 1)",
      R"(kv4910_documents_total{source="till",outcome="sent"} 1)",
      R"(kv4910_documents_total{source="till",outcome="failed"} 0)",
      "kv4910_daily_closings_total 1",
      "kv4910_input_files_set_aside_total 1",
      R"(kv4910_http_requests_total{endpoint="/api/v1/receipts",code="200"} 1)",
      R"(kv4910_http_requests_total{endpoint="/metrics",code="401"} 2)",
      "# TYPE kv4910_job_duration_seconds histogram",
      R"(kv4910_job_duration_seconds_bucket{le="0.1"} 1)",
      R"(kv4910_job_duration_seconds_bucket{le="0.25"} 2)",
      R"(kv4910_job_duration_seconds_bucket{le="2"} 2)",
      R"(kv4910_job_duration_seconds_bucket{le="4"} 3)",
      R"(kv4910_job_duration_seconds_bucket{le="60"} 3)",
      R"(kv4910_job_duration_seconds_bucket{le="+Inf"} 4)",
      "kv4910_job_duration_seconds_sum 103.3",
      "kv4910_job_duration_seconds_count 4",
      "kv4910_printer_ready 1",
      R"(kv4910_printer_condition{condition="paper_out"} 1)",
      R"(kv4910_printer_condition{condition="cover_open"} 1)",
      R"(kv4910_printer_condition{condition="document_open"} 0)",
      "kv4910_printer_in_exchange 0",
      "kv4910_document_number 41",
      "kv4910_closing_number 7",
      "kv4910_last_exchange_age_seconds 2.5",
      "kv4910_error_file_bytes 1234",
      R"(kv4910_input_files{state="waiting"} 1)",
      R"(kv4910_input_files{state="set_aside"} 2)",
      R"(kv4910_build_info{version="1.1.0.4"} 1)",
  };
  for (const char* line : expected) EXPECT_TRUE(HasLine(text, line)) << line << "\n" << text;
  // A till receipt is never confirmed, a file job never merely "sent".
  EXPECT_EQ(text.find(R"(source="till",outcome="confirmed")"), std::string::npos);
  EXPECT_EQ(text.find(R"(source="file",outcome="sent")"), std::string::npos);
  // No confirmed document yet: no age rather than a made-up one.
  EXPECT_EQ(text.find("\nkv4910_last_confirmed_document_age_seconds "), std::string::npos);
  EXPECT_EQ(text.back(), '\n');
}

TEST(MetricsText, LabelValuesAreEscapedAndPathsMappedOntoAFixedSet) {
  MetricsInput input;
  input.version = "1\"2\\3\n";
  EXPECT_TRUE(HasLine(MetricsText(input), R"(kv4910_build_info{version="1\"2\\3\n"} 1)"));
  EXPECT_EQ(MetricsEndpoint("/api/v1/receipts"), "/api/v1/receipts");
  EXPECT_EQ(MetricsEndpoint("/metrics"), "/metrics");
  EXPECT_EQ(MetricsEndpoint("/api/v1/receipts/../x"), "other");
  EXPECT_EQ(MetricsEndpoint("/" + std::string(5000, 'a')), "other");
}

TEST(LastLines, TheEndOfTheErrorFileInWholeLinesAsUtf8) {
  test::TempDir dir;
  std::string file;
  for (int i = 1; i <= 30; ++i) file += "line " + std::to_string(i) + "\r\n";
  dir.Write("FM_err.txt", file + "Rozky \x9e\r\n");  // cp1250 0x9E is "ž"
  const auto last = LastLines(dir / "FM_err.txt", 3);
  EXPECT_EQ(last, (std::vector<std::string>{"line 29", "line 30", "Rozky ž"}));
  // Read from the last 12 bytes only: the line cut at their start ("0") is left out.
  EXPECT_EQ(LastLines(dir / "FM_err.txt", 5, 12), (std::vector<std::string>{"Rozky ž"}));
  EXPECT_TRUE(LastLines(dir / "missing.txt", 20).empty());
}

TEST(RunCounters, TheLastDocumentsAreKeptNewestLast) {
  RunCounters counters;
  for (int i = 1; i <= 25; ++i)
    counters.CountDocument(CountedSource::Http, CountedOutcome::Confirmed, {i, i * 100});
  const auto recent = counters.Read().recent;
  ASSERT_EQ(recent.size(), 20u);
  EXPECT_EQ(recent.front().facts.number, 6);
  EXPECT_EQ(recent.back().facts.total_cents, 2500);
}

TEST(RunCounters, CountsFromOneThreadAreWholeWhileAnotherReads) {
  RunCounters counters;
  constexpr int kCount = 20000;
  std::thread writer([&] {
    for (int i = 0; i < kCount; ++i) {
      counters.CountDocument(CountedSource::Client, CountedOutcome::Unproven);
      counters.CountHttp("/api/v1/status", 100 + i % 1000);  // statuses beyond 599 count as 0
    }
  });
  uint64_t seen = 0;
  while (seen < kCount) {
    const uint64_t now = counters.Read().documents[1][1];
    EXPECT_GE(now, seen);
    seen = now;
  }
  writer.join();
  const RunCounters::Snapshot end = counters.Read();
  EXPECT_EQ(end.documents[1][1], uint64_t(kCount));
  EXPECT_EQ(end.http.size(), 501u);  // 100 ... 599 and the 0 of the others
  EXPECT_FALSE(end.last_confirmed);
}

}  // namespace
}  // namespace kv
