#include "app/application.h"

#include <cstdio>

#include "app/area_windows.h"
#include "app/http_interface.h"
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "base/view_names.h"
#include "qt/quit_on_signal.h"
#include "settings/ui/password_dlg.h"

namespace kv {

Application::Application(std::vector<std::string> args, std::string exe_dir)
    : args_(std::move(args)), exe_dir_(std::move(exe_dir)) {
  shell_.SetTitle("HX4900");
  prmgr_timer_.setInterval(1000);  // until the settings give `delay_file`
  msg_timer_.setInterval(250);
  print_manager_ = std::make_unique<TSRB4900>(
      PrintManagerServices{clock_, boxes_, view_, timer_prmgr_, timer_msg_, shell_});
  QObject::connect(&prmgr_timer_, &QTimer::timeout, [this] { print_manager_->Timer_prmgrTimer(); });
  QObject::connect(&msg_timer_, &QTimer::timeout, [this] { print_manager_->Timer_msgTimer(); });
}

Application::~Application() {
  // The view reaches the tray through the main window; cut that before the window goes.
  view_.on_tray_picture = nullptr;
  view_.on_tray_hint = nullptr;
  if (print_manager_) {
    print_manager_->on_language_changed = nullptr;
    print_manager_->device_commands().show_copies_window = nullptr;
    print_manager_->device_commands().copies_window_visible = nullptr;
    ConnectJournalWindows(*print_manager_, nullptr);
    ConnectTillWindows(*print_manager_, nullptr);
  }
}

void Application::Start() {
  CreateMainWindow();
  CreateSettingsDialog();
  password_dlg_ = std::make_unique<TPasswordDlg>();
  CreateAreaWindows();
  tray_menu_ = std::make_unique<TrayMenu>(*main_window_, *print_manager_, *password_dlg_);
  tray_menu_->open_viewer = [this](const std::string& path) { journal_windows_->ShowFile(path); };
  ConnectWindows();
  print_manager_->LoadLanguage(true, true, true);
  // The language texts replaced the captions built from a message and state; they come back.
  settings_windows_->ShowTextsAgain();
  main_window_->show();
}

bool Application::FinishStartup() {
  TSRB4900& pm = *print_manager_;
  if (!pm.StartupMessaging()) return false;
  // Client messages are taken as soon as they arrive, and also while a job shows a box.
  ClientMessaging& client = pm.client_messaging();
  if (client.endpoint() && client.endpoint()->NotifyFd() >= 0 && client.messaging())
    message_watch_ =
        std::make_unique<MessageWatch>(client.endpoint()->NotifyFd(), *client.messaging());
  if (TerminationRequested()) return true;
  pm.StartupLinkSteps();
  settings_windows_->StartupConnected();
  if (TerminationRequested()) return true;
  pm.HandleLeftoverInput();
  input_watch_ = std::make_unique<JobInputWatch>(pm.jobs());
  // Requests that came while the start-up boxes were open have waited until now.
  pm.TakeClientMessages();
  http_ = HttpInterface::Start(pm, clock_);
  // One line for whoever runs the program as a service (and for scripts): start-up is over,
  // a receipt dropped from now on is a new job, not a leftover.
  std::fprintf(stderr, "kv4910: start-up finished\n");
  std::fflush(stderr);
  return true;
}

// The menu's commands open the windows of the other areas through hooks, so that the menu and
// the device commands know nothing of those windows.
void Application::ConnectWindows() {
  TSRB4900& pm = *print_manager_;
  tray_menu_->show_sale_window = [this] { till_windows_->ShowSaleWindow(); };
  pm.device_commands().show_copies_window = [this] { copy_windows_->ShowCopiesWindow(); };
  pm.on_language_changed = [this] { till_windows_->LanguageChanged(); };
  pm.device_commands().copies_window_visible = [this] { return copy_windows_->CopiesWindowVisible(); };
  // The menu greys the settings item while the dialog is up; closing the dialog gives it back,
  // and so does a dialog that did not open (no screen).
  const auto settings_item_back = [this] { view_.SetEnabled(view_names::kSettingsItem, true); };
  settings_windows_->OnSettingsClosed(settings_item_back);
  tray_menu_->show_settings_dialog = [this, settings_item_back] {
    settings_windows_->ShowSettingsDialog();
    if (!settings_windows_->SettingsDialogShown()) settings_item_back();
  };
}

void Application::CreateMainWindow() {
  main_window_ = std::make_unique<MainWindow>();
  // A termination signal, or the program's own quit request, ends the program without the
  // operator's close query.
  main_window_->close_query = [this] {
    return TerminationRequested() || shell_.quitting() || print_manager_->FormCloseQuery();
  };
  TrayIcon& tray = main_window_->tray();
  view_.on_tray_picture = [&tray](int picture) { tray.SetPicture(picture); };
  view_.on_tray_hint = [&tray](const QString& hint) { tray.SetHint(hint); };
  print_manager_->FormCreate(exe_dir_);
  print_manager_->LoadLanguage(false, true, false);
}

void Application::CreateSettingsDialog() {
  TSRB4900& pm = *print_manager_;
  settings_bridge_ = std::make_unique<SettingsBridge>(pm);
  settings_windows_ = std::make_unique<SettingsWindows>(
      settings_bridge_->MakeSession(pm.users()), pm.lang().messages(),
      [this] { print_manager_->StartupSequence(args_); });
  pm.LoadLanguage(true, false, false);
}

// The areas' windows get the parts they use; the hooks by which the print manager opens them
// are set here.
void Application::CreateAreaWindows() {
  TSRB4900& pm = *print_manager_;
  copy_windows_ = std::make_unique<CopyWindows>(CopyWindowParts(pm));
  journal_windows_ = MakeJournalWindows(pm);
  ConnectJournalWindows(pm, journal_windows_.get());
  till_windows_ = std::make_unique<TillWindows>(TillWindowParts(pm));
  ConnectTillWindows(pm, till_windows_.get());
}

}  // namespace kv
