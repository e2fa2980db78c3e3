#include "api/http_settings.h"

#include <charconv>

#include "base/ini_file.h"

namespace kv {

namespace {

constexpr const char* kSection = "HTTP";
constexpr const char* kOff = "HTTP rozhranie vypnute: ";

// The whole number written at `key` within [low, high]; `fallback` when the key is absent;
// nothing when the value is anything else.
std::optional<int> ReadWhole(const IniFile& ini, const char* key, int fallback, int low, int high) {
  if (!ini.HasKey(kSection, key)) return fallback;
  const std::string text = ini.ReadString(kSection, key, "");
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high)
    return std::nullopt;
  return value;
}

}  // namespace

HttpSettings ReadHttpSettings(const IniFile& ini) {
  HttpSettings s;
  const auto enabled = ReadWhole(ini, "enabled", 0, 0, 1);
  if (!enabled) {
    s.problem = std::string(kOff) + "enabled musi byt 0 alebo 1";
    return s;
  }
  s.enabled = *enabled == 1;
  if (!s.enabled) return s;
  s.address = ini.ReadString(kSection, "address", s.address);
  s.token = ini.ReadString(kSection, "token", "");
  s.metrics_token = ini.ReadString(kSection, "metrics_token", "");
  const auto port = ReadWhole(ini, "port", s.port, 1, 65535);
  const auto user = ReadWhole(ini, "user", s.user, 0, 2);
  const auto probe = ReadWhole(ini, "probe_s", s.probe_s, 0, 86400);
  if (!port) {
    s.problem = std::string(kOff) + "neplatny port (1 az 65535)";
  } else if (!user) {
    s.problem = std::string(kOff) + "neplatny user (0 az 2)";
  } else if (!probe) {
    s.problem = std::string(kOff) + "neplatny probe_s (0 az 86400)";
  } else if (s.token.empty()) {
    s.problem = std::string(kOff) + "v sekcii HTTP chyba token";
  } else if (s.token.size() < HttpSettings::kMinTokenLength) {
    s.problem = std::string(kOff) + "token je kratsi ako " +
                std::to_string(HttpSettings::kMinTokenLength) + " znakov";
  } else if (!s.metrics_token.empty() &&
             s.metrics_token.size() < HttpSettings::kMinTokenLength) {
    s.problem = std::string(kOff) + "metrics_token je kratsi ako " +
                std::to_string(HttpSettings::kMinTokenLength) + " znakov";
  } else if (s.metrics_token == s.token) {
    s.problem = std::string(kOff) + "metrics_token sa nesmie zhodovat s tokenom";
  }
  if (port) s.port = *port;
  if (user) s.user = *user;
  if (probe) s.probe_s = *probe;
  return s;
}

std::optional<std::string> HttpSettingsNote(const HttpSettings& s) {
  if (s.address == "127.0.0.1" || s.address == "::1" || s.address.rfind("127.", 0) == 0)
    return std::nullopt;
  return "HTTP rozhranie pocuva na " + s.address +
         ": token prechadza sietou nesifrovany";
}

}  // namespace kv
