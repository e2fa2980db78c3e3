#pragma once

#include <memory>
#include <string>

#include "reports/ui/form_mesacna.h"
#include "reports/ui/form_zurnal.h"

namespace kv {

// The journal viewer and the monthly report dialog of the print manager, created once at start
// and kept for the run. The viewer shows the journal or the error file on the menu's command;
// the dialog is what the monthly close command shows, and its request goes out through that
// command's exchange with the printer.
class JournalWindows {
 public:
  JournalWindows(JournalViewerServices viewer, MonthlyDialogServices monthly);
  ~JournalWindows();
  JournalWindows(const JournalWindows&) = delete;
  JournalWindows& operator=(const JournalWindows&) = delete;

  // Elektronickapaska1Click / Chybovysubor1Click: the viewer on `path`, refilled, non-modal.
  void ShowFile(const std::string& path);
  // The monthly close command's dialog, modal; true when its request went out.
  bool ShowMonthlyDialog();

  TForm_zurnal& viewer() { return *viewer_; }
  TForm_mesacna& monthly() { return *monthly_; }

 private:
  std::unique_ptr<TForm_zurnal> viewer_;
  std::unique_ptr<TForm_mesacna> monthly_;
};

}  // namespace kv
