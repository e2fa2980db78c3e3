#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "base/ini_file.h"
#include "settings/user_access.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// Answers the password dialog from a script; nothing scripted is Cancel.
class ScriptedPrompt final : public PasswordPrompt {
 public:
  std::deque<std::optional<std::string>> answers;
  int shown = 0;
  std::function<void()> while_shown;  // what happens while the dialog is on screen
  std::optional<std::string> AskPassword() override {
    ++shown;
    if (while_shown) while_shown();
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Users as a missing configuration file leaves them.
Config FreshConfig() {
  test::TempDir dir;
  Config cfg;
  ConfigTimeouts timeouts;
  ReadConfig(IniFile(dir / kConfigFileName), dir.path(), cfg, timeouts);
  return cfg;
}

TEST(Users, WithoutConfigurationEveryoneHasEveryRightAndAnEmptyPassword) {
  Config cfg = FreshConfig();
  for (int u = 0; u < 3; ++u) {
    EXPECT_EQ(cfg.users[u].name, "user" + std::to_string(u));
    for (const RightInfo& right : kRights) EXPECT_EQ(cfg.users[u].rights[right.index], 1);
  }
  UserAccess access(cfg.users);
  ScriptedPrompt prompt;
  prompt.answers = {""};
  EXPECT_EQ(access.SelectUser(2, prompt), 2);
  EXPECT_EQ(access.priceListAccess(), 1);
}

TEST(Users, SelectingAUserAsksTheOthersForTheirPasswordAndFallsBackToTheFirst) {
  Config cfg = FreshConfig();
  cfg.users[0].password = "zero";
  cfg.users[1].password = "Secret";
  cfg.users[0].rights[kPriceListRight] = 0;
  UserAccess access(cfg.users);
  ScriptedPrompt prompt;

  EXPECT_EQ(access.SelectUser(0, prompt), 0);
  EXPECT_EQ(prompt.shown, 0);  // the first user is never asked

  prompt.answers = {"Secret"};
  EXPECT_EQ(access.SelectUser(1, prompt), 1);
  EXPECT_EQ(access.priceListAccess(), 1);

  // From user 1, a cancelled or wrong password for user 2 goes to user 0, not back to 1.
  for (const auto& answer : {std::optional<std::string>{}, std::optional<std::string>{"x"}}) {
    prompt.answers = {"Secret", answer};
    ASSERT_EQ(access.SelectUser(1, prompt), 1);
    EXPECT_EQ(access.SelectUser(2, prompt), 0);
    EXPECT_EQ(access.priceListAccess(), 0);
  }
  // The whole text must match, case included.
  for (const char* wrong : {"secret", "Secre", "Secret ", ""}) {
    prompt.answers = {wrong};
    EXPECT_EQ(access.SelectUser(1, prompt), 0) << wrong;
  }
}

TEST(Users, TheChosenUserBecomesCurrentOnlyAfterHisPasswordWasChecked) {
  Config cfg = FreshConfig();
  cfg.users[1].password = "Secret";
  cfg.users[0].rights[0] = 0;  // the first user may not print the X report, the second may
  UserAccess access(cfg.users);
  ScriptedPrompt prompt;
  prompt.while_shown = [&] {
    // A menu opened meanwhile shows the first user's rights.
    EXPECT_EQ(access.currentUser(), 0);
    EXPECT_FALSE(access.MenuItemAllowed("popXUZ"));
  };
  prompt.answers = {"wrong", "Secret"};
  EXPECT_EQ(access.SelectUser(1, prompt), 0);
  EXPECT_EQ(access.SelectUser(1, prompt), 1);
  EXPECT_EQ(prompt.shown, 2);
  EXPECT_TRUE(access.MenuItemAllowed("popXUZ"));
}

TEST(Users, ARightIsGrantedWhenItsWholeIntegerValueIsNotZero) {
  test::TempDir dir;
  dir.Write(kConfigFileName,
            "[USER0]\r\nXUZ=256\r\nDUZ=-1\r\nMUZ=0\r\nCOPY=1\r\nKDU=2\r\n");
  Config cfg;
  ConfigTimeouts timeouts;
  ReadConfig(IniFile(dir / kConfigFileName), dir.path(), cfg, timeouts);
  const struct {
    size_t index;
    bool granted;
  } cases[] = {{0, true}, {1, true}, {2, false}, {3, true}, {4, true}, {6, true}, {7, true}};
  for (const auto& c : cases) EXPECT_EQ(HasRight(cfg.users[0], c.index), c.granted) << c.index;
  UserAccess access(cfg.users);
  EXPECT_TRUE(access.MenuItemAllowed("popXUZ"));
  EXPECT_FALSE(access.MenuItemAllowed("popMUZ"));
}

TEST(Users, RightsGateTheirMenuItemsOnly) {
  Config cfg = FreshConfig();
  UserAccess access(cfg.users);
  access.SetRight(5, false);  // KMU: stored, gates nothing
  EXPECT_EQ(cfg.users[0].rights[5], 0);
  for (const RightInfo& right : kRights) {
    if (right.menu_item) {
      EXPECT_TRUE(access.MenuItemAllowed(right.menu_item)) << right.menu_item;
    }
  }

  access.SetRight(2, false);
  access.SetRight(8, false);
  EXPECT_FALSE(access.MenuItemAllowed("popMUZ"));
  EXPECT_FALSE(access.MenuItemAllowed("KopieRB3900"));
  EXPECT_TRUE(access.MenuItemAllowed("popXUZ"));
  EXPECT_TRUE(access.MenuItemAllowed("popzurnal"));  // no right gates it

  access.SetRight(kReservedRight, false);
  access.SetRight(11, false);
  access.SetRight(-1, false);
  EXPECT_EQ(cfg.users[0].rights[kReservedRight], 1);
}

TEST(Users, PriceListAccessChangesOnlyWhenCopied) {
  Config cfg = FreshConfig();
  UserAccess access(cfg.users);
  ScriptedPrompt prompt;
  prompt.answers = {""};
  access.SelectUser(1, prompt);
  access.SetRight(kPriceListRight, false);
  EXPECT_EQ(access.priceListAccess(), 1);
  access.CopyPriceListAccess();  // the tray menu opens while the printer is ready
  EXPECT_EQ(access.priceListAccess(), 0);
  access.ConfigLoaded();  // the first user's right, current user kept
  EXPECT_EQ(access.priceListAccess(), 1);
  EXPECT_EQ(access.currentUser(), 1);
}

TEST(Users, SettingsPageEditsTheUserItPicksWithinTheRecord) {
  Config cfg = FreshConfig();
  UserAccess access(cfg.users);
  EXPECT_EQ(access.PickUser(2), 2);  // current for the tray too, without a password
  EXPECT_EQ(access.PickUser(-1), 2);
  access.RenameCurrentUser("A name of more than nineteen characters");
  access.SetPassword("0123456789abc");
  access.SetRight(0, false);
  EXPECT_EQ(cfg.users[2].name, "A name of more than");
  EXPECT_EQ(cfg.users[2].password, "012345678");
  EXPECT_EQ(cfg.users[2].rights[0], 0);
  EXPECT_EQ(cfg.users[0].rights[0], 1);
  EXPECT_FALSE(access.MenuItemAllowed("popXUZ"));
}

TEST(SettingsLock, OnlyTheServicePasswordUnlocksAndSavingLocksAgain) {
  SettingsLock lock;
  lock.Activate();
  EXPECT_TRUE(lock.locked());
  EXPECT_EQ(lock.label_message(), 33);
  for (const char* wrong : {"", "plomzer", "plomzeraa", "PLOMZERA", "plomzera\n"}) {
    EXPECT_FALSE(lock.CheckServicePassword(wrong)) << wrong;
    EXPECT_TRUE(lock.locked());
    EXPECT_EQ(lock.label_message(), 34);
  }
  EXPECT_TRUE(lock.CheckServicePassword("plomzera"));
  EXPECT_FALSE(lock.locked());
  lock.Lock();
  EXPECT_TRUE(lock.locked());
  EXPECT_EQ(lock.label_message(), 33);
}

}  // namespace
}  // namespace kv
