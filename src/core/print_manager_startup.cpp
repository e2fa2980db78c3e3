#include <cstdlib>
#include <filesystem>

#include "base/ini_file.h"
#include "base/view_names.h"
#include "base/wait.h"
#include "core/core_messages.h"
#include "core/print_manager.h"
#include "lang/codepage.h"

namespace kv {

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// A directory path without its trailing separators (the root stays as it is).
std::string WithoutTrailingSeparator(std::string dir) {
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

}  // namespace

void TSRB4900::FormCreate(const std::string& exe_dir) {
  const char* currencies[] = {"EUR", "SKK", "CZK", "USD"};
  for (size_t i = 0; i < currency_codes.size(); ++i) currency_codes[i] = currencies[i];

  const char* home = std::getenv("KV4910_HOME");
  program_dir = WithoutTrailingSeparator(home && *home ? home : exe_dir);
  // Relative paths in the configuration file resolve in the program directory.
  std::error_code ignored;
  std::filesystem::current_path(program_dir, ignored);

  const IniFile ini(files_.ProgramFile(kConfigFileName));
  ReadLanguageSlots(ini, cfg);
  lang_.LoadMessages();
}

void TSRB4900::StartupSequence(const std::vector<std::string>& args) {
  StartupShowVersions();
  // The handler for client messages is installed here, before the settings are read.
  StartupReadCommandLine(args);
  StartupLoadSettings();
  // The single-instance check looks for a window titled id_aplikacia, so it comes before this
  // program takes that title.
  app.SetTitle(cfg.id_aplikacia);
  // Then: message registration, the port list, connecting, a leftover input file.
}

void TSRB4900::StartupShowVersions() {
  using view_names::kStatusBar;
  view.SetTrayHint(Msg(kMsgStarting));

  os_version = QueryOsVersion();
  const std::string os_text = OsVersionText(os_version, kWindows);
  view.SetItemText(kStatusBar, view_names::kPanelState, os_text);
  view.SetHint(kStatusBar, os_text);

  startup.first_tick = true;
  startup.notice_text = Utf8ToCp1250("Tlačový manažér KV4910");
  startup.version_text = kVersionText;
  view.SetItemText(kStatusBar, view_names::kPanelVersion, startup.version_text);
}

void TSRB4900::StartupReadCommandLine(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "/nohide" || arg == "/NOHIDE") startup.no_hide = true;
}

void TSRB4900::StartupLoadSettings() {
  LoadConfig();
  // The first print-job tick comes after the polling period, as every later one.
  Timer_prmgr.SetInterval(static_cast<uint32_t>(cfg.delay_file));
  // Gives a printer that is switched on together with the PC time to come up.
  WaitFor(clock, app, cfg.opozdenie > 0 ? static_cast<uint32_t>(cfg.opozdenie) : 0, nullptr);
}

}  // namespace kv
