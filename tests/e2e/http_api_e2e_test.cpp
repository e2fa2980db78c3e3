// The local HTTP/JSON interface as a POS program meets it: real requests over TCP to the real
// kv4910 printing on kv4910-sim.
#include <filesystem>
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/http_shop.h"

namespace kv {
namespace {

using test::BuildProgram;
using test::ChildProcess;
using test::WaitFor;
using Steady = std::chrono::steady_clock;

using test::Count;
using test::Http;
using test::HttpShop;
using test::SimControl;
using Reply = test::HttpReply;

const std::string kReceipt =
    R"({"items":[{"name":"Rožky","quantity":4,"unitPrice":0.12,"vatLevel":1,"discountPercent":15},)"
    R"({"name":"Mlieko","quantity":1,"unitPrice":0.89,"vatLevel":2},)"
    R"({"name":"Chlieb","quantity":2,"unitPrice":1.5,"vatLevel":3}],)"
    R"("payments":[{"tender":1,"amount":5},{"tender":2,"amount":0.5}]})";

TEST_F(HttpShop, ReceiptsPrintOncePerKeyAndReportsReachThePrinter) {
  Start(Enabled());
  const Reply status = Request("GET", "/status");
  ASSERT_EQ(status.status, 200) << status.body;
  EXPECT_NE(status.body.find(R"("identification":"RB4900 1.2")"), std::string::npos);
  EXPECT_NE(status.body.find(R"("ready":true)"), std::string::npos);

  const Reply first = Request("POST", "/receipts", kReceipt, {{"Idempotency-Key", "pos-1"}});
  ASSERT_EQ(first.status, 200) << first.body;
  EXPECT_EQ(first.body, R"({"confirmed":true,"documentNumber":1,"total":4.3})");
  const Reply again = Request("POST", "/receipts", kReceipt, {{"Idempotency-Key", "pos-1"}});
  EXPECT_EQ(again.status, 200);
  EXPECT_EQ(again.body, first.body);
  EXPECT_EQ(Request("POST", "/receipts", R"({"items":[{"name":"X","quantity":1,"unitPrice":1,"vatLevel":1}]})",
                    {{"Idempotency-Key", "pos-1"}}).status,
            422);
  const std::string paper = Paper();
  EXPECT_EQ(Count(paper, "Rožky"), 1) << paper;
  EXPECT_NE(paper.find("Zľava  15 %"), std::string::npos) << paper;
  EXPECT_NE(paper.find("PLATBA 2                        0.50"), std::string::npos) << paper;

  EXPECT_EQ(Request("POST", "/reports/x").status, 200);
  EXPECT_EQ(Request("POST", "/reports/daily").status, 200);
  EXPECT_NE(Paper().find("X-UZAVIERKA"), std::string::npos);
  EXPECT_NE(Paper().find("DENNA UZAVIERKA"), std::string::npos);
  EXPECT_NE(SimControl(home_ / "control", "state").find("closings 1"), std::string::npos);
  // Nothing the interface does writes the files POS programs watch.
  EXPECT_FALSE(std::ifstream(home_ / "info.txt").good());
}

TEST_F(HttpShop, RequestsThatCannotBeServedAreRefusedWithTheirCodes) {
  Start(Enabled(), "[USER0]\r\nDUZ=0\r\n");
  const std::string item = R"({"name":"A","quantity":1,"unitPrice":1,"vatLevel":1})";
  struct Case {
    const char* what;
    Reply reply;
    int status;
    const char* code;
  };
  const Case cases[] = {
      {"wrong token", Request("GET", "/status", "", {{"Authorization", "Bearer wrong"}}), 401, "unauthorized"},
      {"no right", Request("POST", "/reports/daily"), 403, "forbidden"},
      {"malformed", Request("POST", "/receipts", "{\"items\": ["), 400, "bad_request"},
      {"not cp1250", Request("POST", "/receipts", R"({"items":[{"name":"中","quantity":1,"unitPrice":1,"vatLevel":1}]})"), 422, "unprocessable"},
      {"too large", Request("POST", "/receipts", std::string(513 * 1024, ' ')), 413, "too_large"},
      {"no endpoint", Request("GET", "/nothing"), 404, "not_found"},
      {"short payment", Request("POST", "/receipts", "{\"items\":[" + item + "],\"payments\":[{\"tender\":1,\"amount\":0.5}]}"), 422, "unprocessable"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.reply.status, c.status) << c.what << ": " << c.reply.body;
    EXPECT_NE(c.reply.body.find(std::string(R"("code":")") + c.code + "\""), std::string::npos)
        << c.what << ": " << c.reply.body;
  }
  EXPECT_EQ(Paper().find("DENNA"), std::string::npos);
}

TEST_F(HttpShop, ASilentPrinterTimesOutAndTheProgramStaysResponsive) {
  Start(Enabled());
  ASSERT_EQ(SimControl(home_ / "control", "silent on"), "ok");
  const auto begin = Steady::now();
  const Reply silent = Request("POST", "/receipts",
                               R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1}]})",
                               {{"Idempotency-Key", "retry-me"}});
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - begin);
  EXPECT_EQ(silent.status, 504) << silent.body;
  EXPECT_LT(took.count(), 10000);
  ASSERT_EQ(SimControl(home_ / "control", "silent off"), "ok");
  // Nothing was sent, so the same key may try again.
  const Reply retry = Request("POST", "/receipts",
                              R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1}]})",
                              {{"Idempotency-Key", "retry-me"}});
  EXPECT_EQ(retry.status, 200) << retry.body;
}

TEST_F(HttpShop, APortThatCannotBeOpenedIsNotReady) {
  // The port is closed after each exchange, so the next one opens the device again.
  Start(Enabled(), "CLOSE_PORT=1\r\n");
  ASSERT_EQ(Request("GET", "/status").status, 200);
  sim_->Stop();  // its pseudo-terminal goes with it
  std::filesystem::remove(home_ / "printer-port");
  const Reply reply = Request("GET", "/info");
  EXPECT_EQ(reply.status, 503) << reply.body;
  EXPECT_NE(reply.body.find("printer_not_ready"), std::string::npos);
}

// The inodes of the TCP sockets in LISTEN state (IPv4 and IPv6).
std::vector<std::string> ListeningInodes() {
  std::vector<std::string> inodes;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string f[10];
      for (auto& field : f) fields >> field;
      if (f[3] == "0A") inodes.push_back(f[9]);
    }
  }
  return inodes;
}

TEST_F(HttpShop, DisabledInterfaceListensOnNoPort) {
  Start(std::string("enabled=0\r\ntoken=") + test::kHttpToken + "\r\n");
  const auto listening = ListeningInodes();
  const std::string fd_dir = "/proc/" + std::to_string(manager_->pid()) + "/fd";
  DIR* dir = opendir(fd_dir.c_str());
  ASSERT_NE(dir, nullptr);
  while (const dirent* entry = readdir(dir)) {
    char target[256] = {};
    if (readlink((fd_dir + "/" + entry->d_name).c_str(), target, sizeof target - 1) <= 0) continue;
    const std::string link = target;
    if (link.rfind("socket:[", 0) != 0) continue;
    const std::string inode = link.substr(8, link.size() - 9);
    EXPECT_EQ(std::count(listening.begin(), listening.end(), inode), 0) << "listens: " << inode;
  }
  closedir(dir);
  EXPECT_EQ(Http(port_, "GET", "/api/v1/status", "", {}, 2000).status, 0);
}

}  // namespace
}  // namespace kv
