#include "api/token_gate.h"

#include "settings/user_access.h"

namespace kv {

bool BearerMatches(std::string_view authorization, std::string_view token) {
  constexpr std::string_view kBearer = "Bearer ";
  return authorization.substr(0, kBearer.size()) == kBearer &&
         SecretEquals(authorization.substr(kBearer.size()), token);
}

std::optional<ApiAnswer> TokenGate::Check(std::string_view authorization, const std::string& peer,
                                          int64_t now_ms) {
  if (BearerMatches(authorization, token_) || ReadOnly(authorization)) return std::nullopt;
  // Beyond this many addresses in a minute the newcomers are not counted (memory stays bounded).
  if (peers_.size() >= kMaxPeers && !peers_.count(peer))
    return ErrorAnswer(401, "unauthorized", "a valid bearer token is required");
  Peer& p = peers_[peer];
  if (now_ms - p.window_start >= kMinuteMs) {
    p.window_start = now_ms;
    p.in_window = 0;
  }
  ++p.in_window;
  ++p.unreported;
  p.last = now_ms;
  if (p.in_window > kLimit) p.refused_until = now_ms + kMinuteMs;
  if (now_ms < p.refused_until)
    return ErrorAnswer(429, "too_many_requests",
                       "too many wrong tokens from this address: wait a minute");
  return ErrorAnswer(401, "unauthorized", "a valid bearer token is required");
}

bool TokenGate::ReadOnly(std::string_view authorization) const {
  return !read_token_.empty() && BearerMatches(authorization, read_token_);
}

std::vector<std::string> TokenGate::TakeReport(int64_t now_ms) {
  std::vector<std::string> lines;
  for (auto it = peers_.begin(); it != peers_.end();) {
    Peer& p = it->second;
    if (p.unreported > 0)
      lines.push_back("HTTP: " + std::to_string(p.unreported) + " poziadaviek so zlym tokenom z " +
                      it->first);
    p.unreported = 0;
    const bool quiet = now_ms - p.last >= kMinuteMs && now_ms >= p.refused_until;
    it = quiet ? peers_.erase(it) : std::next(it);
  }
  return lines;
}

}  // namespace kv
