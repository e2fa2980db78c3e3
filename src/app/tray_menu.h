#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "core/command_menu.h"

class QAction;
class QMenu;

namespace kv {

class MainWindow;
class PasswordPrompt;
class TSRB4900;

// The command menu PopupRB2900: the tray icon's menu, the main window status bar's menu, and
// the window's menu bar where there is no notification area. Its items carry the component
// names (pop_pokladna, pop_user0 ... Spusteniecasovaca1) and forward their clicks; the enabling
// when it opens and the choice of user are the core's (CommandMenu).
class TrayMenu final : public QObject {
  Q_OBJECT
 public:
  TrayMenu(MainWindow& window, TSRB4900& pm, PasswordPrompt& password);

  QMenu& menu() { return *menu_; }
  // The item of that name, or nullptr.
  QAction* Item(const char* name) const;

  // Windows of other areas; an item whose hook is empty does nothing.
  std::function<void()> show_sale_window;      // pop_pokladna
  std::function<void()> show_settings_dialog;  // Konfiguracia1 (modal; ignores a second click)
  // The journal viewer on a file, non-modal: Elektronickapaska1 (the journal, path_out) and
  // Chybovysubor1 (the error file).
  std::function<void(const std::string& path)> open_viewer;

 private:
  QAction* AddItem(QMenu* menu, const char* name, const char* caption, int picture,
                   std::function<void()> click);

  TSRB4900& pm_;
  PasswordPrompt& password_;
  CommandMenu logic_;
  QMenu* menu_;
};

}  // namespace kv
