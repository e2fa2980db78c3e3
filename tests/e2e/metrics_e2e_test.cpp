// GET /metrics as a fleet's Prometheus meets it: the real kv4910 printing on kv4910-sim, the
// counters moved by the jobs actually run, the ready gauge following the printer, and the live
// text checked by promtool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

#include "support/http_shop.h"
#include "support/sim_fixture.h"

namespace kv {
namespace {

using test::Http;
using test::HttpShop;
using test::SimControl;
using test::WaitFor;

constexpr const char* kMetricsToken = "metrics-token-0123456789";
const std::string kReadOnly = std::string("Bearer ") + kMetricsToken;

// The samples of a metrics text by name with labels ("a{b=\"c\"}" -> value).
std::map<std::string, double> Samples(const std::string& text) {
  std::map<std::string, double> samples;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.rfind(' ');
    samples[line.substr(0, space)] = std::stod(line.substr(space + 1));
  }
  return samples;
}

class MetricsShop : public HttpShop {
 protected:
  void Start(const std::string& more = {}) {
    HttpShop::Start(Enabled() + "metrics_token=" + kMetricsToken + "\r\n" + more);
  }
  std::string MetricsText() {
    const test::HttpReply reply = Http(port_, "GET", "/metrics", "", {{"Authorization", kReadOnly}});
    EXPECT_EQ(reply.status, 200) << reply.body;
    EXPECT_NE(reply.head.find("text/plain; version=0.0.4"), std::string::npos) << reply.head;
    return reply.body;
  }
  std::map<std::string, double> Metrics() { return Samples(MetricsText()); }
  void DropReceipt(const std::string& bytes = test::SampleReceipt()) {
    home_.Write("blocek.part", bytes);
    std::filesystem::rename(home_ / "blocek.part", home_ / "blocek.txt");
    ASSERT_TRUE(WaitFor([&] { return !home_.Exists("blocek.txt"); }, 30000))
        << "the input file was not taken";
  }
};

TEST_F(MetricsShop, TheTokensDecideWhoReadsMetricsAndWhoMayPrint) {
  Start();
  EXPECT_EQ(Http(port_, "GET", "/metrics", "", {}).status, 401);
  EXPECT_EQ(Http(port_, "GET", "/metrics", "", {{"Authorization", "Bearer wrong"}}).status, 401);
  EXPECT_EQ(Http(port_, "GET", "/metrics", "", {{"Authorization", std::string("Bearer ") + test::kHttpToken}})
                .status,
            200);
  EXPECT_EQ(Request("GET", "/status", "", {{"Authorization", kReadOnly}}).status, 200);
  EXPECT_EQ(Request("POST", "/reports/x", "", {{"Authorization", kReadOnly}}).status, 403);
  EXPECT_EQ(Request("GET", "/info", "", {{"Authorization", kReadOnly}}).status, 403);
  EXPECT_EQ(Paper().find("X-UZAVIERKA"), std::string::npos);
}

TEST_F(MetricsShop, CountersMoveByTheJobsRunAndReadyFollowsThePrinter) {
  Start();
  const auto before = Metrics();
  const std::string file_confirmed = R"(kv4910_documents_total{source="file",outcome="confirmed"})";
  const std::string http_failed = R"(kv4910_documents_total{source="http",outcome="failed"})";
  const std::string refused = R"(kv4910_http_requests_total{endpoint="/api/v1/receipts",code="503"})";
  const std::string cover_open = R"(kv4910_printer_condition{condition="cover_open"})";

  // One receipt from a file, confirmed; one over HTTP while the cover is open, refused; and a
  // file without any command, which is set aside, not sent.
  DropReceipt();
  DropReceipt("no command in here\r\n");
  ASSERT_EQ(SimControl(home_ / "control", "status1 4"), "ok");
  const test::HttpReply failed = Request(
      "POST", "/receipts", R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1}]})");
  EXPECT_EQ(failed.status, 503) << failed.body;
  const auto during = Metrics();
  EXPECT_EQ(during.at(cover_open), 1);
  EXPECT_EQ(during.at("kv4910_printer_ready"), 0);
  ASSERT_EQ(SimControl(home_ / "control", "status1 0"), "ok");

  const auto after = Metrics();
  for (const auto& [name, value] : after) {
    if (name.rfind("kv4910_documents_total", 0) != 0) continue;
    const double moved = name == file_confirmed || name == http_failed ? 1 : 0;
    EXPECT_EQ(value - before.at(name), moved) << name;
  }
  EXPECT_EQ(after.at("kv4910_job_duration_seconds_count") -
                before.at("kv4910_job_duration_seconds_count"),
            2);
  EXPECT_EQ(after.at("kv4910_input_files_set_aside_total"), 1);
  EXPECT_EQ(after.at(R"(kv4910_input_files{state="set_aside"})"), 1);
  EXPECT_EQ(after.at(refused), 1);
  EXPECT_EQ(after.at("kv4910_document_number"), before.at("kv4910_document_number") + 1);
  EXPECT_GE(after.at("kv4910_last_confirmed_document_age_seconds"), 0);
  EXPECT_EQ(after.count("kv4910_last_confirmed_document_age_seconds"), 1u);

  // Ready follows a printer that stops answering and comes back, once somebody asks it. A
  // status query the silent printer holds up is answered from the snapshot after a second; the
  // gauge changes when the query has given up.
  EXPECT_EQ(Request("GET", "/status").status, 200);
  EXPECT_EQ(Metrics().at("kv4910_printer_ready"), 1);
  ASSERT_EQ(SimControl(home_ / "control", "silent on"), "ok");
  Request("GET", "/status");
  EXPECT_TRUE(WaitFor([&] { return Metrics().at("kv4910_printer_ready") == 0; }, 20000));
  ASSERT_EQ(SimControl(home_ / "control", "silent off"), "ok");
  EXPECT_TRUE(WaitFor(
      [&] { return Request("GET", "/status").status == 200 && Metrics().at("kv4910_printer_ready") == 1; },
      20000));
}

