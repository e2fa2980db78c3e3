#include "api/http_server.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "api/status_page.h"
#include "api/token_gate.h"
#include "base/system.h"

namespace kv {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using boost::system::error_code;
using std::chrono::milliseconds;

namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool IsStatus(const ApiRequest& r) { return r.method == "GET" && r.path == "/api/v1/status"; }
bool IsMetrics(const ApiRequest& r) { return r.method == "GET" && r.path == "/metrics"; }
bool IsOverview(const ApiRequest& r) { return r.method == "GET" && r.path == "/api/v1/overview"; }
constexpr size_t kErrorLinesShown = 20;

// The answer to a request the parser gave up on; nothing when the connection just ends.
std::optional<ApiAnswer> RefusalOf(const error_code& ec) {
  if (ec == http::error::body_limit)
    return ErrorAnswer(413, "too_large",
                       "the body is over " + std::to_string(HttpServer::kMaxBody) + " bytes");
  if (ec == http::error::header_limit)
    return ErrorAnswer(431, "too_large",
                       "the headers are over " + std::to_string(HttpServer::kMaxHeader) + " bytes");
  if (ec.category() == http::make_error_code(http::error::bad_method).category() &&
      ec != http::error::end_of_stream && ec != http::error::partial_message)
    return BadRequest("the request is not well-formed HTTP/1.1");
  return std::nullopt;
}

}  // namespace

class Session;

class HttpServer::Impl {
 public:
  Impl(Options options, std::function<void()> wake)
      : options_(std::move(options)),
        wake_(std::move(wake)),
        gate_(options_.token, options_.metrics_token) {}
  ~Impl() {
    ioc_.stop();
    if (thread_.joinable()) thread_.join();
  }

  bool Listen(std::string& error);
  void StartThread() {
    thread_ = std::thread([this] { Run(); });
  }

  // ---- the server's thread ----
  void Dispatch(const std::shared_ptr<Session>& session, ApiRequest request);
  void Deliver(uint64_t id, const ApiAnswer& answer);
  void StatusLate(uint64_t id);
  // A session ended or went back to reading: accepting may go on.
  void SessionFreed();

  // ---- any thread ----
  void AddLogLines(std::vector<std::string> lines);
  std::optional<ApiAnswer> Snapshot(bool busy_anyway);
  MetricsInput Gather();
  ApiAnswer Metrics();
  ApiAnswer Overview(bool read_only);
  void CountAnswer(const std::string& endpoint, int status) {
    if (options_.counters) options_.counters->CountHttp(endpoint, status);
  }

  asio::io_context ioc_;
  std::mutex mutex_;  // guards the five below
  std::vector<Pending> inbox_;
  std::vector<std::string> log_lines_;
  nlohmann::json status_body_ = nlohmann::json::object();
  bool status_busy_ = false;
  std::optional<std::chrono::steady_clock::time_point> last_exchange_;

 private:
  void Run();
  void Accept();
  void OnAccepted(const error_code& ec, tcp::socket socket);
  size_t Live();
  std::shared_ptr<Session> LongestIdle();
  void ReportWrongTokens();
  void Probe();

  Options options_;
  std::function<void()> wake_;
  TokenGate gate_;
  tcp::acceptor acceptor_{ioc_};
  asio::steady_timer accept_pause_{ioc_};
  asio::steady_timer report_timer_{ioc_};
  asio::steady_timer probe_timer_{ioc_};
  std::vector<std::weak_ptr<Session>> sessions_;
  bool accepting_ = false;
  bool paused_ = false;  // at the connection cap with nobody idle
  uint64_t next_id_ = 1;
  // Handed to the main thread: kept alive until answered.
  std::map<uint64_t, std::shared_ptr<Session>> waiting_;
  std::thread thread_;
};

