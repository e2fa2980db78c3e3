#include "core/command_menu.h"

#include "base/config.h"
#include "base/view.h"
#include "base/view_names.h"
#include "core/device_commands.h"
#include "link/printer_link.h"
#include "settings/user_access.h"

namespace kv {

using namespace view_names;

CommandMenuState PopupState(const CommandMenuInputs& in) {
  CommandMenuState state;
  for (const char* item : kGatedItems) {
    const std::string_view name = item;
    bool enabled = false;
    if (in.device_ready) {
      enabled = in.users.MenuItemAllowed(name.substr(name.find('/') + 1));
      if (name == kGatedItems[0] && in.obrat_hide) enabled = false;
    }
    state.items.push_back({name, enabled});
  }
  state.items.push_back({kTillItem, in.device_ready});
  state.items.push_back({kSettingsItem, !in.copies_window_visible});
  state.user_captions = in.device_ready;
  state.copy_price_list_access = in.device_ready;
  state.drawer_test_enabled = in.device_ready;
  state.clear_port_selection = !in.device_ready;
  return state;
}

CommandMenu::CommandMenu(View& view, const PrinterLink& link, const Config& cfg, UserAccess& users,
                         const DeviceCommands& commands)
    : view_(view), link_(link), cfg_(cfg), users_(users), commands_(commands) {}

void CommandMenu::PopupRB2900Popup() {
  const CommandMenuState state = PopupState(
      {link_.device_ready() == 1, users_, cfg_.obrat_hide, commands_.CopiesWindowVisible()});
  if (state.user_captions)
    for (size_t i = 0; i < kUserItems.size(); ++i)
      view_.SetText(kUserItems[i], users_.user(static_cast<int>(i)).name.view());
  for (const CommandMenuState::Item& item : state.items) view_.SetEnabled(item.name, item.enabled);
  if (state.copy_price_list_access) users_.CopyPriceListAccess();
  ShowCurrentUser();
  view_.SetEnabled(kDrawerTest, state.drawer_test_enabled);
  if (state.clear_port_selection) view_.SetItemIndex(kSettingsPorts, -1);
}

void CommandMenu::SelectUser(int index, PasswordPrompt& prompt) {
  users_.SelectUser(index, prompt);
  ShowCurrentUser();
}

void CommandMenu::ShowCurrentUser() {
  for (size_t i = 0; i < kUserItems.size(); ++i)
    view_.SetChecked(kUserItems[i], static_cast<int>(i) == users_.currentUser());
}

}  // namespace kv
