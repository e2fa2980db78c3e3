#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/printer_exchange.h"
#include "settings/device_setup.h"
#include "settings/user_access.h"

namespace kv {

class AppShell;
class Localization;
class OperatorBoxes;
class PrinterLink;
class PrinterReadouts;
class SettingsHost;
class Timer;
class View;
struct Config;

// The number edits of the page "Expert", in the order of view_names::kExpertEdits.
enum class ExpertEdit {
  WriteConstant,
  WriteMultiplier,
  ReadConstant,
  ReadMultiplier,
  ReadInterval,
  InfoTime
};

// The check boxes that change their setting as soon as they are clicked.
enum class SettingsSwitch {
  ReceiptCopies,    // ChBox_copy: copy_bl
  DebugCopies,      // ChBox_ladenie: ladenie
  ErrorFile,        // ChBox_err: the error file switch
  ReleasePort,      // CB_close_port: CLOSE_PORT
  MayQuit,          // CB_ukonci: UKONCI
  DeleteOnFailure,  // CB_del: del_file
  AutoDailyClose,   // CB_auto_du: auto_du
};

// The file choice buttons.
enum class FileChoice { InputFile, Journal, InfoDir, Backup1, Backup2, PriceList };

// How the file dialog of a file choice button starts: its preset file name, its title and
// filter (empty: the dialog's design values). It starts in the program directory.
struct FileDialogSetup {
  std::string file_name;
  std::string title;
  std::string filter;
};

// What the controls that take effect on saving hold when the operator saves. Texts are cp1250.
struct SavedControls {
  std::string info_dir;           // Edit_info
  bool currency_usable = false;   // CB_euro_zmena
  bool operator_messages = true;  // CB_MSG
  bool set_clock = false;         // CB_synchrcas
  int drawer_row = -1;            // otvor; -1: none selected
  // Edit_caswrite, Edit_caswritem, Edit_readtotal, Edit_readmulti, Edit_readinterval.
  std::array<std::string, 5> port_timeouts;
  std::string info_time;                   // Edit_casinfo
  std::string startup_delay;               // Edit_opozdenie
  std::string polling_period;              // Edit_delay_file
  bool dtr_dsr = false;                    // CheckBox_dtrdsr
  bool rts_cts = false;                    // CheckBox_rtscts
  int priority_choice = 1;                 // RG_priority: Low, Normal, High
  bool messaging = false;                  // CheckBox_spravy
  std::string message_name;                // Edit_idprmgr
  std::string application_title;           // Edit_idaplikacia
  std::vector<std::string> message_files;  // ListBox_subory, as shown
  std::string price_list;                  // Edit_pokladna
  bool till_at_start = false;              // ChBox_pokladna
  bool tenders_offered = true;             // ChBox_platidla
  std::array<std::string, 10> tenders;     // Edit_plat0 ... Edit_plat9
};

// What the settings dialog works with.
struct SettingsParts {
  Config& cfg;
  PrinterLink& link;
  PrinterReadouts& readouts;
  Localization& lang;
  OperatorBoxes& boxes;
  View& view;
  Timer& timer_prmgr;
  AppShell& app;
  UserAccess& users;
  SettingsHost& host;
  const std::string& program_dir;
};

// The settings dialog TDlg_cfg without its window: it edits the running settings, locks itself
// with the service password, saves the configuration file and runs the printer's own settings
// (DeviceSetup). What it shows goes through the View by the dialog's control names; the window
// forwards the operator's events here with the controls' values.
//
// While the dialog is shown it holds the printer's lease, so no print job, client request or
// other window talks to the printer in between; the print-job timer is stopped and runs again
// when the dialog closes (unless messaging drives the jobs).
class SettingsSession {
 public:
  explicit SettingsSession(SettingsParts parts);
  ~SettingsSession();
  SettingsSession(const SettingsSession&) = delete;
  SettingsSession& operator=(const SettingsSession&) = delete;

  DeviceSetup& device() { return device_; }