TEST_F(MetricsShop, AnIdleTillAsksThePrinterEveryProbeSeconds) {
  Start("probe_s=1\r\n");
  // Nobody sends anything but scrapes: the probe alone notices the printer going silent and
  // coming back, and keeps the last exchange young.
  ASSERT_EQ(SimControl(home_ / "control", "silent on"), "ok");
  EXPECT_TRUE(WaitFor([&] { return Metrics().at("kv4910_printer_ready") == 0; }, 20000));
  ASSERT_EQ(SimControl(home_ / "control", "silent off"), "ok");
  EXPECT_TRUE(WaitFor([&] { return Metrics().at("kv4910_printer_ready") == 1; }, 20000));
  usleep(1500 * 1000);
  EXPECT_LT(Metrics().at("kv4910_last_exchange_age_seconds"), 1.5);
}

TEST_F(MetricsShop, TheStatusPageComesWithoutDataAndItsDataNeedsTheToken) {
  Start();
  const test::HttpReply page = Http(port_, "GET", "/", "", {});
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.head.find("Content-Security-Policy: default-src 'none'; script-src 'self';"),
            std::string::npos)
      << page.head;
  EXPECT_NE(page.body.find(R"(<script src="/status.js" defer></script>)"), std::string::npos);
  EXPECT_EQ(Http(port_, "GET", "/status.js", "", {}).status, 200);
  EXPECT_EQ(Request("GET", "/overview", "", {{"Authorization", ""}}).status, 401);

  ASSERT_EQ(Request("POST", "/receipts",
                    R"({"items":[{"name":"A","quantity":2,"unitPrice":1.25,"vatLevel":1}]})")
                .status,
            200);
  const test::HttpReply full = Request("GET", "/overview");
  EXPECT_EQ(full.status, 200);
  EXPECT_NE(full.body.find(R"("actions":{"drawer":true,"xReport":true})"), std::string::npos)
      << full.body;
  EXPECT_NE(full.body.find(R"("outcome":"confirmed","source":"http")"), std::string::npos)
      << full.body;
  EXPECT_NE(full.body.find(R"("total":2.5)"), std::string::npos) << full.body;
  // The read-only token sees the same data and is offered nothing to do.
  const test::HttpReply read_only = Request("GET", "/overview", "", {{"Authorization", kReadOnly}});
  EXPECT_NE(read_only.body.find(R"("actions":{"drawer":false,"xReport":false})"), std::string::npos)
      << read_only.body;
}

TEST_F(MetricsShop, PromtoolFindsNoProblemInTheLiveText) {
  if (std::system("command -v promtool >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "SKIPPED LOUDLY: promtool is not installed (Debian package prometheus); "
                    "scripts/lib/deps.sh installs it";
  Start();
  DropReceipt();
  EXPECT_EQ(Request("POST", "/reports/x").status, 200);
  const std::string text = MetricsText();
  home_.Write("metrics.txt", text);
  const std::string report = home_ / "promtool.txt";
  const int code = std::system(("promtool check metrics < '" + (home_ / "metrics.txt") + "' > '" +
                                report + "' 2>&1")
                                   .c_str());
  std::ifstream in(report);
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(code, 0) << said << "\n" << text;
  EXPECT_EQ(said, "") << text;
}

}  // namespace
}  // namespace kv
