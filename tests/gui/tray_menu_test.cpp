// The command menu on the real main window, the windows it opens, and the monthly report
// dialog wired to the printer.
#include "app/tray_menu.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

#include "app/application.h"
#include "app/main_window.h"
#include "app/qt_view.h"
#include "app/tray_icon.h"
#include "lang/codepage.h"
#include "reports/ui/form_mesacna.h"
#include "app/area_windows.h"
#include "reports/ui/journal_windows.h"
#include "sim/line_printer.h"
#include "support/app_home.h"
#include "support/print_manager_fixture.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// The program's windows as it starts them, without a configuration of users (every user has
// every right), in a temporary program directory.
class TrayMenuTest : public test::AppInTempHome {
 protected:
  TrayMenuTest() {
    home.Write("rb4900_cfg.ini", "[CONFIG]\r\nopozdenie=0\r\n");
    home.Write("kv4910_sk.msg", "[93]\r\nNie je: ");
    home.Write("kv4910_sk.lng", Utf8ToCp1250("[FORM_KV4910]\r\nTXT9=Žurnál\r\n"));
    StartApp();
  }

  QMenu& menu() { return app->tray_menu().menu(); }
  QAction* Item(const char* name) { return app->tray_menu().Item(name); }
  void Open() { emit menu().aboutToShow(); }
};

TEST_F(TrayMenuTest, ItemsSeparatorsSubmenuPicturesAndDesignState) {
  QStringList names;
  for (QAction* action : menu().actions())
    names << (action->menu() ? action->menu()->objectName() : action->objectName());
  EXPECT_EQ(names,
            QStringList({"pop_pokladna", "N4",           "pop_user0",     "pop_user1",
                         "pop_user2",    "N3",           "popXUZ",        "popDUZ",
                         "popMUZ",       "N1",           "KopieRB3900",   "popKDOKL",
                         "popKDU",       "N2",           "popCAS",        "popOtvzas",
                         "popzurnal",    "Zalohovanie1", "Konfiguracia1", "Spusteniecasovaca1"}));
  auto* journal = menu().findChild<QMenu*>("popzurnal");
  ASSERT_NE(journal, nullptr);
  EXPECT_EQ(journal->title(), QString::fromUtf8("Žurnál"));  // the language text reaches it
  ASSERT_EQ(journal->actions().size(), 2);
  EXPECT_EQ(journal->actions()[1]->objectName(), "Chybovysubor1");

  for (const char* pictured : {"pop_pokladna", "popXUZ", "KopieRB3900", "popOtvzas",
                               "Elektronickapaska1", "Chybovysubor1", "Konfiguracia1"})
    EXPECT_FALSE(Item(pictured)->icon().isNull()) << pictured;
  EXPECT_TRUE(Item("pop_user1")->icon().isNull());

  for (const char* item :
       {"popXUZ", "popDUZ", "popMUZ", "KopieRB3900", "popKDOKL", "popKDU", "popCAS", "popOtvzas"}) {
    EXPECT_FALSE(Item(item)->isEnabled()) << item;
    const bool radio =
        std::string_view(item) != "KopieRB3900" && std::string_view(item) != "popOtvzas";
    EXPECT_EQ(Item(item)->actionGroup() != nullptr, radio) << item;
  }
  EXPECT_TRUE(Item("pop_user0")->isChecked());
  EXPECT_FALSE(Item("pop_user1")->isChecked());
  EXPECT_EQ(Item("popXUZ")->text(), QString::fromUtf8("X - uzávierka"));
}

TEST_F(TrayMenuTest, OpeningEnablesByThePrinterAndTheRights) {
  Open();
  EXPECT_FALSE(Item("popDUZ")->isEnabled());
  EXPECT_FALSE(Item("pop_pokladna")->isEnabled());
  EXPECT_TRUE(Item("Konfiguracia1")->isEnabled());
  EXPECT_TRUE(Item("Spusteniecasovaca1")->isEnabled());

  TSRB4900& pm = app->print_manager();
  pm.link().SetDeviceReady(true);
  pm.users().SetRight(1, false);  // DUZ
  pm.config().obrat_hide = true;
  Open();
  EXPECT_FALSE(Item("popXUZ")->isEnabled());
  EXPECT_FALSE(Item("popDUZ")->isEnabled());
  for (const char* item :
       {"popMUZ", "KopieRB3900", "popKDOKL", "popKDU", "popCAS", "popOtvzas", "pop_pokladna"})
    EXPECT_TRUE(Item(item)->isEnabled()) << item;
  EXPECT_EQ(Item("pop_user0")->text(), "user0");
  EXPECT_EQ(Item("pop_user2")->text(), "user2");
}

