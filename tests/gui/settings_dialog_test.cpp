// The settings dialog as the program creates it: the lock, filling the pages, saving.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <sstream>

#include "app/application.h"
#include "app/qt_view.h"
#include "lang/codepage.h"
#include "lang/language_map.h"
#include "settings/ui/dlg_cfg.h"
#include "support/app_home.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class SettingsDialogTest : public test::AppInTempHome {
 protected:
  SettingsDialogTest() {
    home.Write("rb4900_cfg.ini",
               "[CONFIG]\r\nopozdenie=0\r\ndelay_file=700\r\nbaud=57600\r\n"
               "[SPRAVY]\r\nid_aplikacia=GUITEST\r\n[LANGUAGE]\r\nLNG1=English\r\n");
    home.Write("kv4910_sk.msg", Utf8ToCp1250("[33]\r\nZadajte heslo\r\n[34]\r\nNesprávne heslo"));
    StartApp();
    dialog = &app->settings_windows().dialog();
  }

  template <typename T>
  T* Child(const char* name) {
    return dialog->findChild<T*>(name);
  }
  void EnterPassword(const char* password) {
    Child<QLineEdit>("Edit_heslo")->setText(password);
    Child<QPushButton>("Btn_psw_yes")->click();
  }
  bool Locked() {
    return Child<QWidget>("Panel_heslo")->isVisible() &&
           !Child<QWidget>("PageControl1")->isVisible();
  }

  TDlg_cfg* dialog = nullptr;
};

TEST_F(SettingsDialogTest, EveryLanguageKeyOfTheDialogFindsItsControl) {
  int keys = 0;
  for (const LanguageKey& key : LanguageKeys()) {
    if (key.group != LanguageGroup::Settings) continue;
    ++keys;
    EXPECT_NE(QtView::Find(key.target), nullptr) << key.key << " " << key.target;
  }
  EXPECT_EQ(keys, 103 + 33);                                           // the key map's and our own
  EXPECT_EQ(Child<QTabWidget>("PageControl1")->tabText(2), "EXPERT");  // the built-in text
}

TEST_F(SettingsDialogTest, OnlyTheServicePasswordUnlocksAndThePagesShowTheRunningSettings) {
  ASSERT_TRUE(dialog->Activate());
  dialog->show();
  EXPECT_TRUE(Locked());
  EXPECT_EQ(Child<QLabel>("Label3")->text(), "Zadajte heslo");
  EXPECT_FALSE(app->settings_windows().session().Open());  // shown already

  EnterPassword("plomzer");
  EXPECT_TRUE(Locked());
  EXPECT_EQ(Child<QLabel>("Label3")->text(), QString::fromUtf8("Nesprávne heslo"));
  EXPECT_EQ(Child<QLineEdit>("Edit_heslo")->text(), "");

  EnterPassword("plomzera");
  EXPECT_FALSE(Locked());
  EXPECT_EQ(Child<QTabWidget>("PageControl1")->currentIndex(), 0);
  EXPECT_EQ(Child<QLineEdit>("Edit_in")->text(), "blocek.txt");
  EXPECT_EQ(Child<QLineEdit>("Edit_delay_file")->text(), "700");
  EXPECT_EQ(Child<QComboBox>("CB_baud")->currentText(), "57600");
  EXPECT_EQ(Child<QLineEdit>("Edit_idaplikacia")->text(), "GUITEST");
  EXPECT_EQ(Child<QLineEdit>("Edit_plat0")->text(), QString::fromUtf8("Hotovosť:"));
}

// The section and key of every line of an INI file, in order.
std::vector<std::string> Keys(const std::string& file) {
  std::vector<std::string> keys;
  std::istringstream lines(file);
  std::string line, section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] == '[')
      section = line.substr(1, line.find(']') - 1);
    else if (line.find('=') != std::string::npos)
      keys.push_back(section + "/" + line.substr(0, line.find('=')));
  }
  return keys;
}

