#include "app/main_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "base/view_names.h"
#include "app/application.h"
#include "app/qt_view.h"
#include "app/tray_icon.h"
#include "lang/codepage.h"
#include "platform/os.h"
#include "support/app_home.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

QString FromUtf8(const char* text) {
  return QString::fromUtf8(text);
}

// The application with a test configuration, message and language file.
class MainWindowTest : public test::AppInTempHome {
 protected:
  MainWindowTest() {
    home.Write("rb4900_cfg.ini", "[CONFIG]\r\nopozdenie=0\r\n[SPRAVY]\r\nid_aplikacia=GUITEST\r\n");
    home.Write("kv4910_sk.msg", "[113]\r\nSpustenie testu\r\n[114]\r\n");
    home.Write("kv4910_sk.lng", Utf8ToCp1250("[FORM_KV4910]\r\n"
                                             "TXT16=Doklad č.:\r\n"
                                             "TXT19=Uzávierky:\r\n"
                                             "TXT21=prekryté\r\n"
                                             "TXT40=Pamäť test\r\n"
                                             "TXT37=Hotovosť prijatá\r\n"
                                             "[FORM_CASH]\r\n"
                                             "NAME=Predaj test\r\n"
                                             "BTN4=&Tlačiť\r\n"
                                             "TXT14=EAN\r\n"
                                             "NAME1=Cenník test\r\n"));
    StartApp();
    window = QtView::FindWindow("SRB4900");
  }

  template <typename T>
  T* Child(const char* name) {
    return window ? window->findChild<T*>(name) : nullptr;
  }
  QString LabelText(const char* name) {
    QLabel* label = Child<QLabel>(name);
    return label ? label->text() : QStringLiteral("<missing>");
  }

  QWidget* window = nullptr;
};

TEST_F(MainWindowTest, ControlsCarryTheirNames) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, &app->main_window());
  for (const char* label :
       {"L_dokl", "L_datum", "L_cas", "Label_stav", "Label_sn_prom", "Label_zostava_du",
        "Label_zostava_bl", "Label_priority", "Label_baud", "Label_USB", "Label1", "Label2",
        "Label4", "Label8", "Label10", "Label_pamet"})
    EXPECT_NE(Child<QLabel>(label), nullptr) << label;
  for (const char* box : {"BUSY", "ACK", "PE", "ERR", "DSP"})
    EXPECT_NE(Child<QCheckBox>(box), nullptr) << box;
  EXPECT_NE(Child<QAbstractButton>("DSR"), nullptr);
  EXPECT_NE(Child<QAbstractButton>("CTS"), nullptr);
  EXPECT_NE(Child<QComboBox>("CB_port_zac"), nullptr);
  QTableWidget* grid = Child<QTableWidget>("StringGrid_data");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->rowCount(), 13);
  EXPECT_EQ(grid->columnCount(), 3);
  ASSERT_NE(Child<QStatusBar>("StatusBar1"), nullptr);
  for (int i = 0; i < MainWindow::kStatusPanels; ++i) {
    const QString name = QStringLiteral("StatusBar1_%1").arg(i);
    EXPECT_NE(Child<QStatusBar>("StatusBar1")->findChild<QLabel*>(name), nullptr)
        << name.toStdString();
  }
}

// A name the core writes that no control carries would be ignored by the view: every name of a
// window that exists must be found on it.
TEST_F(MainWindowTest, EveryNameTheCoreWritesIsOnItsWindow) {
  ASSERT_NE(window, nullptr);
  int checked = 0;
  for (const std::string_view name : view_names::kAll) {
    const std::string_view window_name = name.substr(0, name.find('/'));
    const auto& built = view_names::kBuiltWindows;
    if (std::find(built.begin(), built.end(), window_name) == built.end()) continue;
    ++checked;
    if (name == window_name)
      EXPECT_NE(QtView::FindWindow(name), nullptr) << name;
    else
      EXPECT_NE(QtView::Find(name), nullptr) << name;
  }
  EXPECT_GT(checked, 20);
}

TEST_F(MainWindowTest, StartUpShowsTheLanguageTextsVersionsAndSettings) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LabelText("Label1"), FromUtf8("Doklad č.:"));
  EXPECT_EQ(LabelText("Label8"), FromUtf8("Uzávierky:"));
  EXPECT_EQ(LabelText("Label_pamet"), FromUtf8("Pamäť test"));  // TXT40 after TXT21
  EXPECT_EQ(LabelText("Label2"), FromUtf8("Dátum:"));           // built-in text

  const QString os_text = QString::fromStdString(OsVersionText(QueryOsVersion(), false));
  EXPECT_EQ(LabelText("StatusBar1_0"), "1.1.0.4");
  EXPECT_EQ(LabelText("StatusBar1_3"), os_text);
  EXPECT_EQ(Child<QStatusBar>("StatusBar1")->toolTip(), os_text);
  EXPECT_EQ(LabelText("Label_priority"), "NORMAL");
  EXPECT_FALSE(Child<QLabel>("Label_USB")->isVisible());

  EXPECT_EQ(QCoreApplication::applicationName(), "GUITEST");
  EXPECT_EQ(app->main_window().tray().hint(), "Spustenie testu");
  EXPECT_EQ(app->main_window().tray().picture(), 1);
  EXPECT_TRUE(app->print_manager().startup().no_hide);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->pos(), QPoint(1, 1));
}

