#include "app/area_windows.h"

#include <string>
#include <string_view>

#include "core/print_manager.h"

namespace kv {

namespace {

std::function<std::tm()> LocalTimeOf(TSRB4900& pm) {
  return [&pm] { return pm.LocalTime(); };
}

}  // namespace

CopyWindows::Parts CopyWindowParts(TSRB4900& pm) {
  return {pm.link(), pm.clock(), pm.lang().messages(), pm.boxes(), LocalTimeOf(pm), [&pm] {
            if (!pm.config().spravy) pm.timer_prmgr().SetEnabled(true);
          }};
}

TillWindows::Parts TillWindowParts(TSRB4900& pm) {
  return {pm.config(),
          pm.till(),
          pm.lang().messages(),
          pm.boxes(),
          [&users = pm.users()] { return users.priceListAccess() != 0; },
          [&files = pm.files()](const std::string& line) { files.LogError(line); }};
}

std::unique_ptr<JournalWindows> MakeJournalWindows(TSRB4900& pm) {
  return std::make_unique<JournalWindows>(
      JournalViewerServices{pm.config(), pm.files().ProgramFile(kConfigFileName),
                            pm.lang().messages(), pm.boxes(), LocalTimeOf(pm),
                            [&files = pm.files()](std::string_view line) { files.LogError(line); }},
      MonthlyDialogServices{pm.lang().messages(), pm.boxes(), LocalTimeOf(pm),
                            [&commands = pm.device_commands()](const std::string& bytes) {
                              return commands.SendMonthlyRequest(bytes);
                            }});
}

void ConnectJournalWindows(TSRB4900& pm, JournalWindows* journal) {
  pm.device_commands().show_monthly_dialog = nullptr;
  if (journal) pm.device_commands().show_monthly_dialog = [journal] {
    return journal->ShowMonthlyDialog();
  };
}

void ConnectTillWindows(TSRB4900& pm, TillWindows* till) {
  pm.jobs().OnShowSaleWindow(nullptr);
  if (till) pm.jobs().OnShowSaleWindow([till] { till->ShowSaleWindowAfterThisEvent(); });
}

}  // namespace kv
