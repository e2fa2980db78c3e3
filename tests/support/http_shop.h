#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace kv::test {

struct HttpReply {
  int status = 0;  // 0: no answer
  std::string head;
  std::string body;
};

// Sends `text` to 127.0.0.1:`port` and reads one answer (until the peer closes, a whole answer
// came, or `limit_ms` passed). Writes that fail (the server closed) are not an error here.
HttpReply RawHttp(int port, const std::string& text, int limit_ms = 20000);
// One HTTP/1.1 request with a Content-Length.
HttpReply Http(int port, const std::string& method, const std::string& path,
               const std::string& body, const std::map<std::string, std::string>& headers,
               int limit_ms = 20000);
// A TCP connection to 127.0.0.1:`port` (-1 when it failed).
int ConnectLocal(int port);
// A port nobody listens on right now.
int FreePort();
// Sends one command to the simulator's control socket; its answer line.
std::string SimControl(const std::string& path, const std::string& command);

inline constexpr const char* kHttpToken = "e2e-token-0123456789";

// The real kv4910 printing on kv4910-sim, with the HTTP interface configured.
class HttpShop : public ::testing::Test {
 protected:
  // `http` is the section HTTP without its port; `extra` more INI text for [CONFIG];
  // `sim_args` more arguments of the simulator.
  void Start(const std::string& http, const std::string& extra = {},
             const std::vector<std::string>& sim_args = {});
  // The section HTTP that enables the interface with the test's token.
  static std::string Enabled() { return std::string("enabled=1\r\ntoken=") + kHttpToken + "\r\n"; }

  HttpReply Request(const std::string& method, const std::string& path,
                    const std::string& body = {}, std::map<std::string, std::string> headers = {});
  std::string Paper() const { return ReadFile(home_ / "paper.txt"); }
  std::string ErrorFile() const { return ReadFile(home_ / "FM_err.txt"); }

  TempDir home_;
  int port_ = 0;
  std::unique_ptr<ChildProcess> sim_;
  std::unique_ptr<ChildProcess> manager_;
};

}  // namespace kv::test
