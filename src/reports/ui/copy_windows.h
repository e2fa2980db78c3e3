#pragma once

#include <memory>

#include "reports/copy_link_line.h"

namespace kv {

class TForm_copy;
class TSRB4900;

// The copies window of the running program, created once at start-up (after the password
// dialog, before the journal viewer) and shown by the tray menu's copies command. It talks to
// the printer through the printer link, holding the printer's lease for each request.
class CopyWindows {
 public:
  explicit CopyWindows(TSRB4900& pm);
  ~CopyWindows();
  CopyWindows(const CopyWindows&) = delete;
  CopyWindows& operator=(const CopyWindows&) = delete;

  // The last step of the copies command, once it has brought the printer up and stopped the
  // print-job timer: shows the window modally. Closing it starts the timer again unless
  // messaging drives the jobs.
  void ShowCopiesWindow();
  // Whether the window is on screen (the settings command stays disabled meanwhile).
  bool CopiesWindowVisible() const;

  TForm_copy& form() { return *form_; }

 private:
  CopyLinkLine line_;
  std::unique_ptr<TForm_copy> form_;
};

}  // namespace kv