  // ---- lifecycle (settings_session.cpp) ----------------------------------------------------
  // Creation, once at start: tray picture 1, then `startup_sequence`, then the port on the
  // release button.
  void FormCreate(const std::function<void()>& startup_sequence);
  // Btn_close_com's caption: message 35 and the name of the configured port.
  void ShowPortOnReleaseButton();
  // Btn_close_com's caption: message `n` and a port name, kept for a language change.
  void ShowReleaseButton(int n, const std::string& port);
  // After the language file's texts were applied: the captions built from messages and state
  // (Btn_close_com, Btn_test, the lock panel's prompt) again, from the current messages.
  void ShowTextsAgain();
  // The dialog comes up: takes the printer's lease (taken by someone else: message 234 and
  // false), then FormActivate and FormShow. False as well while it is already shown.
  bool Open();
  bool shown() const { return exchange_.held(); }
  bool locked() const { return lock_.locked(); }
  // Btn_psw_yes, Enter in Edit_heslo. The right password unlocks and fills the pages.
  bool CheckServicePassword(std::string_view entered);
  // OKBtn. Every number is checked before anything is written; a value that is not a whole
  // number, or a file that cannot be written, stops the save with a box and changes nothing.
  // True when saved: the dialog is locked again and closes (FormClose follows). A new
  // application id is told to reach the client programs at the next start.
  bool OKBtnClick(const SavedControls& controls);
  // Whether Esc and the window's close button may close the dialog without saving: while it
  // is locked, and once a save could not write the file (the box says so).
  bool MayCloseWithoutSaving() const { return lock_.locked() || save_failed_; }
  // After saving or Btn_psw_koniec: the configuration is read again, the print-job timer runs
  // (unless messaging drives it), the device record is read, and the lease is given back.
  void FormClose();

  // ---- at once (settings_handlers.cpp) -------------------------------------------------------
  void Edit_inExit(const std::string& text);
  void Edit_outExit(const std::string& text);
  void Edit_zaloha1Exit(const std::string& text);
  void Edit_zaloha2Exit(const std::string& text);
  void RadioGroup1Click(int index);
  void SwitchClick(SettingsSwitch which, bool checked);
  // Leaving a number edit of the page "Expert": a whole number of 0 or more takes effect at
  // once; anything else empties the edit, and false tells the window to keep the focus there.
  bool ExpertEditExit(ExpertEdit which, const std::string& text);
  void Btn_default_timeClick();
  FileDialogSetup FileDialogFor(FileChoice which) const;
  // The file dialog's result; a cancelled dialog (nothing) keeps the value as it was.
  void FileChosen(FileChoice which, const std::optional<std::string>& path);
  void CB_baudClick(int position);
  // The texts of every window switch to the language at once.
  void CB_jazykClick(int position);
  void Btn_registrujClick(bool messaging_ticked, const std::string& name);
  // A page of PageControl1 comes up: "DPH" (1) reads the VAT rates, "Expert" (2) shows the
  // test-mode button.
  void PageShown(int page);

  // ---- the port (settings_port.cpp) ----------------------------------------------------------
  void CB_portyChange(int index);
  // Tries every port quietly until the printer answers on one.
  void Btn_findClick();
  void Btn_close_comClick();

  // ---- the users page (settings_handlers.cpp) ------------------------------------------------
  void CB_userClick(int selection);
  void CB_userChange(const std::string& name);
  void RightClick(int index, bool granted);
  void Edit_pwdEnter();
  // `edited`: something was typed since entering; merely passing through the field keeps the
  // stored password.
  void Edit_pwdExit(const std::string& password, bool edited);

 private:
  void FormActivate();
  void FormShow();
  void ShowLock();
  void FillUnlocked();
  void ShowUsers();
  void ShowRights();

  SettingsParts p_;
  DeviceSetup device_;
  SettingsLock lock_;
  PrinterExchange exchange_;
  bool save_failed_ = false;
  int release_message_ = 35;  // Btn_close_com's caption: this message and the port's name
  std::string release_port_;
};

}  // namespace kv
