// Every window of the program in Slovak and in English: every text, hint, item, heading and
// page title the operator can see is walked and compared with the same control in the other
// language, and switching the language at run time reaches all of them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/application.h"
#include "app/qt_view.h"
#include "lang/codepage.h"
#include "lang/language_map.h"
#include "platform/os.h"
#include "reports/ui/journal_windows.h"
#include "settings/ui/dlg_cfg.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// Every window the program has, by object name.
constexpr const char* kWindows[] = {"SRB4900",     "Dlg_cfg",      "PasswordDlg",
                                    "Form_copy",   "Form_mesacna", "Form_zurnal",
                                    "Form_predaj", "Form_sklad",   "Form_platba"};

// Texts that are the same in both languages: the program's and the printer's names, signal
// and flag names, drawer models, and words English and the Slovak design share.
const std::set<QString> kSameInBoth = {
    "KV4910", "OK",        "&OK",       "Cancel",   "Low",       "Normal",
    "High",   "DSR",       "CTS",       "BUSY",     "ACK",       "PE",
    "ERR",    "DSP",       "NORMAL",    "USB",      "Baud 9600", "COM x ",
    "...",    "EPSON 4-5", "EPSON 4-2", "STAR 4-5", "STAR 4-2",  "RB2900/3900",
    "August", "September", "November",  "December", "user0"};

// Lists whose items are data (speeds, currency codes, ports, users, languages, articles).
const std::set<QString> kDataLists = {"CB_baud",  "CB_aktivna",  "CB_dualna", "CB_porty", "CB_user",
                                      "CB_jazyk", "CB_port_zac", "CB_nazov",  "CB_dph"};

// A text made of digits and signs only is a number or a date, and a path is a file's name: no
// language text.
bool IsLanguageText(const QString& text) {
  if (text.startsWith('/')) return false;
  for (const QChar c : text)
    if (c.isLetter()) return true;
  return false;
}

// A stable name for an object: its object names from the window down, unnamed ones by class
// and position.
QString PathOf(const QObject* object) {
  QStringList parts;
  for (const QObject* o = object; o; o = o->parent()) {
    QString part = o->objectName();
    if (part.isEmpty() && o->parent())
      part = QString("%1#%2")
                 .arg(o->metaObject()->className())
                 .arg(o->parent()->children().indexOf(o));
    parts.prepend(part);
  }
  return parts.join('/');
}

// Hidden by the program (not merely a page behind another one).
bool HiddenByProgram(const QWidget* widget, const QWidget* window) {
  for (const QWidget* w = widget; w && w != window; w = w->parentWidget())
    if (w->isHidden() && !qobject_cast<const QStackedWidget*>(w->parentWidget())) return true;
  return false;
}

using Texts = std::map<QString, QString>;

void Add(Texts& texts, const QString& key, const QString& text) {
  if (IsLanguageText(text)) texts[key] = text;
}

void WalkActions(Texts& texts, const QWidget* owner) {
  for (const QAction* action : owner->actions()) {
    if (!action->isVisible() || action->isSeparator()) continue;
    Add(texts, PathOf(action) + ".text", action->text());
    if (action->menu()) WalkActions(texts, action->menu());
  }
}

