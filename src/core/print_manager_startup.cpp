#include <filesystem>

#include "base/ini_file.h"
#include "base/operator_boxes.h"
#include "base/system.h"
#include "base/view_names.h"
#include "base/wait.h"
#include "core/core_messages.h"
#include "core/print_manager.h"
#include "lang/codepage.h"
#include "platform/program_home.h"

namespace kv {

namespace {

// A directory path without its trailing separators (the root stays as it is).
std::string WithoutTrailingSeparator(std::string dir) {
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

}  // namespace

void TSRB4900::FormCreate(const std::string& exe_dir) {
  const char* currencies[] = {"EUR", "SKK", "CZK", "USD"};
  for (size_t i = 0; i < currency_codes_.size(); ++i) currency_codes_[i] = currencies[i];

  const ProgramHome home = ChooseProgramHome(exe_dir);
  program_dir_ = WithoutTrailingSeparator(home.dir);
  if (home.per_user) {
    const std::string problem = SeedProgramDir(home.shipped_dir, program_dir_);
    if (!problem.empty()) boxes_.Captioned("KV4910", problem, BoxButtons::Ok, BoxIcon::Warning);
  }
  lang_.SetShippedDir(home.shipped_dir);
  // Relative paths in the configuration file resolve in the program directory.
  std::error_code ignored;
  std::filesystem::current_path(program_dir_, ignored);

  const IniFile ini(files_.ProgramFile(kConfigFileName));
  ReadLanguageSlots(ini, cfg_);
  lang_.LoadMessages();
}

void TSRB4900::StartupSequence(const std::vector<std::string>& args) {
  StartupShowVersions();
  // The handler for client messages is installed here, before the settings are read.
  StartupReadCommandLine(args);
  StartupLoadSettings();
  // The single-instance check looks for a window titled id_aplikacia, so it comes before this
  // program takes that title.
  app_.SetTitle(cfg_.id_aplikacia);
  // Then: message registration, the port list, connecting, a leftover input file.
}

void TSRB4900::StartupShowVersions() {
  using view_names::kStatusBar;
  view_.SetTrayHint(Msg(kMsgStarting));

  os_version_ = QueryOsVersion();
  const std::string os_text = OsVersionText(os_version_, OnWindows());
  lang_.ShowStateText(Localization::StateText::StatePanel, os_text);
  view_.SetHint(kStatusBar, os_text);

  startup_.first_tick = true;
  startup_.version_text = kVersionText;
  view_.SetItemText(kStatusBar, view_names::kPanelVersion, startup_.version_text);
}

void TSRB4900::StartupReadCommandLine(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "/nohide" || arg == "/NOHIDE") startup_.no_hide = true;
}

void TSRB4900::StartupLoadSettings() {
  LoadConfig();
  // The first print-job tick comes after the polling period, as every later one.
  timer_prmgr_.SetInterval(static_cast<uint32_t>(cfg_.delay_file));
  // Gives a printer that is switched on together with the PC time to come up.
  WaitFor(clock_, app_, cfg_.opozdenie > 0 ? static_cast<uint32_t>(cfg_.opozdenie) : 0, nullptr);
}

}  // namespace kv
