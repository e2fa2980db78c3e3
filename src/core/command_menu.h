#pragma once

#include <string_view>
#include <vector>

namespace kv {

class DeviceCommands;
class PasswordPrompt;
class PrinterLink;
class UserAccess;
class View;
struct Config;

// What decides the enabling of the tray menu when it opens.
struct CommandMenuInputs {
  bool device_ready;
  const UserAccess& users;  // the current user's rights
  bool obrat_hide;          // the X report is hidden by the configuration
  bool copies_window_visible;
};

// The menu's state as it opens. Items are view names (view_names.h), in the order they are set.
struct CommandMenuState {
  struct Item {
    std::string_view name;
    bool enabled;
  };
  std::vector<Item> items;
  bool user_captions = false;           // the user items take the users' names
  bool copy_price_list_access = false;  // priceListAccess from the current user
  bool drawer_test_enabled = false;     // the settings dialog's Btn_open
  bool clear_port_selection = false;    // the settings dialog's CB_porty shows no port
};

// PopupRB2900Popup's rules. With the printer ready: the user names, each command item by the
// current user's right (the X report also hidden by "obrat_hide"), the price list access, the
// till and the drawer test. Without it: every command item, the till and the drawer test off,
// and no port selected in the settings dialog. The settings item is off while the copies
// window is visible.
CommandMenuState PopupState(const CommandMenuInputs& in);

// The tray menu's behaviour without the menu itself: its enabling when it opens and the choice
// of the user it works for. The Qt menu calls it and shows the result through the View.
class CommandMenu {
 public:
  CommandMenu(View& view, const PrinterLink& link, const Config& cfg, UserAccess& users,
              const DeviceCommands& commands);

  // Just before the menu opens. The check mark also follows the current user there, since the
  // settings dialog may have picked another one.
  void PopupRB2900Popup();
  // pop_user0Click ... pop_user2Click: the user made current (the second and third are asked
  // for their password; a wrong one or Cancel makes the first current) carries the check mark
  // alone.
  void SelectUser(int index, PasswordPrompt& prompt);

 private:
  void ShowCurrentUser();

  View& view_;
  const PrinterLink& link_;
  const Config& cfg_;
  UserAccess& users_;
  const DeviceCommands& commands_;
};

}  // namespace kv
