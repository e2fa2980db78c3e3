#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/app_shell.h"
#include "core/config.h"
#include "core/operator_boxes.h"
#include "core/timer.h"
#include "core/view.h"
#include "lang/message_table.h"
#include "platform/clock.h"
#include "platform/os.h"

namespace kv {

// What the print manager object reaches the outside world through. The Qt application passes
// its real implementations; tests pass fakes.
struct PrintManagerServices {
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  Timer& timer_prmgr;  // print-job loop
  Timer& timer_msg;    // lets queued client messages through
  // Title and quit. Code that has no application object of its own may leave it out.
  AppShell& app = DetachedAppShell();
};

// The print manager object: the main window's state and behaviour without any window. It owns
// the configuration record, the message table, the serial port and the link state, and runs
// start-up, the print-job loop, the readouts and the messaging. The Qt main window ("SRB4900")
// only shows what it reports through the View and forwards events to it.
//
// Each area keeps its members in its own block below; the operations of an area live in their
// own source file.
class TSRB4900 {
 public:
  explicit TSRB4900(PrintManagerServices services);
  TSRB4900(const TSRB4900&) = delete;
  TSRB4900& operator=(const TSRB4900&) = delete;
  ~TSRB4900();

  // ---- services --------------------------------------------------------------------------
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  Timer& Timer_prmgr;
  Timer& Timer_msg;
  AppShell& app;

  // ---- configuration (print_manager_config.cpp) -----------------------------------------
  Config cfg;
  ConfigTimeouts timeouts;       // as read at start-up; the port holds the live values
  std::string program_dir;       // without a trailing separator
  std::string priority_label = "NORMAL";
  // Reads rb4900_cfg.ini into cfg and applies what loading applies (priority, USB label).
  bool LoadConfig();
  // Full path of a file in the program directory.
  std::string ProgramFile(const std::string& name) const;

  // ---- start-up and shutdown (print_manager_startup.cpp) ----------------------------------
  static constexpr const char* kVersionText = "1.1.0.4";
  bool no_hide = false;     // "/nohide" or "/NOHIDE" on the command line
  bool first_tick = false;  // set by start-up, consumed by the first print-job tick
  OsVersion os_version;
  std::string version_text;  // shown in the first status bar panel, written to the debug copies
  std::string notice_text;   // the fourth status bar panel while the printer is not in test mode
  std::array<FixedText<4>, 4> currency_codes;  // "EUR", "SKK", "CZK", "USD"
  // The main window's early setup: program directory (KV4910_HOME, else `exe_dir`), made the
  // working directory; the language slots; the message table.
  void FormCreate(const std::string& exe_dir);
  // The start-up sequence, run once when the settings dialog is created, before the message
  // loop; `args` are the command line parameters without the program name.
  void StartupSequence(const std::vector<std::string>& args);
  // Its parts, in order: tray hint, operating system and version texts, first-tick flag;
  void StartupShowVersions();
  // the no-hide switch;
  void StartupReadCommandLine(const std::vector<std::string>& args);
  // the configuration file, then the start-up delay.
  void StartupLoadSettings();

  // ---- messages and languages (lang/print_manager_lang.cpp) --------------------------------
  MessageTable messages;  // the program's MessageTable
  // Text of message n.
  std::string Msg(int n) const { return messages.Text(n); }
  // Fills the message table from the message file of the current language.
  void LoadMessages();
  // Applies the language file of the current language to the switched-on groups of windows.
  void LoadLanguage(bool settings, bool main, bool others);
  // Full paths of the current language's files; empty when the slot names no file.
  std::string LanguageFilePath() const;
  std::string MessageFilePath() const;

  // ---- serial port and link layer -----------------------------------------------------------

  // ---- working files and logs ---------------------------------------------------------------

  // ---- device status and information readout -----------------------------------------------

  // ---- print-job loop -----------------------------------------------------------------------

  // ---- messaging with client programs -------------------------------------------------------
};

}  // namespace kv
