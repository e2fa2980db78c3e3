#pragma once

#include <ctime>
#include <functional>
#include <memory>

#include "reports/copy_link_line.h"

namespace kv {

class Clock;
class MessageTable;
class OperatorBoxes;
class PrinterLink;
class TForm_copy;

// The copies window of the running program, created once at start-up (after the password
// dialog, before the journal viewer) and shown by the tray menu's copies command. It talks to
// the printer through the printer link, holding the printer's lease for each request.
class CopyWindows {
 public:
  struct Parts {
    PrinterLink& link;
    Clock& clock;
    const MessageTable& messages;
    OperatorBoxes& boxes;
    std::function<std::tm()> local_time;
    // Closing the window: the print-job timer, stopped by the opener, runs again unless
    // messaging drives the jobs.
    std::function<void()> on_close;
  };

  explicit CopyWindows(Parts parts);
  ~CopyWindows();
  CopyWindows(const CopyWindows&) = delete;
  CopyWindows& operator=(const CopyWindows&) = delete;

  // The last step of the copies command, once it has brought the printer up and stopped the
  // print-job timer: shows the window modally.
  void ShowCopiesWindow();
  // Whether the window is on screen (the settings command stays disabled meanwhile).
  bool CopiesWindowVisible() const;

  TForm_copy& form() { return *form_; }

 private:
  CopyLinkLine line_;
  std::unique_ptr<TForm_copy> form_;
};

}  // namespace kv