// One connection: reads a request within the limits, hands it over, writes the answer, and
// reads the next one while the client keeps the connection.
class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(HttpServer::Impl& server, tcp::socket socket, std::string peer)
      : server_(server), stream_(std::move(socket)), status_timer_(server.ioc_),
        peer_(std::move(peer)) {}

  void ReadHeader() {
    serving_ = false;
    idle_since_ = SteadyMs();
    parser_.emplace();
    parser_->header_limit(HttpServer::kMaxHeader);
    parser_->body_limit(HttpServer::kMaxBody);
    // One deadline for the whole request: a client that trickles it in is closed as well.
    stream_.expires_after(milliseconds(HttpServer::kIdleMs));
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](error_code ec, size_t) { self->OnHeader(ec); });
  }

  // Waits for the main thread's answer; a status request only `limit_ms`.
  void Wait(uint64_t id, uint32_t limit_ms) {
    if (limit_ms == 0) return;
    status_timer_.expires_after(milliseconds(limit_ms));
    status_timer_.async_wait([self = shared_from_this(), id](error_code ec) {
      if (!ec) self->server_.StatusLate(id);
    });
  }

  void Reply(const ApiAnswer& answer) {
    if (finished_) return;
    status_timer_.cancel();
    response_ = {};
    response_.version(version_);
    response_.result(static_cast<unsigned>(answer.status));
    server_.CountAnswer(endpoint_, answer.status);
    const bool plain = !answer.content_type.empty();
    response_.set(http::field::content_type, plain ? answer.content_type : "application/json");
    if (plain) {
      response_.set("Content-Security-Policy", kPageSecurityPolicy);
      response_.set("X-Content-Type-Options", "nosniff");
    }
    const std::string text = plain ? answer.plain : answer.Text();
    if (head_) {
      response_.set(http::field::content_length, std::to_string(text.size()));
    } else {
      response_.body() = text;
      response_.prepare_payload();
    }
    response_.keep_alive(keep_alive_);
    stream_.expires_after(milliseconds(HttpServer::kIdleMs));
    http::async_write(stream_, response_, [self = shared_from_this()](error_code ec, size_t) {
      if (!ec && self->refused_) return self->Linger();
      if (ec || !self->keep_alive_) return self->Finish();
      self->ReadHeader();
      self->server_.SessionFreed();
    });
  }

  void Finish() {
    if (finished_) return;
    finished_ = true;
    status_timer_.cancel();
    error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
    server_.SessionFreed();
  }

  bool finished() const { return finished_; }
  bool serving() const { return serving_; }
  int64_t idle_since() const { return idle_since_; }
  const std::string& peer() const { return peer_; }

 private:
  void OnHeader(const error_code& ec) {
    if (finished_) return;
    if (ec) return Refuse(ec);
    const auto expect = parser_->get()[http::field::expect];
    if (beast::iequals(expect, "100-continue")) {
      continue_ = {http::status::continue_, parser_->get().version()};
      http::async_write(stream_, continue_, [self = shared_from_this()](error_code ec2, size_t) {
        if (ec2) return self->Finish();
        self->ReadBody();
      });
      return;
    }
    ReadBody();
  }

  void ReadBody() {
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](error_code ec, size_t) { self->OnBody(ec); });
  }

  void OnBody(const error_code& ec) {
    if (finished_) return;
    if (ec) return Refuse(ec);
    http::request<http::string_body>& req = parser_->get();
    ApiRequest r;
    head_ = req.method() == http::verb::head;
    r.method = head_ ? "GET" : std::string(req.method_string());
    const std::string target(req.target());
    r.path = target.substr(0, target.find('?'));
    endpoint_ = MetricsEndpoint(r.path);
    r.authorization = std::string(req[http::field::authorization]);
    int keys = 0;
    for (const auto& field : req) {
      if (!beast::iequals(field.name_string(), "Idempotency-Key")) continue;
      if (++keys == 1) r.idempotency_key = std::string(field.value());
    }
    r.repeated_key = keys > 1;
    r.body = std::move(req.body());
    version_ = req.version();
    keep_alive_ = req.keep_alive();
    serving_ = true;
    stream_.expires_never();
    server_.Dispatch(shared_from_this(), std::move(r));
  }

  void Refuse(const error_code& ec) {
    const auto answer = RefusalOf(ec);
    if (!answer) return Finish();
    endpoint_ = "other";  // the request was not read
    serving_ = true;
    keep_alive_ = false;
    head_ = false;
    refused_ = true;
    Reply(*answer);
  }

  // After a refusal the client may still be sending what was refused: it is read and dropped
  // for a short while, so that closing does not reset the connection before the answer is read.
  void Linger() {
    serving_ = false;
    error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(milliseconds(kLingerMs));
    Drain();
  }

  void Drain() {
    stream_.async_read_some(asio::buffer(drain_), [self = shared_from_this()](error_code ec, size_t) {
      if (ec || self->finished_) return self->Finish();
      self->Drain();
    });
  }

  static constexpr uint32_t kLingerMs = 2000;

  HttpServer::Impl& server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::empty_body> continue_;
  http::response<http::string_body> response_;
  asio::steady_timer status_timer_;
  std::string peer_;
  std::string endpoint_ = "other";  // of the request being answered, for the counters
  unsigned version_ = 11;
  bool keep_alive_ = true;
  bool head_ = false;
  bool serving_ = false;
  bool finished_ = false;
  bool refused_ = false;
  int64_t idle_since_ = 0;
  std::array<char, 4096> drain_{};
};

