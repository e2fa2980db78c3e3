// The HTTP interface as a careless or hostile local client meets it: the real kv4910 printing
// on kv4910-sim, with huge declarations, held connections, long exchanges, damaged key files and
// ambiguous requests.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "support/http_shop.h"
#include "support/sim_fixture.h"

namespace kv {
namespace {

using test::ConnectLocal;
using test::Count;
using test::HttpShop;
using test::RawHttp;
using test::WaitFor;
using Steady = std::chrono::steady_clock;

// The peak resident size of a process (VmHWM), in KiB; -1 when it cannot be read.
long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

long MillisecondsSince(Steady::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count());
}

// Sends `text` and reads until the server closes the connection: true when it did within
// `limit_ms` (the answer is then in `got`).
bool ClosedAfter(int port, const std::string& text, std::string& got, int limit_ms = 3000) {
  const int fd = ConnectLocal(port);
  if (fd < 0) return false;
  send(fd, text.data(), text.size(), MSG_NOSIGNAL);
  const auto start = Steady::now();
  bool closed = false;
  while (!closed && MillisecondsSince(start) < limit_ms) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
    closed = n <= 0;
  }
  close(fd);
  return closed;
}

std::string Item(const std::string& name) {
  return R"({"name":")" + name + R"(","quantity":1,"unitPrice":1,"vatLevel":1})";
}

TEST_F(HttpShop, HugeDeclarationsAreRefusedBeforeTheyAreRead) {
  Start(Enabled());
  const long before = PeakKiB(manager_->pid());
  ASSERT_GT(before, 0);
  // 512 MiB declared without a token, and 32 MiB of it actually pushed.
  const test::HttpReply body = RawHttp(
      port_, "POST /api/v1/receipts HTTP/1.1\r\nHost: x\r\nContent-Length: 536870912\r\n\r\n" +
                 std::string(32 << 20, 'x'));
  EXPECT_EQ(body.status, 413) << body.head;
  EXPECT_NE(body.body.find("over 524288 bytes"), std::string::npos) << body.body;
  const test::HttpReply header = RawHttp(
      port_, "GET /api/v1/status HTTP/1.1\r\nX-Filler: " + std::string(9000, 'a') + "\r\n\r\n");
  EXPECT_EQ(header.status, 431) << header.head;
  EXPECT_LT(PeakKiB(manager_->pid()) - before, 16 * 1024);
  EXPECT_EQ(Request("GET", "/status").status, 200);
}

TEST_F(HttpShop, HeldConnectionsKeepNeitherJobsNorStatusWaiting) {
  rlimit own{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &own), 0);
  if (own.rlim_max < 1300) GTEST_SKIP() << "this test needs 1300 descriptors; the hard limit is "
                                        << own.rlim_max;
  // The program gets the common limit of 1024 descriptors; this process needs more.
  rlimit low = own;
  low.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  Start(Enabled());
  rlimit high = own;
  high.rlim_cur = own.rlim_max;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &high), 0);

  std::vector<int> held;
  for (int i = 0; i < 1100; ++i) {
    const int fd = ConnectLocal(port_);
    if (fd >= 0) held.push_back(fd);
  }
  EXPECT_EQ(held.size(), 1100u);
  home_.Write("blocek.part", test::SampleReceipt());
  std::filesystem::rename(home_ / "blocek.part", home_ / "blocek.txt");
  const auto dropped = Steady::now();
  const auto asked = Steady::now();
  const test::HttpReply status = Request("GET", "/status");
  EXPECT_EQ(status.status, 200);
  EXPECT_LT(MillisecondsSince(asked), 1000);
  EXPECT_TRUE(WaitFor([&] { return Paper().find("ROZKY") != std::string::npos; },
                      static_cast<int>(5000 - MillisecondsSince(dropped))))
      << "the receipt did not print within 5 s";
  size_t open_descriptors = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(
           "/proc/" + std::to_string(manager_->pid()) + "/fd"))
    ++open_descriptors;
  EXPECT_LT(open_descriptors, 200u);
  for (const int fd : held) close(fd);
  setrlimit(RLIMIT_NOFILE, &own);
}

TEST_F(HttpShop, ALongReceiptIsConfirmedAndStatusAnswersWhileItPrints) {
  Start(Enabled(), {}, {"--baud", "9600"});
  std::string items;
  for (int i = 0; i < 160; ++i) items += (i ? "," : "") + Item("Polozka " + std::to_string(1000 + i));
  auto receipt = std::async(std::launch::async, [&] {
    return Request("POST", "/receipts", R"({"items":[)" + items + "]}");
  });
  ASSERT_TRUE(WaitFor([&] { return Paper().find("Polozka 1000") != std::string::npos; }, 10000))
      << "the receipt did not start printing";
  for (int i = 0; i < 5; ++i) {
    const auto asked = Steady::now();
    const test::HttpReply status = Request("GET", "/status");
    EXPECT_LT(MillisecondsSince(asked), 100);
    EXPECT_EQ(status.status, 200);
    EXPECT_NE(status.body.find(R"("busy":true)"), std::string::npos) << status.body;
  }
  const test::HttpReply done = receipt.get();
  EXPECT_EQ(done.status, 200) << done.body;
  EXPECT_NE(done.body.find(R"("documentNumber":1)"), std::string::npos) << done.body;
  EXPECT_EQ(Count(Paper(), "Polozka 1"), 160);
}

