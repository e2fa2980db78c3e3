#include "api/api_service.h"

#include "api/api_printer.h"
#include "api/api_requests.h"
#include "api/idempotency_store.h"
#include "api/json_names.h"
#include "api/token_gate.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/timer.h"
#include "base/user_rights.h"
#include "lang/codepage.h"
#include "link/printer_exchange.h"
#include "link/printer_link.h"
#include "register/till_messages.h"
#include "settings/setup_commands.h"
#include "settings/user_access.h"

namespace kv {

namespace {

constexpr int kNoRight = -1;

bool IsPost(const ApiRequest& r) { return r.method == "POST"; }

}  // namespace

ApiService::ApiService(Parts p)
    : settings_(p.settings),
      cfg_(p.cfg),
      link_(p.link),
      printer_(p.printer),
      store_(p.store),
      retry_timer_(p.retry_timer),
      clock_(p.clock),
      message_(std::move(p.message)) {
  retry_timer_.SetInterval(kRetryMs);
}

std::optional<ApiAnswer> ApiService::Allowed(int right) const {
  if (right == kNoRight) return std::nullopt;
  const UserRecord& user = cfg_.users.at(static_cast<size_t>(settings_.user));
  if (HasRight(user, static_cast<size_t>(right))) return std::nullopt;
  return ErrorAnswer(403, "forbidden",
                     "user " + std::to_string(settings_.user) + " lacks the right for this command");
}

std::optional<ApiAnswer> ApiService::Prepare(const ApiRequest& r, Work& work) {
  constexpr std::string_view kPrefix = "/api/v1";
  const std::string path = r.path.rfind(kPrefix, 0) == 0 ? r.path.substr(kPrefix.size()) : "";
  using Command = ApiPrinter::Command;
  auto command = [&](Command c, int right) -> std::optional<ApiAnswer> {
    if (auto refused = Allowed(right)) return refused;
    if (auto bad = CheckEmptyBody(r.body)) return bad;
    work.run = [this, c](PrinterExchange* exchange) { return printer_.RunCommand(*exchange, c); };
    return std::nullopt;
  };

  if (r.method == "GET" && path == "/status") {
    work.waits = false;
    work.run = [this](PrinterExchange* exchange) { return printer_.Status(exchange); };
    return std::nullopt;
  }
  if (r.method == "GET" && path == "/info") {
    work.run = [this](PrinterExchange* exchange) { return printer_.Info(*exchange); };
    return std::nullopt;
  }
  if (!IsPost(r)) return ErrorAnswer(404, "not_found", "no such endpoint");
  if (path == "/receipts") {
    auto parsed = ParseReceipt(r.body);
    if (auto* refused = std::get_if<ApiAnswer>(&parsed)) return *refused;
    const int mena = cfg_.mena >= 0 && static_cast<size_t>(cfg_.mena) < kActiveCurrencies.size()
                         ? cfg_.mena
                         : 0;
    auto text = BuildReceiptText(std::get<ReceiptRequest>(parsed), kActiveCurrencies[mena],
                                 message_(kMsgDiscountName));
    if (auto* refused = std::get_if<ApiAnswer>(&text)) return *refused;
    work.run = [this, receipt = std::get<ReceiptText>(text)](PrinterExchange* exchange) {
      return printer_.PrintJob(*exchange, receipt.bytes, receipt.total);
    };
    return std::nullopt;
  }
  if (path == "/cash") {
    auto parsed = ParseCash(r.body);
    if (auto* refused = std::get_if<ApiAnswer>(&parsed)) return *refused;
    work.run = [this, bytes = BuildCashText(std::get<CashRequest>(parsed))](
                   PrinterExchange* exchange) {
      return printer_.PrintJob(*exchange, bytes, std::nullopt);
    };
    return std::nullopt;
  }
  if (path == "/reports/x") {
    if (cfg_.obrat_hide) return ErrorAnswer(403, "forbidden", "the X report is hidden (obrat_hide)");
    return command(Command::XReport, kRightXReport);
  }
  if (path == "/reports/daily") return command(Command::DailyClose, kRightDailyClose);
  if (path == "/reports/monthly") {
    if (auto refused = Allowed(kRightMonthlyClose)) return refused;
    auto parsed = ParseMonthly(r.body);
    if (auto* refused = std::get_if<ApiAnswer>(&parsed)) return *refused;
    const MonthlyReportRequest m = std::get<MonthlyReportRequest>(parsed);
    work.run = [this, m](PrinterExchange* exchange) {
      return printer_.MonthlyClose(*exchange, m.year, m.month);
    };
    return std::nullopt;
  }
  if (path == "/copies/last-document")
    return command(Command::CopyLastDocument, kRightCopyDocument);
  if (path == "/copies/last-daily-closing")
    return command(Command::CopyLastClosing, kRightCopyClosing);
  if (path == "/clock") return command(Command::Clock, kRightClock);
  if (path == "/drawer") return command(Command::Drawer, kRightDrawer);
  return ErrorAnswer(404, "not_found", "no such endpoint");
}

void ApiService::Submit(const ApiRequest& r, Reply reply) {
  // The read-only token may read the status; the server lets it through for nothing else.
  const bool read_only = !settings_.metrics_token.empty() &&
                         BearerMatches(r.authorization, settings_.metrics_token) &&
                         r.method == "GET" && r.path == "/api/v1/status";
  if (!BearerMatches(r.authorization, settings_.token) && !read_only)
    return reply(ErrorAnswer(401, "unauthorized", "a valid bearer token is required"));
  if (r.body.size() > kMaxBody)
    return reply(ErrorAnswer(413, "too_large",
                             "the body is over " + std::to_string(kMaxBody) + " bytes"));
  if (r.repeated_key) return reply(BadRequest("Idempotency-Key may be sent only once"));
  if (HasRepeatedName(r.body)) return reply(BadRequest("a field appears twice in one object"));

  Work work;
  if (auto refused = Prepare(r, work)) return reply(*refused);

  if (IsPost(r) && r.idempotency_key) {
    const std::string& key = *r.idempotency_key;
    if (!IdempotencyStore::ValidKey(key))
      return reply(BadRequest("Idempotency-Key must be 1 to 64 printable ASCII characters"));
    if (const auto damaged = store_.Damage())
      return reply(NotReady("the Idempotency-Key file is damaged (" + *damaged +
                            "): keyed requests wait until an operator removes it"));
    work.key = key;
    work.hash = IdempotencyStore::RequestHash(r.method, r.path, r.body);
    for (const Work& queued : queue_)
      if (queued.key == key) return reply(Busy("a request with this Idempotency-Key is being served"));
    if (const auto entry = store_.Find(key)) {
      if (entry->hash != work.hash)
        return reply(Unprocessable("this Idempotency-Key was used with another request"));
      if (entry->status == 0) return reply(Busy("a request with this Idempotency-Key is being served"));
      ApiAnswer recorded;
      recorded.status = entry->status;
      recorded.body = nlohmann::json::parse(entry->body, nullptr, false);
      return reply(recorded);
    }
  }
  work.reply = std::move(reply);
  queue_.push_back(std::move(work));
  ServeQueue();
}

void ApiService::RetryTick() {
  retry_timer_.SetEnabled(false);
  ServeQueue();
}

void ApiService::ServeQueue() {
  if (serving_) return;  // an answer's reply submitted again: the loop below takes it
  serving_ = true;
  while (!queue_.empty()) {
    Work& work = queue_.front();
    PrinterExchange exchange(link_, kLeaseHolder, PrinterExchange::PortAfter::CloseWhenConfigured,
                             Attendance::Unattended);
    ApiAnswer answer;
    if (!exchange && !work.waits) {
      answer = work.run(nullptr);
    } else if (!exchange) {
      if (!work.since) work.since = clock_.TickCount();
      if (clock_.Since(*work.since) < kLeaseWaitMs) {
        retry_timer_.SetEnabled(true);
        break;
      }
      answer = Busy("the printer is held by " + Cp1250ToUtf8(link_.Holder()) +
                    " longer than a request may wait");
    } else {
      if (!work.key.empty() && !store_.Begin(work.key, work.hash)) {
        answer = NotReady("the Idempotency-Key cannot be recorded: nothing was sent");
        work.key.clear();
        exchange.LeavePortOpen();
      } else {
        answer = work.run(&exchange);
      }
      exchange.End();
    }
    Finish(work, answer);
    queue_.pop_front();
  }
  serving_ = false;
}

void ApiService::Finish(Work& work, const ApiAnswer& answer) {
  if (!work.key.empty()) {
    // An answer that sent nothing is forgotten, so that a retry may try again.
    if (answer.status == 200 || answer.status == 502)
      store_.Finish(work.key, answer.status, answer.Text());
    else if (store_.Find(work.key))
      store_.Forget(work.key);
  }
  work.reply(answer);
}

}  // namespace kv
