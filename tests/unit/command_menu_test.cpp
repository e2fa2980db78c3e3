#include "core/command_menu.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/view_names.h"
#include "support/print_manager_fixture.h"

namespace kv {
namespace {

using test::PrintManagerTest;

// The password dialog answering one fixed way.
class FixedPrompt final : public PasswordPrompt {
 public:
  explicit FixedPrompt(std::optional<std::string> answer) : answer_(std::move(answer)) {}
  std::optional<std::string> AskPassword() override { return answer_; }

 private:
  std::optional<std::string> answer_;
};

bool Enabled(const CommandMenuState& state, std::string_view name) {
  for (const auto& item : state.items)
    if (item.name == name) return item.enabled;
  ADD_FAILURE() << name << " is not in the menu state";
  return false;
}

class CommandMenuTest : public PrintManagerTest {
 protected:
  CommandMenuTest() { pm.LoadConfig(); }  // no file: every right for every user
  CommandMenu menu{pm.view(), pm.link(), pm.config(), pm.users(), pm.device_commands()};
};

TEST_F(CommandMenuTest, EachRightEnablesItsItemOnlyWhileThePrinterIsReady) {
  // Each right by its index in the user record and the one menu item it gates (none for KMU,
  // which is only stored, and CEN, which is the price list's).
  const struct {
    int right;
    const char* item;
  } rights[] = {{0, "SRB4900/popXUZ"},   {1, "SRB4900/popDUZ"},      {2, "SRB4900/popMUZ"},
                {3, "SRB4900/popKDOKL"}, {4, "SRB4900/popKDU"},      {5, nullptr},
                {6, "SRB4900/popCAS"},   {7, "SRB4900/popOtvzas"},   {8, "SRB4900/KopieRB3900"},
                {10, nullptr}};
  UserAccess& users = pm.users();
  for (const auto& right : rights) {
    users.SetRight(right.right, false);
    for (const bool ready : {false, true}) {
      SCOPED_TRACE(std::to_string(right.right) + (ready ? " ready" : " not ready"));
      const CommandMenuState state = PopupState({ready, users, false, false});
      for (const char* item : view_names::kGatedItems) {
        const bool gated_by_this = right.item && std::string_view(item) == right.item;
        EXPECT_EQ(Enabled(state, item), ready && !gated_by_this) << item;
      }
      EXPECT_EQ(Enabled(state, view_names::kTillItem), ready);
      EXPECT_TRUE(Enabled(state, view_names::kSettingsItem));
      EXPECT_EQ(state.drawer_test_enabled, ready);
      EXPECT_EQ(state.clear_port_selection, !ready);
      EXPECT_EQ(state.copy_price_list_access, ready);
    }
    users.SetRight(right.right, true);
  }
}

TEST_F(CommandMenuTest, ObratHideDisablesTheXReportAndTheCopiesWindowTheSettings) {
  const CommandMenuState hidden = PopupState({true, pm.users(), true, false});
  EXPECT_FALSE(Enabled(hidden, view_names::kGatedItems[0]));
  EXPECT_TRUE(Enabled(hidden, view_names::kGatedItems[1]));

  const CommandMenuState copies = PopupState({true, pm.users(), false, true});
  EXPECT_TRUE(Enabled(copies, view_names::kGatedItems[0]));
  EXPECT_FALSE(Enabled(copies, view_names::kSettingsItem));
}

TEST_F(CommandMenuTest, OpeningShowsTheUsersAndCopiesThePriceListAccessOnlyWhenReady) {
  pm.config().users[1].name = "Jana";
  pm.users().SetRight(kPriceListRight, false);  // the first user's CEN

  menu.PopupRB2900Popup();
  EXPECT_EQ(view.Text(view_names::kUserItems[1]), "<unset>");
  EXPECT_EQ(view.Get("Dlg_cfg/CB_porty.index"), "-1");
  EXPECT_EQ(view.Get("Dlg_cfg/Btn_open.enabled"), "0");
  EXPECT_EQ(view.Get("SRB4900/popXUZ.enabled"), "0");
  EXPECT_EQ(pm.users().priceListAccess(), 1);  // as loaded

  pm.link().SetDeviceReady(true);
  menu.PopupRB2900Popup();
  EXPECT_EQ(view.Text(view_names::kUserItems[0]), "user0");
  EXPECT_EQ(view.Text(view_names::kUserItems[1]), "Jana");
  EXPECT_EQ(view.Get("Dlg_cfg/Btn_open.enabled"), "1");
  EXPECT_EQ(view.Get("SRB4900/popXUZ.enabled"), "1");
  EXPECT_EQ(view.Get("SRB4900/pop_pokladna.enabled"), "1");
  EXPECT_EQ(pm.users().priceListAccess(), 0);

  pm.users().PickUser(2);  // the settings dialog's choice, without a password
  menu.PopupRB2900Popup();
  EXPECT_EQ(view.Get("SRB4900/pop_user0.checked"), "0");
  EXPECT_EQ(view.Get("SRB4900/pop_user2.checked"), "1");
}

TEST_F(CommandMenuTest, ACancelledPasswordLeavesTheFirstUserCheckedAlone) {
  pm.config().users[2].password = "tajne";
  FixedPrompt right("tajne");
  menu.SelectUser(2, right);
  EXPECT_EQ(pm.users().currentUser(), 2);
  EXPECT_EQ(view.Get("SRB4900/pop_user2.checked"), "1");

  FixedPrompt cancel(std::nullopt);
  menu.SelectUser(2, cancel);
  EXPECT_EQ(pm.users().currentUser(), 0);
  EXPECT_EQ(view.Get("SRB4900/pop_user0.checked"), "1");
  EXPECT_EQ(view.Get("SRB4900/pop_user1.checked"), "0");
  EXPECT_EQ(view.Get("SRB4900/pop_user2.checked"), "0");
}

TEST_F(CommandMenuTest, ReloadingTheConfigurationTakesTheFirstUsersPriceListRight) {
  dir.Write("rb4900_cfg.ini", "[USER0]\r\nCEN=0\r\n[USER1]\r\nCEN=1\r\n");
  FixedPrompt empty("");
  menu.SelectUser(1, empty);
  EXPECT_EQ(pm.users().priceListAccess(), 1);
  pm.LoadConfig();
  EXPECT_EQ(pm.users().priceListAccess(), 0);
  EXPECT_EQ(pm.users().currentUser(), 1);
}

}  // namespace
}  // namespace kv
