#pragma once

#include <memory>
#include <string>

namespace kv {

class TForm_mesacna;
class TForm_zurnal;
class TSRB4900;

// The journal viewer and the monthly report dialog of the print manager, created once at start
// and kept for the run. The viewer shows the journal or the error file on the menu's command;
// the dialog is what the monthly close command shows, and its request goes out through that
// command's exchange with the printer.
class JournalWindows {
 public:
  explicit JournalWindows(TSRB4900& pm);
  ~JournalWindows();
  JournalWindows(const JournalWindows&) = delete;
  JournalWindows& operator=(const JournalWindows&) = delete;

  // Elektronickapaska1Click / Chybovysubor1Click: the viewer on `path`, refilled, non-modal.
  void ShowFile(const std::string& path);

  TForm_zurnal& viewer() { return *viewer_; }
  TForm_mesacna& monthly() { return *monthly_; }

 private:
  TSRB4900& pm_;
  std::unique_ptr<TForm_zurnal> viewer_;
  std::unique_ptr<TForm_mesacna> monthly_;
};

}  // namespace kv
