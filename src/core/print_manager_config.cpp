#include "base/ini_file.h"
#include "base/view_names.h"
#include "core/print_manager.h"
#include "platform/os.h"

namespace kv {

bool TSRB4900::LoadConfig() {
  const IniFile ini(files_.ProgramFile(kConfigFileName));
  const int32_t running_port = cfg_.port;
  ReadConfig(ini, program_dir_, cfg_, timeouts_);
  // A port chosen while running (at start-up, or by detection in the settings dialog) stays
  // when the file names none, or one the port list does not hold.
  const auto listed = [this](int32_t port) {
    return port >= 0 && static_cast<size_t>(port) < link_.port_names().size();
  };
  if (!listed(cfg_.port) && listed(running_port)) cfg_.port = running_port;
  ApplyTenderNames();
  link_.ApplyPortTimeouts(timeouts_);

  priority_label_ = "NORMAL";
  if (SetProcessPriorityClass(cfg_.apl_priority)) {
    if (cfg_.apl_priority == 64) priority_label_ = "LOW";
    if (cfg_.apl_priority == 128) priority_label_ = "HIGH";
  }
  view_.SetText(view_names::kPriorityLabel, priority_label_);
  view_.SetVisible(view_names::kUsbLabel, cfg_.USB != 0);
  // Names, passwords and rights are the stored ones now; the current user stays.
  users_.ConfigLoaded();
  return true;
}

void TSRB4900::ApplyTenderNames() {
  const std::array<std::string, 10> names = lang_.TenderNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (!cfg_.plat_from_file[i]) cfg_.plat[i] = names[i];
}

void TSRB4900::LanguageChanged() {
  ApplyTenderNames();
  lang_.ShowStateMessagesAgain();
  readouts_.ShowGridHeadings();
  if (on_language_changed) on_language_changed();
}

}  // namespace kv
