#pragma once

#include <optional>
#include <string>

namespace kv {

class IniFile;

// The section HTTP of the configuration file: the local HTTP/JSON interface.
struct HttpSettings {
  static constexpr size_t kMinTokenLength = 16;

  bool enabled = false;
  std::string address = "127.0.0.1";
  int port = 4910;
  std::string token;  // the bearer token every request must carry
  // A second, read-only token (empty: none): it may read /metrics and /status only, so that a
  // monitoring system holds no token that can print or close a day.
  std::string metrics_token;
  int user = 0;       // whose rights the interface has (0 ... 2)
  // An idle till asks the printer nothing: with probe_s above 0 the interface queries the
  // printer's status every probe_s seconds while nobody holds it (0 ... 86400, 0 = off).
  int probe_s = 0;
  // Why the interface must stay off (a line for the error file): a value that is not a whole
  // number in its range, no token or one too short to guess at, a read-only token too short
  // or the same as the token.
  std::optional<std::string> problem;
};

// A value written but unreadable is never replaced by its default: it keeps the interface off.
HttpSettings ReadHttpSettings(const IniFile& ini);

// A line for the error file when the interface listens beyond this machine (the token then
// crosses the network in clear).
std::optional<std::string> HttpSettingsNote(const HttpSettings& settings);

}  // namespace kv
