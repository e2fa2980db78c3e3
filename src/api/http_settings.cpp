#include "api/http_settings.h"

#include "base/ini_file.h"

namespace kv {

namespace {
constexpr const char* kSection = "HTTP";
}

HttpSettings ReadHttpSettings(const IniFile& ini) {
  HttpSettings s;
  s.enabled = ini.ReadInteger(kSection, "enabled", 0) == 1;
  s.address = ini.ReadString(kSection, "address", s.address);
  s.port = ini.ReadInteger(kSection, "port", s.port);
  s.token = ini.ReadString(kSection, "token", "");
  s.user = ini.ReadInteger(kSection, "user", s.user);
  return s;
}

std::optional<std::string> HttpSettingsProblem(const HttpSettings& s) {
  if (s.token.empty()) return "HTTP rozhranie vypnute: v sekcii HTTP chyba token";
  if (s.port < 1 || s.port > 65535) return "HTTP rozhranie vypnute: neplatny port";
  if (s.user < 0 || s.user > 2) return "HTTP rozhranie vypnute: neplatny user (0 az 2)";
  return std::nullopt;
}

}  // namespace kv