TEST_F(SettingsDialogTest, SavingWritesEveryKeyInTheDialogsOrderAndLocksAgain) {
  ASSERT_TRUE(dialog->Activate());
  dialog->show();
  EnterPassword("plomzera");
  Child<QLineEdit>("Edit_idaplikacia")->setText("NOVY");
  std::filesystem::remove(home / "rb4900_cfg.ini");  // the first save writes a new file
  Child<QPushButton>("OKBtn")->click();

  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(app->settings_windows().SettingsDialogShown());
  EXPECT_EQ(QCoreApplication::applicationName(), "NOVY");
  const std::vector<std::string> keys = Keys(home.Read("rb4900_cfg.ini"));
  ASSERT_EQ(keys.size(), 1u + 13u + 30u + 11u + 3u * 12u + 3u + 40u + 1u);
  const std::pair<size_t, const char*> expected[] = {
      {0, "LANGUAGE/default"},    {1, "POKL/plat1"},
      {11, "POKL/path_in"},       {14, "CONFIG/path_in"},
      {18, "CONFIG/err_file"},    {28, "CONFIG/time_info"},
      {29, "CONFIG/writemulti"},  {30, "CONFIG/time_write"},
      {43, "CONFIG/synchr_time"}, {44, "OPEN/0"},
      {54, "OPEN/idx"},           {55, "USER0/PWD"},
      {66, "USER0/CEN"},          {91, "SPRAVY/spravy"},
      {94, "SPRAVY/msg0"},        {134, "MENA/zmena"}};
  for (const auto& [at, key] : expected) EXPECT_EQ(keys[at], key) << at;

  ASSERT_TRUE(dialog->Activate());
  dialog->show();
  EXPECT_TRUE(Locked());
}

TEST_F(SettingsDialogTest, ControlsThatActAtOnceReachTheFileOnSave) {
  ASSERT_TRUE(dialog->Activate());
  dialog->show();
  EnterPassword("plomzera");
  const std::pair<const char*, const char*> edits[] = {
      {"Edit_in", "vstup.txt"}, {"Edit_out", "zurnal2.txt"},
      {"Edit_zaloha1", "/zaloha/a"}, {"Edit_zaloha2", "/zaloha/b"}};
  for (const auto& [name, text] : edits) {
    Child<QLineEdit>(name)->setText(text);
    emit Child<QLineEdit>(name)->editingFinished();  // leaving the edit
  }
  Child<QWidget>("RadioGroup1")->findChildren<QRadioButton*>().at(1)->click();
  for (const auto& [name, position] : {std::pair{"CB_baud", 2}, std::pair{"CB_jazyk", 1}}) {
    Child<QComboBox>(name)->setCurrentIndex(position);
    emit Child<QComboBox>(name)->activated(position);
  }
  Child<QPushButton>("OKBtn")->click();
  ASSERT_FALSE(dialog->isVisible());

  const std::string file = home.Read("rb4900_cfg.ini");
  for (const char* line : {"\npath_in=vstup.txt", "\npath_out=zurnal2.txt", "\nbackup1=/zaloha/a",
                           "\nbackup2=/zaloha/b", "\nbackup_date=1", "\nbaud=115200",
                           "\ndefault=1"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
}

TEST_F(SettingsDialogTest, AfterAFailedWriteEscClosesWithoutSavingAndFreesThePrinter) {
  std::filesystem::remove(home / "rb4900_cfg.ini");
  std::filesystem::create_directory(home / "rb4900_cfg.ini");  // cannot be written
  ASSERT_TRUE(dialog->Activate());
  dialog->show();
  EnterPassword("plomzera");
  dialog->reject();  // Esc while unlocked: only saving closes it
  EXPECT_TRUE(dialog->isVisible());

  Child<QPushButton>("OKBtn")->click();
  EXPECT_TRUE(dialog->isVisible());
  dialog->reject();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(app->settings_windows().SettingsDialogShown());
}

}  // namespace
}  // namespace kv
