#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/app_shell.h"
#include "base/config.h"
#include "base/fixed_text.h"
#include "base/operator_boxes.h"
#include "base/run_counters.h"
#include "base/timer.h"
#include "base/view.h"
#include "core/client_messaging.h"
#include "core/device_commands.h"
#include "core/print_job_loop.h"
#include "core/receipt_send.h"
#include "core/startup_state.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "platform/clock.h"
#include "platform/os.h"
#include "settings/user_access.h"
#include "register/till_link.h"

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
  // The device under ComPort1; empty means the system's serial devices. Tests pass an
  // in-memory line here.
  std::function<std::unique_ptr<ComBackend>()> port_backend = {};
};

// The print manager object: the main window's state and behaviour without any window. It owns
// the configuration record, the start-up state and the parts, in the order they depend on each
// other: the texts (Localization), the line to the printer (PrinterLink), what the printer
// tells (PrinterReadouts), the working files (WorkingFiles), the one send path (ReceiptSend),
// the print-job loop (PrintJobLoop),
// the client messaging (ClientMessaging), the users (UserAccess) and the printer commands of the
// menu (DeviceCommands). Its own operations are start-up, connecting and
// closing; the rest are forwards. The Qt main window ("SRB4900") only shows what it reports
// through the View and forwards events to it.
class TSRB4900 {
 public:
  explicit TSRB4900(PrintManagerServices services);
  TSRB4900(const TSRB4900&) = delete;
  TSRB4900& operator=(const TSRB4900&) = delete;
  ~TSRB4900();

  static constexpr const char* kVersionText = kProgramVersionText;

  // ---- services, configuration and start-up state -------------------------------------------
  Clock& clock() { return clock_; }
  OperatorBoxes& boxes() { return boxes_; }
  View& view() { return view_; }
  Timer& timer_prmgr() { return timer_prmgr_; }  // print-job loop
  Timer& timer_msg() { return timer_msg_; }      // lets queued client messages through
  AppShell& app() { return app_; }
  // The PC's date and time; tests fix it.
  std::tm LocalTime() const { return local_time_(); }
  void SetLocalTime(std::function<std::tm()> local_time) { local_time_ = std::move(local_time); }
  // The configuration record, for everyone who reads or changes the running settings.
  Config& config() { return cfg_; }
  const Config& config() const { return cfg_; }
  // The port time-outs as read at start-up; the port holds the live values.
  const ConfigTimeouts& timeouts() const { return timeouts_; }
  // Without a trailing separator.
  const std::string& program_dir() const { return program_dir_; }
  void SetProgramDir(std::string dir) { program_dir_ = std::move(dir); }
  const std::string& priority_label() const { return priority_label_; }
  StartupState& startup() { return startup_; }
  const StartupState& startup() const { return startup_; }
  const OsVersion& os_version() const { return os_version_; }
  // "EUR", "SKK", "CZK", "USD"
  const std::array<FixedText<4>, 4>& currency_codes() const { return currency_codes_; }

  // ---- the parts ---------------------------------------------------------------------------
  Localization& lang() { return lang_; }
  PrinterLink& link() { return link_; }
  PrinterReadouts& readouts() { return readouts_; }
  // The one send path of the file job, the client's job and the HTTP receipts.
  ReceiptSend& receipts() { return receipts_; }
  WorkingFiles& files() { return files_; }
  PrintJobLoop& jobs() { return jobs_; }
  ClientMessaging& client_messaging() { return client_messaging_; }
  UserAccess& users() { return users_; }
  DeviceCommands& device_commands() { return device_commands_; }
  TillLink& till() { return till_; }
  // What the program has done since it started, for the HTTP interface's /metrics.
  RunCounters& counters() { return counters_; }
  std::string Msg(int n) const { return lang_.Msg(n); }

  // ---- configuration (print_manager_config.cpp) -------------------------------------------
  // Reads rb4900_cfg.ini into cfg and applies what loading applies (priority, USB label, port
  // time-outs, the price list access of the first user).
  bool LoadConfig();

  // ---- start-up and shutdown (print_manager_startup.cpp) ----------------------------------
  // The main window's early setup: program directory (KV4910_HOME; else `exe_dir`, or for an
  // installed program the per-user directory, seeded with the shipped files), made the working
  // directory; the language slots; the message table.
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
  void LoadLanguage(bool settings, bool main, bool others) {
    lang_.LoadLanguage(settings, main, others);
  }
  // After the language was changed and its texts applied: the texts built from messages and
  // state (caption, state panel, the figures' headings), the tender names the configuration
  // file does not hold, and the windows' own message texts (`on_language_changed`).
  void LanguageChanged();
  std::function<void()> on_language_changed;
  // The tenders the configuration file names none for take the language's built-in names.
  void ApplyTenderNames();

  // ---- connecting (print_manager_link_startup.cpp) ----------------------------------------
  // Start-up steps 10 to 12: the port list and the speed, the choice of a port when none is
  // configured, and connecting with the operator's retry.
  void StartupPortList();
  void StartupChoosePort();
  void StartupConnect();
  void StartupLinkSteps();
  // The menu command "Pripojenie KV4910".
  void Spusteniecasovaca1Click();
  // Whether the operator may close the main window; true lets it close (and quits).
  bool FormCloseQuery();

  // ---- forwards to the parts ---------------------------------------------------------------
  void Timer_prmgrTimer() { jobs_.Timer_prmgrTimer(); }
  void HandleLeftoverInput() { jobs_.HandleLeftoverInput(); }
  bool Zalohovanie1Click() { return files_.Zalohovanie1Click(); }
  bool StartupMessaging() { return client_messaging_.StartupMessaging(); }
  void TakeClientMessages() { client_messaging_.TakeClientMessages(); }
  void Timer_msgTimer() { client_messaging_.Timer_msgTimer(); }

 private:
  class Host;  // the link's view of the parts above it

  Clock& clock_;
  OperatorBoxes& boxes_;
  View& view_;
  Timer& timer_prmgr_;
  Timer& timer_msg_;
  AppShell& app_;
  std::function<std::tm()> local_time_;
  Config cfg_;
  ConfigTimeouts timeouts_;
  std::string program_dir_;
  std::string priority_label_ = "NORMAL";
  StartupState startup_;
  RunCounters counters_;
  OsVersion os_version_;
  std::array<FixedText<4>, 4> currency_codes_;

  std::unique_ptr<Host> host_;
  Localization lang_;
  WorkingFiles files_;
  PrinterLink link_;
  PrinterReadouts readouts_;
  ReceiptSend receipts_;
  PrintJobLoop jobs_;
  ClientMessaging client_messaging_;
  UserAccess users_;
  DeviceCommands device_commands_;
  TillLink till_;
};

}  // namespace kv
