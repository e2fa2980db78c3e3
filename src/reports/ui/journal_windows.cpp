#include "reports/ui/journal_windows.h"

#include "core/print_manager.h"
#include "reports/ui/form_mesacna.h"
#include "reports/ui/form_zurnal.h"

namespace kv {

JournalWindows::JournalWindows(TSRB4900& pm) : pm_(pm) {
  viewer_ = std::make_unique<TForm_zurnal>(
      JournalViewerServices{pm.config(), pm.files().ProgramFile(kConfigFileName),
                            pm.lang().messages(), pm.boxes(), [&pm] { return pm.LocalTime(); },
                            [&pm](std::string_view text) { pm.files().LogError(text); }});
  monthly_ = std::make_unique<TForm_mesacna>(MonthlyDialogServices{
      pm.lang().messages(), pm.boxes(), [&pm] { return pm.LocalTime(); },
      [&pm](const std::string& bytes) { return pm.device_commands().SendMonthlyRequest(bytes); }});
  pm.device_commands().show_monthly_dialog = [this] { return monthly_->ShowModal(); };
}

JournalWindows::~JournalWindows() {
  pm_.device_commands().show_monthly_dialog = nullptr;
}

void JournalWindows::ShowFile(const std::string& path) {
  viewer_->Open(path);
}

}  // namespace kv
