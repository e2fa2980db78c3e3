#include "support/http_shop.h"

#include <filesystem>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <regex>

namespace kv::test {

namespace {

using Steady = std::chrono::steady_clock;

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
        std::regex_search(head, m, std::regex("Content-Length: ([0-9]+)", std::regex::icase)) &&
        got.size() >= head_end + 4 + std::stoul(m[1]))
      break;
  }
  return got;
}

}  // namespace

int ConnectLocal(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

HttpReply RawHttp(int port, const std::string& text, int limit_ms) {
  HttpReply reply;
  const int fd = ConnectLocal(port);
  if (fd < 0) return reply;
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  const std::string got = ReadAnswerText(fd, limit_ms);
  close(fd);
  if (got.rfind("HTTP/1.", 0) == 0) reply.status = std::stoi(got.substr(9, 3));
  const size_t head_end = got.find("\r\n\r\n");
  reply.head = got.substr(0, head_end);
  if (head_end != std::string::npos) reply.body = got.substr(head_end + 4);
  return reply;
}

HttpReply Http(int port, const std::string& method, const std::string& path,
               const std::string& body, const std::map<std::string, std::string>& headers,
               int limit_ms) {
  std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
  request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  return RawHttp(port, request, limit_ms);
}

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


void HttpShop::Start(const std::string& http, const std::string& extra,
                     const std::vector<std::string>& sim_args) {
  manager_.reset();  // a second start replaces both programs
  sim_.reset();
  std::vector<std::string> args{"--paper", home_ / "paper.txt", "--control", home_ / "control"};
  args.insert(args.end(), sim_args.begin(), sim_args.end());
  sim_ = std::make_unique<ChildProcess>(BuildProgram("kv4910-sim"), args);
  const auto pty = sim_->ReadLine(5000);
  ASSERT_TRUE(pty && !pty->empty()) << "the simulator did not start";
  for (const char* file : {"kv4910_sk.msg", "kv4910_sk.lng"})
    home_.Write(file, ReadFile(std::string(KV4910_BUILD_DIR) + "/" + file));
  // The program reaches the pseudo-terminal through a link of ours: once the simulator is gone,
  // a test removes the link, since another test's simulator may get the same /dev/pts number.
  const std::string port_link = home_ / "printer-port";
  std::filesystem::remove(port_link);
  std::filesystem::create_symlink(*pty, port_link);
  port_ = FreePort();
  home_.Write("rb4900_cfg.ini", "[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n" + extra +
                                    "[HTTP]\r\n" + http + "port=" + std::to_string(port_) + "\r\n");
  manager_ = std::make_unique<ChildProcess>(
      BuildProgram("kv4910"), std::vector<std::string>{},
      std::map<std::string, std::string>{{"KV4910_HOME", home_.path()},
                                         {"KV4910_RUNTIME_DIR", home_.path()},
                                         {"KV4910_PORTS", port_link},
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

HttpReply HttpShop::Request(const std::string& method, const std::string& path,
                            const std::string& body, std::map<std::string, std::string> headers) {
  if (!headers.count("Authorization"))
    headers["Authorization"] = std::string("Bearer ") + kHttpToken;
  return Http(port_, method, "/api/v1" + path, body, headers);
}

}  // namespace kv::test
