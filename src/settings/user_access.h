#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/config.h"
#include "base/user_rights.h"

// The three users, their rights and the locks: which user the tray menu works for, what that
// user may do, and the service password that locks the settings dialog. The user records
// themselves are the configuration's (Config::users), read and written with the INI file.

namespace kv {

// The password dialog (TPasswordDlg) as the user table sees it.
class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  // Shows the dialog modally with an empty field. Returns the text entered on OK, nothing on
  // Cancel or Esc, or when there is no screen to show it on.
  virtual std::optional<std::string> AskPassword() = 0;
};

// Compares without stopping at the first difference, so the time taken tells nothing about
// how much of `entered` was right. Neither text is logged anywhere.
bool SecretEquals(std::string_view entered, std::string_view secret);

class UserAccess {
 public:
  explicit UserAccess(std::array<UserRecord, 3>& users);

  int currentUser() const { return current_; }
  uint8_t priceListAccess() const { return price_list_access_; }
  const UserRecord& user(int index) const { return users_.at(static_cast<size_t>(index)); }

  // pop_user0Click ... pop_user2Click. The first user needs no password; another user is
  // asked for his, and a wrong one or Cancel makes the first user current (never the one
  // selected before). Copies priceListAccess from the user made current; returns that user,
  // whose menu item alone carries the check mark.
  int SelectUser(int index, PasswordPrompt& prompt);
  // The tray menu opening while the device-ready flag is set.
  void CopyPriceListAccess();
  // After the configuration was read (start-up or reload): priceListAccess is the first
  // user's CEN right; currentUser stays.
  void ConfigLoaded();
  // Whether the current user's rights let the tray offer `menu_item` (an item that no right
  // gates is always allowed; the device-ready flag is the menu's own business).
  bool MenuItemAllowed(std::string_view menu_item) const;

  // ---- the settings dialog's user page; all work on the current user, who is also the user
  // whose item CB_user shows selected and whose name GroupBox1 carries.
  // CB_userChange: the typed name becomes the current user's (cut to 19 characters).
  void RenameCurrentUser(std::string_view name);
  // CB_userClick (click or leaving the box), with CB_user's selected position or -1: the
  // selected user becomes current, without a password. The window first puts the previous
  // current user's stored name back into its item, then selects currentUser's item and shows
  // its name and rights.
  int PickUser(int selection);
  // CB_XUZClick ... CB_CENClick. The reserved index and indexes outside the table are ignored.
  void SetRight(int index, bool granted);
  // Edit_pwdExit: the typed password becomes the current user's (cut to 9 characters).
  void SetPassword(std::string_view password);

 private:
  std::array<UserRecord, 3>& users_;
  int current_ = 0;
  uint8_t price_list_access_ = 0;
};

// The lock of the settings dialog: the panel Panel_heslo stays over the dialog until the
// service password is given, and comes back when the settings are saved.
class SettingsLock {
 public:
  static constexpr int kMsgEnterPassword = 33;
  static constexpr int kMsgWrongPassword = 34;

  // Every activation of the dialog: locked, Label3 shows message 33.
  void Activate();
  // CheckServicePassword (Btn_psw_yes, Enter in Edit_heslo). True unlocks; a wrong password
  // leaves the dialog locked with message 34. The window empties Edit_heslo either way.
  bool CheckServicePassword(std::string_view entered);
  // Saving the settings locks the dialog for its next opening.
  void Lock() { Activate(); }

  bool locked() const { return locked_; }
  int label_message() const { return label_message_; }

 private:
  bool locked_ = true;
  int label_message_ = kMsgEnterPassword;
};

}  // namespace kv
