#include "api/http_server_options.h"

#include "base/config.h"
#include "base/file_system.h"
#include "base/user_rights.h"
#include "core/job_input_file.h"
#include "core/startup_state.h"

namespace kv {

HttpServer::Options ServerOptionsFor(const HttpSettings& settings, const Config& cfg,
                                     RunCounters& counters, const std::string& error_file) {
  HttpServer::Options options;
  options.address = settings.address;
  options.port = settings.port;
  options.token = settings.token;
  options.metrics_token = settings.metrics_token;
  options.probe_s = settings.probe_s;
  options.counters = &counters;
  options.version = kProgramVersionText;
  options.error_file = error_file;
  const UserRecord& user = cfg.users.at(static_cast<size_t>(settings.user));
  options.actions = {HasRight(user, static_cast<size_t>(kRightXReport)) && !cfg.obrat_hide,
                     HasRight(user, static_cast<size_t>(kRightDrawer))};
  // The page speaks English when the program does (its language file is the English one).
  const size_t language = static_cast<size_t>(cfg.language);
  if (language < cfg.language_files.size() &&
      cfg.language_files[language].find("_en.") != std::string::npos)
    options.language = "en";
  options.files = [error_file, input = cfg.path_in] {
    FileGauges files;
    if (const auto identity = IdentityOf(error_file)) files.error_file_bytes = static_cast<uint64_t>(identity->size);
    files.waiting = SomethingAt(input) ? 1 : 0;
    files.set_aside = CountSetAside(input);
    return files;
  };
  return options;
}

}  // namespace kv