bool HttpServer::Impl::Listen(std::string& error) {
  error_code ec;
  const auto address = asio::ip::make_address(options_.address, ec);
  if (ec) {
    error = "neplatna adresa " + options_.address;
    return false;
  }
  const tcp::endpoint endpoint(address, static_cast<uint16_t>(options_.port));
  acceptor_.open(endpoint.protocol(), ec);
  // On Windows this would let another program take the port; elsewhere it lets a restart bind
  // at once.
  if (!ec && !OnWindows()) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  return true;
}

void HttpServer::Impl::Run() {
  Accept();
  ReportWrongTokens();
  if (options_.probe_s > 0) Probe();
  for (;;) {
    try {
      ioc_.run();
      return;
    } catch (const std::exception& e) {
      // The connection whose handler failed is gone; the others go on.
      AddLogLines({std::string("HTTP: chyba servera: ") + e.what()});
    }
  }
}

void HttpServer::Impl::Accept() {
  if (accepting_) return;
  if (Live() >= kMaxConnections && !LongestIdle()) {
    paused_ = true;  // every connection is being served: wait for one to end
    return;
  }
  accepting_ = true;
  acceptor_.async_accept([this](error_code ec, tcp::socket socket) {
    accepting_ = false;
    OnAccepted(ec, std::move(socket));
  });
}

void HttpServer::Impl::OnAccepted(const error_code& ec, tcp::socket socket) {
  if (ec == asio::error::operation_aborted) return;
  if (ec) {
    // Out of descriptors or memory: trying again at once would only spin.
    accept_pause_.expires_after(milliseconds(kAcceptPauseMs));
    accept_pause_.async_wait([this](error_code wait_ec) {
      if (!wait_ec) Accept();
    });
    return;
  }
  error_code peer_ec;
  const auto remote = socket.remote_endpoint(peer_ec);
  const std::string peer = peer_ec ? std::string("?") : remote.address().to_string();
  // A new connection takes the place of the one idle longest.
  if (Live() >= kMaxConnections) {
    const auto idle = LongestIdle();
    if (!idle) return Accept();  // the socket closes as it goes
    idle->Finish();
  }
  auto session = std::make_shared<Session>(*this, std::move(socket), peer);
  sessions_.push_back(session);
  session->ReadHeader();
  Accept();
}

size_t HttpServer::Impl::Live() {
  std::erase_if(sessions_, [](const std::weak_ptr<Session>& s) {
    const auto session = s.lock();
    return !session || session->finished();
  });
  return sessions_.size();
}

std::shared_ptr<Session> HttpServer::Impl::LongestIdle() {
  std::shared_ptr<Session> oldest;
  for (const auto& weak : sessions_) {
    const auto session = weak.lock();
    if (session && !session->finished() && !session->serving() &&
        (!oldest || session->idle_since() < oldest->idle_since()))
      oldest = session;
  }
  return oldest;
}

void HttpServer::Impl::SessionFreed() {
  if (!paused_) return;
  paused_ = false;
  asio::post(ioc_, [this] { Accept(); });
}

void HttpServer::Impl::ReportWrongTokens() {
  AddLogLines(gate_.TakeReport(SteadyMs()));
  report_timer_.expires_after(milliseconds(TokenGate::kMinuteMs));
  report_timer_.async_wait([this](error_code ec) {
    if (!ec) ReportWrongTokens();
  });
}

void HttpServer::Impl::Probe() {
  probe_timer_.expires_after(std::chrono::seconds(options_.probe_s));
  probe_timer_.async_wait([this](error_code ec) {
    if (ec) return;
    bool free = false;
    {
      std::lock_guard lock(mutex_);
      free = !status_busy_;
      // An id nobody waits for: Deliver drops the answer.
      if (free)
        inbox_.push_back({next_id_++, {"GET", "/api/v1/status", "Bearer " + options_.token, {}, {}, false}});
    }
    if (free) wake_();
    Probe();
  });
}

