// The local HTTP/JSON interface as a POS program meets it: real requests over TCP to the real
// kv4910 printing on kv4910-sim.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>
#include <algorithm>
#include <string>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::BuildProgram;
using test::ChildProcess;
using test::WaitFor;
using Steady = std::chrono::steady_clock;

struct Reply {
  int status = 0;
  std::string body;
};

// Reads from `fd` until the peer closes it, a whole answer came, or `limit_ms` passed.
std::string ReadAnswerText(int fd, int limit_ms) {
  std::string got;
  const auto end = Steady::now() + std::chrono::milliseconds(limit_ms);
  while (Steady::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<size_t>(n));
    const size_t head_end = got.find("\r\n\r\n");
    std::smatch m;
    const std::string head = got.substr(0, head_end);
    if (head_end != std::string::npos &&
        std::regex_search(head, m, std::regex("Content-Length: ([0-9]+)")) &&
        got.size() >= head_end + 4 + std::stoul(m[1]))
      break;
  }
  return got;
}

// One HTTP/1.1 request to 127.0.0.1:`port`.
Reply Http(int port, const std::string& method, const std::string& path, const std::string& body,
           const std::map<std::string, std::string>& headers, int limit_ms = 20000) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Reply reply;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < request.size()) {
      const ssize_t n = write(fd, request.data() + sent, request.size() - sent);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    const std::string text = ReadAnswerText(fd, limit_ms);
    if (text.rfind("HTTP/1.1 ", 0) == 0) reply.status = std::stoi(text.substr(9, 3));
    const size_t head_end = text.find("\r\n\r\n");
    if (head_end != std::string::npos) reply.body = text.substr(head_end + 4);
  }
  close(fd);
  return reply;
}

// A port nobody listens on right now.
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  socklen_t size = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
  close(fd);
  return ntohs(addr.sin_port);
}

// Sends one command to the simulator's control socket; its answer line.
std::string SimControl(const std::string& path, const std::string& command) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  std::string line;
  const std::string text = command + "\n";
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
      write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
    line = ReadAnswerText(fd, 3000);
  close(fd);
  return line.substr(0, line.find('\n'));
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const char* kToken = "e2e-token";
const std::string kReceipt =
    R"({"items":[{"name":"Rožky","quantity":4,"unitPrice":0.12,"vatLevel":1,"discountPercent":15},)"
    R"({"name":"Mlieko","quantity":1,"unitPrice":0.89,"vatLevel":2},)"
    R"({"name":"Chlieb","quantity":2,"unitPrice":1.5,"vatLevel":3}],)"
    R"("payments":[{"tender":1,"amount":5},{"tender":2,"amount":0.5}]})";

class HttpShop : public ::testing::Test {
 protected:
  // `http` is the section HTTP without its port; `extra` more INI text.
  void Start(const std::string& http, const std::string& extra = {}) {
    sim_ = std::make_unique<ChildProcess>(
        BuildProgram("kv4910-sim"), std::vector<std::string>{"--paper", home_ / "paper.txt",
                                                             "--control", home_ / "control"});
    const auto pty = sim_->ReadLine(5000);
    ASSERT_TRUE(pty && !pty->empty()) << "the simulator did not start";
    for (const char* file : {"kv4910_sk.msg", "kv4910_sk.lng"})
      home_.Write(file, test::ReadFile(std::string(KV4910_BUILD_DIR) + "/" + file));
    port_ = FreePort();
    home_.Write("rb4900_cfg.ini", "[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n" +
                                      extra + "[HTTP]\r\n" + http + "port=" +
                                      std::to_string(port_) + "\r\n");
    manager_ = std::make_unique<ChildProcess>(
        BuildProgram("kv4910"), std::vector<std::string>{},
        std::map<std::string, std::string>{{"KV4910_HOME", home_.path()},
                                           {"KV4910_RUNTIME_DIR", home_.path()},
                                           {"KV4910_PORTS", *pty},
                                           {"QT_QPA_PLATFORM", "offscreen"}});
    // The interface starts last: start-up is over once it answers (or, disabled, once the
    // message socket is there and a moment has passed).
    if (http.find("enabled=1") == std::string::npos) {
      ASSERT_TRUE(WaitFor([&] { return home_.Exists("kv4910-KV4910S.sock"); }, 20000));
      usleep(1000 * 1000);
      return;
    }
    ASSERT_TRUE(WaitFor([&] { return Http(port_, "GET", "/", "", {}, 1000).status != 0; }, 20000))
        << "the interface did not start";
  }

  Reply Request(const std::string& method, const std::string& path, const std::string& body = {},
                std::map<std::string, std::string> headers = {}) {
    if (!headers.count("Authorization")) headers["Authorization"] = std::string("Bearer ") + kToken;
    return Http(port_, method, "/api/v1" + path, body, headers);
  }
  std::string Paper() const { return test::ReadFile(home_ / "paper.txt"); }

  test::TempDir home_;
  int port_ = 0;
  std::unique_ptr<ChildProcess> sim_;
  std::unique_ptr<ChildProcess> manager_;
};

TEST_F(HttpShop, ReceiptsPrintOncePerKeyAndReportsReachThePrinter) {
  Start(std::string("enabled=1\r\ntoken=") + kToken + "\r\n");
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
  EXPECT_EQ(Count(paper, "Rožky"), 1u) << paper;
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
  Start(std::string("enabled=1\r\ntoken=") + kToken + "\r\n", "[USER0]\r\nDUZ=0\r\n");
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
      {"too large", Request("POST", "/receipts", std::string(70 * 1024, ' ')), 413, "too_large"},
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
  Start(std::string("enabled=1\r\ntoken=") + kToken + "\r\n");
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
  Start(std::string("enabled=1\r\ntoken=") + kToken + "\r\n", "CLOSE_PORT=1\r\n");
  ASSERT_EQ(Request("GET", "/status").status, 200);
  sim_->Stop();  // its pseudo-terminal goes with it
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
  Start(std::string("enabled=0\r\ntoken=") + kToken + "\r\n");
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
