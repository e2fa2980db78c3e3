#pragma once

#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/job_input_watch.h"
#include "app/message_watch.h"
#include "app/qt_view.h"
#include "core/print_manager.h"
#include "core/print_manager_settings.h"
#include "platform/clock.h"
#include "qt/qt_app_shell.h"
#include "qt/qt_boxes.h"
#include "qt/qt_timer.h"
#include "settings/ui/settings_windows.h"

namespace kv {

class CopyWindows;
class HttpInterface;
class JournalWindows;
class MainWindow;
class TPasswordDlg;
class TrayMenu;
class TillWindows;

// The running program: the print manager object with its real services and its windows.
// Needs a QApplication; it does not run the message loop itself.
class Application {
 public:
  // `args`: the command line parameters without the program name; `exe_dir`: the directory
  // of the program file.
  Application(std::vector<std::string> args, std::string exe_dir);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Creates the windows in their order, with the start-up sequence inside, and shows the main
  // window. The message loop comes next.
  void Start();
  // The rest of start-up, run just before the message loop: the single-instance check and the
  // client messages, the port list and connecting to the printer, a leftover input file. Client
  // messages are taken only after all of it. It opens this program's message socket, so tests
  // that only need the windows call Start alone. False when another instance runs and this one
  // is quitting.
  bool FinishStartup();

  TSRB4900& print_manager() { return *print_manager_; }
  MainWindow& main_window() { return *main_window_; }
  TrayMenu& tray_menu() { return *tray_menu_; }
  JournalWindows& journal_windows() { return *journal_windows_; }
  TillWindows& till_windows() { return *till_windows_; }
  CopyWindows& copy_windows() { return *copy_windows_; }
  SettingsWindows& settings_windows() { return *settings_windows_; }

 private:
  void CreateMainWindow();
  void ConnectWindows();
  void CreateSettingsDialog();
  void CreateAreaWindows();

  std::vector<std::string> args_;
  std::string exe_dir_;
  SystemClock clock_;
  QtOperatorBoxes boxes_;
  QtView view_;
  QTimer prmgr_timer_;
  QTimer msg_timer_;
  QtTimer timer_prmgr_{prmgr_timer_};
  QtTimer timer_msg_{msg_timer_};
  QtAppShell shell_;
  std::unique_ptr<TSRB4900> print_manager_;
  std::unique_ptr<MainWindow> main_window_;
  std::unique_ptr<TPasswordDlg> password_dlg_;
  std::unique_ptr<JournalWindows> journal_windows_;
  std::unique_ptr<TillWindows> till_windows_;
  std::unique_ptr<TrayMenu> tray_menu_;
  std::unique_ptr<MessageWatch> message_watch_;
  std::unique_ptr<JobInputWatch> input_watch_;
  std::unique_ptr<CopyWindows> copy_windows_;
  std::unique_ptr<SettingsBridge> settings_bridge_;
  std::unique_ptr<SettingsWindows> settings_windows_;
  std::unique_ptr<HttpInterface> http_;
};

}  // namespace kv
