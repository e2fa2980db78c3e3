#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/api_answer.h"
#include "api/api_service.h"
#include "api/metrics_text.h"
#include "api/overview.h"

namespace kv {

// The HTTP transport of the local interface, on a thread of its own and free of any window
// system. It reads each request within fixed limits before buffering it (a declared body over
// kMaxBody or headers over kMaxHeader are refused unread), holds at most kMaxConnections
// connections, closes one that has not sent a whole request within kIdleMs, and checks the
// token itself, so that wrong tokens never reach the main thread.
//
// The main thread drives it through four calls: it takes the requests waiting in the inbox
// (after `wake` told it there are some), answers each by its id, takes the lines meant for the
// error file, and publishes the printer's status after each exchange. GET /status is answered
// on the server's thread from that snapshot whenever the printer is held, so it never waits for
// an exchange; a free printer gets a fresh query on the main thread, answered from the
// snapshot if it does not come within kStatusWaitMs.
//
// GET /metrics is answered on the server's thread alone, never touching the printer: the
// counters (thread-safe), the status snapshot, the time the last exchange ended (the last
// publish with the printer free) and a look at the files. Every answer is counted by endpoint
// and status. The status page's files (GET /, /status.html and its script and style) hold no
// data and need no token; its data, GET /api/v1/overview, is gathered the same way as /metrics.
// The read-only token passes the gate for GET /metrics, /api/v1/status and /api/v1/overview
// only.
class HttpServer {
 public:
  static constexpr size_t kMaxBody = ApiService::kMaxBody;
  static constexpr size_t kMaxHeader = 8 * 1024;
  static constexpr size_t kMaxConnections = 16;
  static constexpr uint32_t kIdleMs = 10000;
  static constexpr uint32_t kStatusWaitMs = 1000;
  // A failed accept (the program is out of descriptors) is tried again this much later.
  static constexpr uint32_t kAcceptPauseMs = 250;

  struct Options {
    std::string address;
    int port = 0;
    std::string token;
    std::string metrics_token;        // empty: none
    RunCounters* counters = nullptr;  // none: /metrics counts nothing
    // Called on the server's thread for each /metrics: must only look at files.
    std::function<FileGauges()> files;
    std::string version;
    // The status page: its language ("sk", "en"), the error file it shows the end of, and
    // what it offers to do with the full token.
    std::string language = "sk";
    std::string error_file;
    PageActions actions;
    // Every probe_s seconds (0: never) a status query of the server's own goes to the main
    // thread while the printer is free, as GET /status would; its answer is dropped.
    int probe_s = 0;
  };

  struct Pending {
    uint64_t id = 0;
    ApiRequest request;
  };

  // Listens and starts the thread; nothing, with the reason in `error`, when it cannot.
  // `wake` is called on the server's thread whenever the inbox gets requests or lines.
  static std::unique_ptr<HttpServer> Start(const Options& options, std::function<void()> wake,
                                           std::string& error);
  ~HttpServer();  // stops the thread; requests not answered by then are dropped
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // ---- the main thread's side -------------------------------------------------------------
  std::vector<Pending> TakeRequests();
  // Lines for the error file (repeated wrong tokens, a fault of the server's thread).
  std::vector<std::string> TakeLogLines();
  void Answer(uint64_t id, const ApiAnswer& answer);
  // The body of GET /status without "busy", and whether the printer is held right now.
  void PublishStatus(const nlohmann::json& body, bool busy);

  class Impl;

 private:
  explicit HttpServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kv
