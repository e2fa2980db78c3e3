#include "reports/ui/journal_windows.h"

namespace kv {

JournalWindows::JournalWindows(JournalViewerServices viewer, MonthlyDialogServices monthly)
    : viewer_(std::make_unique<TForm_zurnal>(std::move(viewer))),
      monthly_(std::make_unique<TForm_mesacna>(std::move(monthly))) {}

JournalWindows::~JournalWindows() = default;

void JournalWindows::ShowFile(const std::string& path) {
  viewer_->Open(path);
}

bool JournalWindows::ShowMonthlyDialog() {
  return monthly_->ShowModal();
}

}  // namespace kv