// Every visible text of a window.
Texts WalkWindow(const QWidget* window) {
  Texts texts;
  Add(texts, PathOf(window) + ".title", window->windowTitle());
  QList<const QWidget*> widgets{window};
  for (const QWidget* w : window->findChildren<QWidget*>()) widgets << w;
  for (const QWidget* w : widgets) {
    if (HiddenByProgram(w, window)) continue;
    const QString path = PathOf(w);
    Add(texts, path + ".hint", w->toolTip());
    if (auto* label = qobject_cast<const QLabel*>(w)) Add(texts, path + ".text", label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
      Add(texts, path + ".text", button->text());
    if (auto* group = qobject_cast<const QGroupBox*>(w))
      Add(texts, path + ".title", group->title());
    if (auto* tabs = qobject_cast<const QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i)
        Add(texts, path + QString(".page%1").arg(i), tabs->tabText(i));
    if (auto* combo = qobject_cast<const QComboBox*>(w);
        combo && !kDataLists.count(combo->objectName()))
      for (int i = 0; i < combo->count(); ++i)
        Add(texts, path + QString(".item%1").arg(i), combo->itemText(i));
    if (auto* grid = qobject_cast<const QTableWidget*>(w))
      for (int c = 0; c < grid->columnCount(); ++c)
        for (int r = 0; r < grid->rowCount(); ++r)
          if (const QTableWidgetItem* item = grid->item(r, c))
            Add(texts, path + QString(".cell%1,%2").arg(c).arg(r), item->text());
    if (auto* menu = qobject_cast<const QMenu*>(w)) WalkActions(texts, menu);
  }
  return texts;
}

std::string ReadShipped(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The program started as a shop starts it, with the shipped Slovak and English pairs offered
// and `language` chosen; every window is open, the settings dialog on its pages.
class Program {
 public:
  Program(test::TempDir& home, const std::filesystem::path& shipped, int language) {
    for (const char* name : {"kv4910_sk.lng", "kv4910_sk.msg", "kv4910_en.lng", "kv4910_en.msg"})
      home.Write(name, ReadShipped(shipped / name));
    home.Write("rb4900_cfg.ini",
               "[CONFIG]\r\nopozdenie=0\r\n[SPRAVY]\r\nid_aplikacia=LANGTEST\r\n"
               "[LANGUAGE]\r\nLNG1=English\r\nFILE1=kv4910_en.lng\r\n"
               "MSG1=kv4910_en.msg\r\ndefault=" +
                   std::to_string(language) + "\r\n");
    setenv("KV4910_HOME", home.path().c_str(), 1);
    app = std::make_unique<Application>(std::vector<std::string>{"/nohide"}, "/nonexistent");
    app->Start();
    app->journal_windows().ShowFile(home / "zurnal.txt");
    for (const char* name : kWindows) QtView::FindWindow(name)->show();
    // The settings dialog unlocked with the service password, its lock panel walked as well.
    TDlg_cfg& settings = app->settings_windows().dialog();
    EXPECT_TRUE(settings.Activate());
    settings.findChild<QLineEdit*>("Edit_heslo")->setText("plomzera");
    settings.findChild<QPushButton*>("Btn_psw_yes")->click();
    settings.findChild<QWidget*>("Panel_heslo")->setVisible(true);
    QApplication::processEvents();
  }
  ~Program() {
    app.reset();
    unsetenv("KV4910_HOME");
  }

  // Every window's texts, and the command menu's.
  Texts Walk() const {
    Texts all;
    for (const char* name : kWindows) all.merge(WalkWindow(QtView::FindWindow(name)));
    all.merge(WalkWindow(QtView::FindWindow("SRB4900")->findChild<QMenu*>("PopupRB2900")));
    return all;
  }

  // The settings dialog's language list, as the operator picks from it.
  void ChooseLanguage(int position) {
    auto* box = QtView::FindWindow("Dlg_cfg")->findChild<QComboBox*>("CB_jazyk");
    ASSERT_GT(box->count(), position);
    emit box->activated(position);
    QApplication::processEvents();
  }

  std::unique_ptr<Application> app;
};

// The texts of `english` against the same controls' `slovak` ones: each differs unless it is
// one the languages share, none is missing or empty, and none is a Slovak built-in text.
void ExpectEnglishThroughout(const Texts& slovak, const Texts& english) {
  std::set<QString> builtin;
  for (const LanguageKey& key : LanguageKeys())
    builtin.insert(QString::fromUtf8(key.builtin).remove('&'));
  const QString system = QString::fromStdString(OsVersionText(QueryOsVersion(), false));
  size_t compared = 0;
  for (const auto& [where, text] : slovak) {
    const auto found = english.find(where);
    if (found == english.end()) {
      ADD_FAILURE() << where.toStdString() << " has no English text (Slovak: " << text.toStdString()
                    << ")";
      continue;
    }
    ++compared;
    if (kSameInBoth.count(text) || text == system) continue;
    EXPECT_NE(found->second.toStdString(), text.toStdString())
        << where.toStdString() << " stays Slovak";
  }
  for (const auto& [where, text] : english) {
    if (kSameInBoth.count(text) || text == system) continue;
    EXPECT_EQ(builtin.count(QString(text).remove('&')), 0u)
        << where.toStdString() << " shows the Slovak built-in text " << text.toStdString();
  }
  EXPECT_GT(compared, 250u);
}

class LanguageWalk : public ::testing::Test {
 protected:
  LanguageWalk() : shipped_(std::filesystem::current_path()) {}
  ~LanguageWalk() override { std::filesystem::current_path(shipped_); }

  Texts Started(int language) {
    test::TempDir home;
    Program program(home, shipped_, language);
    return program.Walk();
  }

  std::filesystem::path shipped_;
};

TEST_F(LanguageWalk, EveryWindowStartedInEnglishShowsNoSlovakText) {
  const Texts slovak = Started(0);
  const Texts english = Started(1);
  ExpectEnglishThroughout(slovak, english);
  EXPECT_EQ(
      english.at("Form_copy/kalendar/qt_calendar_navigationbar/qt_calendar_monthbutton.text"),
      QLocale(QLocale::English, QLocale::UnitedKingdom).monthName(QDate::currentDate().month()))
      << "the calendar follows the language";
}

TEST_F(LanguageWalk, SwitchingSlovakEnglishSlovakReachesEveryTextAtOnce) {
  const Texts started_english = Started(1);
  test::TempDir home;
  Program program(home, shipped_, 0);
  const Texts slovak = program.Walk();

  program.ChooseLanguage(1);
  const Texts english = program.Walk();
  ExpectEnglishThroughout(slovak, english);
  for (const auto& [where, text] : started_english)
    EXPECT_EQ((english.count(where) ? english.at(where) : "<missing>").toStdString(),
              text.toStdString())
        << where.toStdString();

  program.ChooseLanguage(0);
  const Texts back = program.Walk();
  for (const auto& [where, text] : slovak)
    EXPECT_EQ((back.count(where) ? back.at(where) : "<missing>").toStdString(), text.toStdString())
        << where.toStdString();
  EXPECT_EQ(back.size(), slovak.size());
}

}  // namespace
}  // namespace kv
