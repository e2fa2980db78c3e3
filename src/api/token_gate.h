#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/api_answer.h"

namespace kv {

// The bearer token check of every request, with wrong tokens counted by the peer's address:
// after kLimit wrong tokens within a minute from one address, its wrong-token requests are
// answered 429 for a minute. A request with the right token is always let through, since every
// local client shares 127.0.0.1. Used on one thread only (the server's).
class TokenGate {
 public:
  static constexpr int kLimit = 20;
  static constexpr int64_t kMinuteMs = 60000;
  static constexpr size_t kMaxPeers = 4096;

  // `read_token` (empty: none) is let through as well; ReadOnly tells it from the token.
  explicit TokenGate(std::string token, std::string read_token = {})
      : token_(std::move(token)), read_token_(std::move(read_token)) {}

  // Nothing when `authorization` carries the token or the read-only token; else the 401 or 429
  // answer. `now_ms` is a steady time in milliseconds.
  std::optional<ApiAnswer> Check(std::string_view authorization, const std::string& peer,
                                 int64_t now_ms);
  // `authorization` carries the read-only token (which may only read).
  bool ReadOnly(std::string_view authorization) const;
  // One line per address that sent wrong tokens since the last call (for the error file, once
  // a minute); forgets addresses that have been quiet for a minute.
  std::vector<std::string> TakeReport(int64_t now_ms);

 private:
  struct Peer {
    int64_t window_start = 0;
    int in_window = 0;       // wrong tokens since window_start
    int unreported = 0;      // wrong tokens since the last report
    int64_t refused_until = 0;
    int64_t last = 0;
  };

  std::string token_;
  std::string read_token_;
  std::map<std::string, Peer> peers_;
};

// "Bearer <token>", the token compared in constant time.
bool BearerMatches(std::string_view authorization, std::string_view token);

}  // namespace kv
