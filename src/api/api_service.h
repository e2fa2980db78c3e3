#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "api/api_answer.h"
#include "api/http_settings.h"

namespace kv {

class ApiPrinter;
class Clock;
class IdempotencyStore;
class PrinterExchange;
class PrinterLink;
class Timer;
struct Config;

// One HTTP request as the server received it.
struct ApiRequest {
  std::string method;  // "GET", "POST", ...
  std::string path;    // without the query
  std::string authorization;
  std::optional<std::string> idempotency_key;
  std::string body;
  bool repeated_key = false;  // Idempotency-Key came more than once
};

// The HTTP interface without its server: checks each request (token, size, endpoint, rights,
// body), answers a repeated Idempotency-Key from the store, and serves the rest one at a time,
// in order, each in an unattended exchange with the printer (PrinterExchange). A request that
// finds the lease taken waits for it, polled on `retry_timer` so that the program keeps running meanwhile, at
// most kLeaseWaitMs; then it answers busy.
class ApiService {
 public:
  // Room for the most items a receipt may have, with names written as \uXXXX escapes.
  static constexpr size_t kMaxBody = 512 * 1024;
  static constexpr uint32_t kLeaseWaitMs = 5000;
  static constexpr uint32_t kRetryMs = 50;
  static constexpr const char* kLeaseHolder = "http";

  struct Parts {
    const HttpSettings& settings;
    const Config& cfg;  // the users' rights, the currency, message texts come through `printer`
    PrinterLink& link;
    ApiPrinter& printer;
    IdempotencyStore& store;
    Timer& retry_timer;
    Clock& clock;
    std::function<std::string(int)> message;  // a numbered message, cp1250
  };
  explicit ApiService(Parts parts);
  ApiService(const ApiService&) = delete;
  ApiService& operator=(const ApiService&) = delete;

  using Reply = std::function<void(const ApiAnswer&)>;
  // Answers at once (a refusal, a recorded answer) or queues the request; `reply` is called
  // exactly once.
  void Submit(const ApiRequest& request, Reply reply);
  // The retry timer's handler.
  void RetryTick();
  size_t Pending() const { return queue_.size(); }

 private:
  struct Work {
    // Runs inside the request's exchange; null when someone else holds the printer.
    std::function<ApiAnswer(PrinterExchange* exchange)> run;
    bool waits = true;  // false: answers without the printer when the lease is taken
    std::string key;    // the Idempotency-Key, "" when none
    uint64_t hash = 0;
    Reply reply;
    std::optional<uint32_t> since;  // when it first found the lease taken
  };
  // The work a valid request asks for, or the answer that refuses it.
  std::optional<ApiAnswer> Prepare(const ApiRequest& request, Work& work);
  std::optional<ApiAnswer> Allowed(int right) const;
  void ServeQueue();
  void Finish(Work& work, const ApiAnswer& answer);

  const HttpSettings& settings_;
  const Config& cfg_;
  PrinterLink& link_;
  ApiPrinter& printer_;
  IdempotencyStore& store_;
  Timer& retry_timer_;
  Clock& clock_;
  std::function<std::string(int)> message_;
  std::deque<Work> queue_;
  bool serving_ = false;
};

}  // namespace kv
