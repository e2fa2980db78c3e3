#include "settings/user_access.h"

namespace kv {

namespace {

// Fixed in the program, not stored in the configuration and not changeable.
constexpr std::string_view kServicePassword = "plomzera";

}  // namespace

bool SecretEquals(std::string_view entered, std::string_view secret) {
  unsigned diff = entered.size() == secret.size() ? 0u : 1u;
  for (size_t i = 0; i < entered.size(); ++i) {
    const char expected = i < secret.size() ? secret[i] : '\0';
    diff |= static_cast<unsigned char>(entered[i] ^ expected);
  }
  return diff == 0;
}

UserAccess::UserAccess(std::array<UserRecord, 3>& users) : users_(users) {
  ConfigLoaded();
}

int UserAccess::SelectUser(int index, PasswordPrompt& prompt) {
  int chosen = index >= 0 && index < 3 ? index : 0;
  // The password dialog is modal but the tray menu can still open meanwhile: the chosen user
  // becomes current only once his password was checked.
  if (chosen > 0) {
    const std::optional<std::string> entered = prompt.AskPassword();
    const bool accepted = entered && SecretEquals(*entered, users_[chosen].password.view());
    if (!accepted) chosen = 0;
  }
  current_ = chosen;
  CopyPriceListAccess();
  return current_;
}

void UserAccess::CopyPriceListAccess() {
  price_list_access_ = users_[current_].rights[kPriceListRight];
}

void UserAccess::ConfigLoaded() {
  price_list_access_ = users_[0].rights[kPriceListRight];
}

bool UserAccess::MenuItemAllowed(std::string_view menu_item) const {
  for (const RightInfo& right : kRights)
    if (right.menu_item && menu_item == right.menu_item)
      return HasRight(users_[current_], static_cast<size_t>(right.index));
  return true;
}

void UserAccess::RenameCurrentUser(std::string_view name) {
  users_[current_].name = name;
}

int UserAccess::PickUser(int selection) {
  if (selection >= 0 && selection < 3) current_ = selection;
  return current_;
}

void UserAccess::SetRight(int index, bool granted) {
  if (index < 0 || index > kPriceListRight || index == kReservedRight) return;
  users_[current_].rights[index] = granted ? 1 : 0;
}

void UserAccess::SetPassword(std::string_view password) {
  users_[current_].password = password;
}

void SettingsLock::Activate() {
  locked_ = true;
  label_message_ = kMsgEnterPassword;
}

bool SettingsLock::CheckServicePassword(std::string_view entered) {
  if (SecretEquals(entered, kServicePassword)) {
    locked_ = false;
    return true;
  }
  label_message_ = kMsgWrongPassword;
  return false;
}

}  // namespace kv
