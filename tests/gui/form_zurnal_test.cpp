#include "reports/ui/form_zurnal.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/ini_file.h"
#include "lang/codepage.h"
#include "reports/journal_loader.h"
#include "support/fake_clock.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

class FormZurnalTest : public ::testing::Test {
 protected:
  FormZurnalTest()
      : form({cfg, dir / kConfigFileName, messages, boxes, test::ShopTime,
              [this](std::string_view line) { errors.emplace_back(line); }}) {}

  // Opens `name` and turns the event loop until it is loaded (at most ten seconds).
  void OpenAndLoad(const std::string& name) {
    form.Open(dir / name);
    QElapsedTimer limit;
    limit.start();
    while (form.loading() && limit.elapsed() < 10000) QCoreApplication::processEvents();
    ASSERT_FALSE(form.loading());
  }
  QPlainTextEdit* Text() { return form.findChild<QPlainTextEdit*>("RE_zurnal"); }
  void Search(const char* text) {
    form.findChild<QLineEdit*>("Edit_datum")->setText(text);
    form.findChild<QPushButton*>("BitBtn_dalsi")->click();
  }

  test::TempDir dir;
  Config cfg;
  MessageTable messages = test::NumberedMessages();
  test::ScriptedBoxes boxes;
  std::vector<std::string> errors;
  TForm_zurnal form;
};

TEST_F(FormZurnalTest, ShowsTheFileLineByLineOrTheMissingFileLine) {
  dir.Write("zurnal.txt", "A\r\nB\x1b\xe8");
  OpenAndLoad("zurnal.txt");
  EXPECT_EQ(Text()->toPlainText(), QString::fromUtf8("A\nB~27~č"));
  EXPECT_EQ(Text()->blockCount(), 2);
  EXPECT_EQ(form.windowTitle().toStdString(), dir / "zurnal.txt");
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.findChild<QLineEdit*>("Edit_datum")->text(), "6.12.2026");  // FormShow

  OpenAndLoad("FM_err.txt");  // opening again refills
  EXPECT_EQ(Text()->toPlainText().toStdString(), "[93]" + dir / "FM_err.txt");
  EXPECT_TRUE(errors.empty());
}

TEST_F(FormZurnalTest, ABigJournalLoadsWhileTheEventLoopKeepsTurning) {
  // Lines ending in CR LF, and a file whose lines end in CR alone (one line once CR is
  // dropped), which is cut into display lines.
  const struct {
    const char* line;
    size_t size;
  } files[] = {{"06.12.2026 14:30 Doklad c. 1234 \x1b\xe8iastka 12.50\r\n", 16u * 1024 * 1024},
               {"06.12.2026 14:30 Doklad c. 1234 \x1b\xe8iastka 12.50\r", 4u * 1024 * 1024}};
  for (const auto& file : files) {
    std::string bytes;
    while (bytes.size() < file.size) bytes += file.line;
    dir.Write("big.txt", bytes);

    // A timer that should tick every 10 ms: the longest gap between two ticks is how long the
    // window stood still.
    QElapsedTimer since_tick;
    qint64 longest_gap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest_gap = std::max(longest_gap, since_tick.restart()); });
    since_tick.start();
    ticker.start();
    form.Open(dir / "big.txt");
    EXPECT_TRUE(form.loading());
    QElapsedTimer limit;
    limit.start();
    while (form.loading() && limit.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    ASSERT_FALSE(form.loading()) << file.size;
    EXPECT_LT(longest_gap, 1000) << file.size;
    EXPECT_EQ(Text()->toPlainText().toStdString(),
              Cp1250ToUtf8(LoadJournalText(dir / "big.txt", "[93]")));
  }
}

TEST_F(FormZurnalTest, SearchFindsTheDateThenSaysNotFoundAndStartsAgainFromTheTop) {
  dir.Write("zurnal.txt", "1.12.2026 x\r\n25.01.2010 y\r\n");
  OpenAndLoad("zurnal.txt");
  Search("25.01.2010");
  EXPECT_EQ(Text()->textCursor().selectionStart(), 12);
  EXPECT_EQ(Text()->textCursor().selectedText(), "25.01.2010");

  boxes.Expect("[94] 25.01.2010 [95]");
  Search("25.01.2010");
  EXPECT_FALSE(Text()->textCursor().hasSelection());
  EXPECT_EQ(Text()->textCursor().position(), 0);

  Search("25.01.2010");
  EXPECT_EQ(Text()->textCursor().selectionStart(), 12);
}

TEST_F(FormZurnalTest, WidthStaysAtLeast230AndTheGeometryIsWrittenOnClosing) {
  cfg.zurnal_with = 50;
  dir.Write("zurnal.txt", "x");
  OpenAndLoad("zurnal.txt");
  EXPECT_EQ(form.width(), 230);
  form.resize(100, 300);
  EXPECT_EQ(form.width(), 230);

  form.move(40, 50);
  form.resize(500, 600);
  form.close();
  EXPECT_EQ(cfg.zurnal_with, 500);
  IniFile ini(dir / kConfigFileName);
  EXPECT_EQ(ini.ReadInteger("ZURNAL", "x", -1), form.x());
  EXPECT_EQ(ini.ReadInteger("ZURNAL", "y", -1), form.y());
  EXPECT_EQ(ini.ReadInteger("ZURNAL", "with", -1), 500);
  EXPECT_EQ(ini.ReadInteger("ZURNAL", "height", -1), 600);
}

}  // namespace
}  // namespace kv