TEST_F(HttpShop, ADamagedKeyFileIsSetAsideAndKeyedRequestsWaitForTheOperator) {
  const std::string recorded =
      R"(["pos-1","123",1800000000,200,"{\"confirmed\":true,\"documentNumber\":1}"])" "\n";
  std::mt19937 random(4910);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  struct Case {
    const char* what;
    std::string content;  // "" with `fifo`
    bool fifo = false;
  };
  const Case cases[] = {
      {"random bytes", noise},
      {"cut short", recorded + R"(["pos-2","99",18000)"},
      {"a FIFO", "", true},
      {"over the size limit", std::string(17 << 20, 'x') + "\n"},
  };
  int set_aside = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(home_ / "http_keys.txt.damaged");
    if (c.fifo)
      ASSERT_EQ(mkfifo((home_ / "http_keys.txt").c_str(), 0644), 0);
    else
      home_.Write("http_keys.txt", c.content);
    Start(Enabled());
    const test::HttpReply retry =
        Request("POST", "/receipts", R"({"items":[)" + Item("Retried") + "]}",
                {{"Idempotency-Key", "pos-1"}});
    EXPECT_EQ(retry.status, 503) << retry.body;
    EXPECT_TRUE(home_.Exists("http_keys.txt.damaged"));
    EXPECT_EQ(Count(ErrorFile(), "set aside as"), ++set_aside);
  }
  EXPECT_EQ(Paper().find("Retried"), std::string::npos);
  // Once the operator has removed the file set aside, keyed requests are served again.
  std::filesystem::remove(home_ / "http_keys.txt.damaged");
  EXPECT_EQ(Request("POST", "/receipts", R"({"items":[)" + Item("Retried") + "]}",
                    {{"Idempotency-Key", "pos-9"}}).status,
            200);
  EXPECT_EQ(Count(Paper(), "Retried"), 1);
}

TEST_F(HttpShop, AmbiguousRequestsAreRefusedAndTheProtocolIsKept) {
  Start(Enabled());
  const std::string receipt = R"({"items":[)" + Item("Ambiguous") + "]}";
  const std::string auth = std::string("Authorization: Bearer ") + test::kHttpToken + "\r\n";
  EXPECT_EQ(Request("POST", "/receipts", R"({"items":[)" + Item("Ambiguous") + R"(],"items":[]})").status, 400);
  EXPECT_EQ(Request("POST", "/receipts", receipt, {{"Idempotency-Key", ""}}).status, 400);
  const test::HttpReply twice = RawHttp(
      port_, "POST /api/v1/receipts HTTP/1.1\r\n" + auth + "Idempotency-Key: a\r\nIdempotency-Key: b\r\n" +
                 "Content-Length: " + std::to_string(receipt.size()) + "\r\n\r\n" + receipt);
  EXPECT_EQ(twice.status, 400) << twice.body;
  EXPECT_EQ(Paper().find("Ambiguous"), std::string::npos);

  std::string got;
  EXPECT_TRUE(ClosedAfter(port_, "HEAD /api/v1/status HTTP/1.1\r\n" + auth + "Connection: close\r\n\r\n", got));
  EXPECT_EQ(got.rfind("HTTP/1.1 200", 0), 0u) << got;
  EXPECT_NE(got.find("Content-Length: "), std::string::npos) << got;
  EXPECT_EQ(got.substr(got.find("\r\n\r\n") + 4), "");
  got.clear();
  EXPECT_TRUE(ClosedAfter(port_, "GET /api/v1/status HTTP/1.0\r\n" + auth + "\r\n", got));
  EXPECT_EQ(got.rfind("HTTP/1.0 200", 0), 0u) << got;

  const int fd = ConnectLocal(port_);
  const std::string head = "POST /api/v1/reports/x HTTP/1.1\r\n" + auth +
                           "Expect: 100-continue\r\nContent-Length: 2\r\n\r\n";
  send(fd, head.data(), head.size(), MSG_NOSIGNAL);
  char buffer[256] = {};
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 3000), 1) << "no 100 Continue";
  const ssize_t n = read(fd, buffer, sizeof buffer - 1);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))),
            "HTTP/1.1 100 Continue\r\n\r\n");
  close(fd);

  // Wrong tokens: the 21st within a minute from one address is 429; the right token still works.
  std::vector<int> wrong;
  for (int i = 0; i < 21; ++i)
    wrong.push_back(Request("GET", "/status", "", {{"Authorization", "Bearer wrong"}}).status);
  EXPECT_EQ(wrong.front(), 401);
  EXPECT_EQ(wrong.back(), 429);
  EXPECT_EQ(Request("GET", "/status").status, 200);
}

}  // namespace
}  // namespace kv