void HttpServer::Impl::Dispatch(const std::shared_ptr<Session>& session, ApiRequest request) {
  if (request.method == "GET") {
    if (auto file = StatusPageFile(request.path, options_.language)) return session->Reply(*file);
  }
  if (auto refused = gate_.Check(request.authorization, session->peer(), SteadyMs()))
    return session->Reply(*refused);
  const bool read_only = gate_.ReadOnly(request.authorization);
  if (IsMetrics(request)) return session->Reply(Metrics());
  if (IsOverview(request)) return session->Reply(Overview(read_only));
  if (read_only && !IsStatus(request))
    return session->Reply(ErrorAnswer(
        403, "forbidden",
        "the metrics token may read /metrics, /api/v1/status and /api/v1/overview only"));
  const bool status = IsStatus(request);
  if (status) {
    if (auto held = Snapshot(false)) return session->Reply(*held);
  }
  const uint64_t id = next_id_++;
  waiting_[id] = session;
  session->Wait(id, status ? kStatusWaitMs : 0);
  {
    std::lock_guard lock(mutex_);
    inbox_.push_back({id, std::move(request)});
  }
  wake_();
}

void HttpServer::Impl::Deliver(uint64_t id, const ApiAnswer& answer) {
  const auto it = waiting_.find(id);
  if (it == waiting_.end()) return;  // answered from the snapshot already
  const auto session = it->second;
  waiting_.erase(it);
  session->Reply(answer);
}

void HttpServer::Impl::StatusLate(uint64_t id) {
  if (auto snapshot = Snapshot(true)) Deliver(id, *snapshot);
}

void HttpServer::Impl::AddLogLines(std::vector<std::string> lines) {
  if (lines.empty()) return;
  {
    std::lock_guard lock(mutex_);
    for (auto& line : lines) log_lines_.push_back(std::move(line));
  }
  wake_();
}

std::optional<ApiAnswer> HttpServer::Impl::Snapshot(bool busy_anyway) {
  std::lock_guard lock(mutex_);
  if (!status_busy_ && !busy_anyway) return std::nullopt;
  ApiAnswer answer;
  answer.body = status_body_;
  answer.body["busy"] = true;
  return answer;
}

MetricsInput HttpServer::Impl::Gather() {
  const auto now = std::chrono::steady_clock::now();
  const auto seconds = [now](std::chrono::steady_clock::time_point then) {
    return std::chrono::duration<double>(now - then).count();
  };
  MetricsInput input;
  {
    std::lock_guard lock(mutex_);
    input.status = status_body_;
    input.in_exchange = status_busy_;
    if (status_busy_)
      input.last_exchange_age_s = 0.0;
    else if (last_exchange_)
      input.last_exchange_age_s = seconds(*last_exchange_);
  }
  if (options_.counters) {
    input.counters = options_.counters->Read();
    if (input.counters.last_confirmed)
      input.last_confirmed_age_s = seconds(*input.counters.last_confirmed);
  }
  if (options_.files) input.files = options_.files();
  input.version = options_.version;
  return input;
}

ApiAnswer HttpServer::Impl::Metrics() {
  ApiAnswer answer;
  answer.content_type = kMetricsContentType;
  answer.plain = MetricsText(Gather());
  return answer;
}

ApiAnswer HttpServer::Impl::Overview(bool read_only) {
  ApiAnswer answer;
  answer.body = OverviewBody(Gather(), LastLines(options_.error_file, kErrorLinesShown),
                             read_only ? PageActions{} : options_.actions);
  return answer;
}

std::unique_ptr<HttpServer> HttpServer::Start(const Options& options, std::function<void()> wake,
                                              std::string& error) {
  auto impl = std::make_unique<Impl>(options, std::move(wake));
  if (!impl->Listen(error)) return nullptr;
  impl->StartThread();
  return std::unique_ptr<HttpServer>(new HttpServer(std::move(impl)));
}

HttpServer::HttpServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
HttpServer::~HttpServer() = default;

std::vector<HttpServer::Pending> HttpServer::TakeRequests() {
  std::lock_guard lock(impl_->mutex_);
  return std::exchange(impl_->inbox_, {});
}

std::vector<std::string> HttpServer::TakeLogLines() {
  std::lock_guard lock(impl_->mutex_);
  return std::exchange(impl_->log_lines_, {});
}

void HttpServer::Answer(uint64_t id, const ApiAnswer& answer) {
  asio::post(impl_->ioc_, [impl = impl_.get(), id, answer] { impl->Deliver(id, answer); });
}

void HttpServer::PublishStatus(const nlohmann::json& body, bool busy) {
  std::lock_guard lock(impl_->mutex_);
  impl_->status_body_ = body;
  impl_->status_busy_ = busy;
  // Published whenever the printer is taken or given back: given back, an exchange has ended.
  if (!busy) impl_->last_exchange_ = std::chrono::steady_clock::now();
}

}  // namespace kv
