#include "app/tray_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "core/print_manager.h"
#include "app/main_window.h"
#include "app/menu_pictures.h"
#include "app/tray_icon.h"

namespace kv {

TrayMenu::TrayMenu(MainWindow& window, TSRB4900& pm, PasswordPrompt& password)
    : pm_(pm),
      password_(password),
      logic_(pm.view(), pm.link(), pm.config(), pm.users(), pm.device_commands()),
      menu_(new QMenu(&window)) {
  menu_->setObjectName("PopupRB2900");
  DeviceCommands& commands = pm.device_commands();

  AddItem(menu_, "pop_pokladna", "", 4, [this] {
    if (show_sale_window) show_sale_window();
  });
  menu_->addSeparator()->setObjectName("N4");
  // Items without captions here take them from the language texts; the users' items show the
  // users' names.
  for (int i = 0; i < 3; ++i) {
    const std::string name = "pop_user" + std::to_string(i);
    QAction* user =
        AddItem(menu_, name.c_str(), "", -1, [this, i] { logic_.SelectUser(i, password_); });
    user->setCheckable(true);
    user->setChecked(i == 0);
  }
  menu_->addSeparator()->setObjectName("N3");

  // The printer commands: disabled until the menu opens with the printer ready; six of them
  // are radio items.
  auto* radio = new QActionGroup(menu_);
  radio->setObjectName("RadioItems");
  auto command = [&](const char* name, const char* caption, int picture,
                     void (DeviceCommands::*click)(), bool radio_item) {
    QAction* item =
        AddItem(menu_, name, caption, picture, [&commands, click] { (commands.*click)(); });
    if (radio_item) radio->addAction(item);
    item->setEnabled(false);
  };
  command("popXUZ", "", 5, &DeviceCommands::popXUZClick, true);
  command("popDUZ", "", 6, &DeviceCommands::popDUZClick, true);
  command("popMUZ", "", 7, &DeviceCommands::popMUZClick, true);
  menu_->addSeparator()->setObjectName("N1");
  command("KopieRB3900", "", 8, &DeviceCommands::KopieRB3900Click, false);
  command("popKDOKL", "", 9, &DeviceCommands::popKDOKLClick, true);
  command("popKDU", "", 10, &DeviceCommands::popKDUClick, true);
  menu_->addSeparator()->setObjectName("N2");
  command("popCAS", "", 12, &DeviceCommands::popCASClick, true);
  command("popOtvzas", "", 13, &DeviceCommands::popOtvzasClick, false);

  QMenu* journal = menu_->addMenu(MenuPicture(16), QString());
  journal->setObjectName("popzurnal");
  AddItem(journal, "Elektronickapaska1", "", 16, [this] {
    if (open_viewer) open_viewer(pm_.config().path_out);
  });
  AddItem(journal, "Chybovysubor1", "", 17, [this] {
    if (open_viewer) open_viewer(pm_.files().ProgramFile("FM_err.txt"));
  });
  AddItem(menu_, "Zalohovanie1", "", 2, [this] { pm_.Zalohovanie1Click(); });
  AddItem(menu_, "Konfiguracia1", "", 14, [this] {
    if (!show_settings_dialog) return;
    // The settings dialog enables it again when it closes.
    Item("Konfiguracia1")->setEnabled(false);
    show_settings_dialog();
  });
  AddItem(menu_, "Spusteniecasovaca1", "", 15, [this] { pm_.Spusteniecasovaca1Click(); });

  connect(menu_, &QMenu::aboutToShow, this, [this] { logic_.PopupRB2900Popup(); });
  window.tray().SetMenu(menu_);
  window.SetCommandMenu(menu_);
}

QAction* TrayMenu::Item(const char* name) const {
  return menu_->findChild<QAction*>(name);
}

QAction* TrayMenu::AddItem(QMenu* menu, const char* name, const char* caption, int picture,
                           std::function<void()> click) {
  QAction* item = menu->addAction(QString::fromUtf8(caption));
  item->setObjectName(name);
  if (picture >= 0) item->setIcon(MenuPicture(picture));
  connect(item, &QAction::triggered, this, [click = std::move(click)] { click(); });
  return item;
}

}  // namespace kv
