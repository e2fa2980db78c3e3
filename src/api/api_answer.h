#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kv {

// One answer of the HTTP interface: the status and the JSON body.
struct ApiAnswer {
  int status = 200;
  nlohmann::json body = nlohmann::json::object();
  // An answer that is not JSON (the metrics' text) names its content type and carries its
  // text here; `body` is then unused.
  std::string content_type;
  std::string plain;

  bool ok() const { return status == 200; }
  // Never throws: a byte that is not UTF-8 becomes U+FFFD.
  std::string Text() const { return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }
};

// An amount in cents as a JSON number with at most two decimals, the figure the printer prints
// (1.49, 4.3, 12.0, never 1.4900000000000002 or -0.0): the nearest double to the cents' decimal
// value is written with the fewest digits that read back to it, which for amounts within the
// limits are exactly those decimals.
inline nlohmann::json CentsNumber(int64_t cents) {
  return static_cast<double>(cents) / 100.0;
}

// {"error": {"code": ..., "message": ...}}. The message is UTF-8.
ApiAnswer ErrorAnswer(int status, std::string_view code, std::string_view message);

// The errors by name.
inline ApiAnswer BadRequest(std::string_view message) {
  return ErrorAnswer(400, "bad_request", message);
}
inline ApiAnswer Unprocessable(std::string_view message) {
  return ErrorAnswer(422, "unprocessable", message);
}
inline ApiAnswer Busy(std::string_view message) { return ErrorAnswer(409, "busy", message); }
inline ApiAnswer NotReady(std::string_view message) {
  return ErrorAnswer(503, "printer_not_ready", message);
}
inline ApiAnswer PrinterTimeout(std::string_view message) {
  return ErrorAnswer(504, "printer_timeout", message);
}

}  // namespace kv
