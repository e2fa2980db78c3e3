#pragma once

#include <optional>
#include <string>

namespace kv {

class IniFile;

// The section HTTP of the configuration file: the local HTTP/JSON interface.
struct HttpSettings {
  bool enabled = false;
  std::string address = "127.0.0.1";
  int port = 4910;
  std::string token;  // the bearer token every request must carry
  int user = 0;       // whose rights the interface has (0 ... 2)
};

HttpSettings ReadHttpSettings(const IniFile& ini);

// Why an enabled interface must stay off (a line for the error file); nothing when it may run.
std::optional<std::string> HttpSettingsProblem(const HttpSettings& settings);

}  // namespace kv