TEST_F(TrayMenuTest, WithoutANotificationAreaTheWindowOffersTheMenu) {
  MainWindow& window = app->main_window();
  ASSERT_FALSE(window.tray().shown());
  EXPECT_EQ(window.statusBar()->contextMenuPolicy(), Qt::CustomContextMenu);
  ASSERT_NE(window.menuWidget(), nullptr);
  const QList<QAction*> bar = window.menuBar()->actions();
  ASSERT_EQ(bar.size(), 1);
  EXPECT_EQ(bar[0]->menu(), &menu());
}

TEST_F(TrayMenuTest, ACancelledPasswordMakesTheFirstUserCurrent) {
  // Without a screen the password dialog answers Cancel.
  Item("pop_user2")->trigger();
  EXPECT_EQ(app->print_manager().users().currentUser(), 0);
  EXPECT_TRUE(Item("pop_user0")->isChecked());
  EXPECT_FALSE(Item("pop_user1")->isChecked());
  EXPECT_FALSE(Item("pop_user2")->isChecked());
}

TEST_F(TrayMenuTest, JournalItemsOpenTheViewerOnTheJournalAndTheErrorFile) {
  home.Write("zurnal.txt", "A\r\nB");
  Item("Elektronickapaska1")->trigger();
  QWidget* viewer = QtView::FindWindow("Form_zurnal");
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->windowTitle(), "zurnal.txt");

  Item("Chybovysubor1")->trigger();
  const QString error_file = QString::fromStdString(home / "FM_err.txt");
  EXPECT_EQ(viewer->windowTitle(), error_file);
  auto* text = viewer->findChild<QPlainTextEdit*>("RE_zurnal");
  EXPECT_EQ(text->toPlainText(), "Nie je: " + error_file);
  viewer->hide();
}

TEST_F(TrayMenuTest, TillAndSettingsItemsReachTheirWindows) {
  Item("pop_pokladna")->trigger();
  QWidget* sale = QtView::FindWindow("Form_predaj");
  ASSERT_NE(sale, nullptr);
  EXPECT_TRUE(sale->isVisible());
  sale->hide();

  // Without a screen the settings dialog is not opened; the item must not stay greyed out.
  Item("Konfiguracia1")->trigger();
  EXPECT_FALSE(QtView::FindWindow("Dlg_cfg")->isVisible());
  EXPECT_TRUE(Item("Konfiguracia1")->isEnabled());
  // The copies command reaches the copies window once the printer answers.
  EXPECT_TRUE(app->print_manager().device_commands().show_copies_window);
}

// The monthly report dialog as the program wires it, against the printer simulator.
class MonthlyWiringTest : public ::testing::Test, public test::PrintManagerFakes {
 protected:
  MonthlyWiringTest() {
    NumberMessages("msg%d");
    WorkInTempDirOnTheLine();
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }
  sim::LinePrinter printer{line};
  std::unique_ptr<JournalWindows> journal = MakeJournalWindows(pm);
  JournalWindows& windows = *journal;
};

TEST_F(MonthlyWiringTest, FebruaryTwoThousandTenReachesThePrinter) {
  TForm_mesacna& dialog = windows.monthly();
  dialog.show();
  dialog.findChild<QComboBox*>("CB_mesiac")->setCurrentIndex(1);
  dialog.findChild<QLineEdit*>("Edit_rok")->setText("2010");
  dialog.findChild<QPushButton*>("BitBtn_tlac")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const std::string request = "\x1bXD20100201\r20100231\r";
  const std::string received = printer.engine().ReceivedBytes();
  ASSERT_GE(received.size(), request.size());
  EXPECT_EQ(received.substr(received.size() - request.size()), request);
  EXPECT_FALSE(pm.link().Leased());
}

}  // namespace
}  // namespace kv