TEST_F(MainWindowTest, TillWindowsAreCreatedAtStartWithTheLanguageTexts) {
  QWidget* sale = QtView::FindWindow("Form_predaj");
  ASSERT_NE(sale, nullptr);
  EXPECT_FALSE(sale->isVisible());
  EXPECT_TRUE(std::filesystem::is_directory(home / "cennik"));
  auto text = [](const char* name) {
    QObject* object = QtView::Find(name);
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text();
    return QStringLiteral("<missing>");
  };
  EXPECT_EQ(sale->windowTitle(), "Predaj test");
  EXPECT_EQ(text("Form_predaj/BitBtn_tlac"), FromUtf8("&Tlačiť"));
  EXPECT_EQ(text("Form_predaj/BitBtn_kos"), FromUtf8("&Vymaž"));  // built-in text
  EXPECT_EQ(
      qobject_cast<QTableWidget*>(QtView::Find("Form_predaj/StringGrid1"))->item(0, 0)->text(),
      "EAN");
  EXPECT_EQ(QtView::FindWindow("Form_sklad")->windowTitle(), FromUtf8("Cenník test"));
  EXPECT_EQ(text("Form_platba/Label1"), FromUtf8("Hotovosť prijatá"));
}

TEST_F(MainWindowTest, ViewReachesTheControlsByTheirNames) {
  ASSERT_NE(window, nullptr);
  View& view = app->print_manager().view();
  view.SetText("SRB4900/L_dokl", "125/8");
  view.SetItemText("SRB4900/StatusBar1", 1, "PRN:P");
  view.SetCell("SRB4900/StringGrid_data", 2, 0, Utf8ToCp1250("DPH"));
  view.SetChecked("SRB4900/BUSY", true);
  view.SetChecked("SRB4900/DSR", true);
  view.SetText("SRB4900", "RB4900 1.2");
  view.SetItems("SRB4900/CB_port_zac", {"/dev/ttyS0", "/dev/ttyUSB0"});
  view.SetItemIndex("SRB4900/CB_port_zac", 1);
  view.SetTrayPicture(0);

  EXPECT_EQ(LabelText("L_dokl"), "125/8");
  EXPECT_EQ(LabelText("StatusBar1_1"), "PRN:P");
  EXPECT_EQ(Child<QTableWidget>("StringGrid_data")->item(0, 2)->text(), "DPH");
  EXPECT_TRUE(Child<QCheckBox>("BUSY")->isChecked());
  EXPECT_TRUE(Child<QAbstractButton>("DSR")->isChecked());
  EXPECT_FALSE(Child<QAbstractButton>("CTS")->isChecked());
  EXPECT_EQ(window->windowTitle(), "RB4900 1.2");
  EXPECT_EQ(Child<QComboBox>("CB_port_zac")->currentText(), "/dev/ttyUSB0");
  EXPECT_EQ(app->main_window().tray().picture(), 0);
}

TEST_F(MainWindowTest, WithoutANotificationAreaTheWindowStaysReachable) {
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(app->main_window().tray().shown());  // offscreen has no tray
  app->print_manager().view().ShowWindow("SRB4900", View::WindowState::Hidden);
  EXPECT_TRUE(window->isVisible());
  window->showMinimized();
  QApplication::processEvents();
  EXPECT_TRUE(window->isVisible());

  // The tray's double click brings the window back in normal size.
  emit app->main_window().tray().doubleClicked();
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isMinimized());
}

TEST(TrayIcon, HintShowsTheShortPartCutTo63Characters) {
  EXPECT_EQ(TrayIcon::ShortHint("KV4910->125"), "KV4910->125");
  EXPECT_EQ(TrayIcon::ShortHint("Short|long part of the hint"), "Short");
  EXPECT_EQ(TrayIcon::ShortHint("|only long"), "");
  const QString long_hint(70, QChar(0x010D));  // "č", one character in the code page
  EXPECT_EQ(TrayIcon::ShortHint(long_hint), QString(63, QChar(0x010D)));

  TrayIcon tray;
  tray.SetHint(QString(80, 'x') + "|rest");
  EXPECT_EQ(tray.shown_hint(), QString(63, 'x'));
}

TEST(TrayIcon, ConnectedAndNotConnectedPicturesDiffer) {
  const QImage connected = TrayIcon::Picture(0).toImage();
  const QImage not_connected = TrayIcon::Picture(1).toImage();
  EXPECT_EQ(connected.size(), QSize(32, 32));
  const QColor body_connected = connected.pixelColor(4, 20);
  const QColor body_not_connected = not_connected.pixelColor(4, 20);
  EXPECT_GT(body_connected.green(), body_connected.red());
  EXPECT_GT(body_not_connected.red(), body_not_connected.green());

  TrayIcon tray;
  EXPECT_EQ(tray.picture(), 1);
  tray.SetPicture(0);
  EXPECT_EQ(tray.picture(), 0);
  tray.SetPicture(7);  // not a picture of ours
  EXPECT_EQ(tray.picture(), 0);
}

}  // namespace
}  // namespace kv
