#include "reports/ui/form_copy.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "fake_copy_line.h"
#include "lang/message_table.h"
#include "support/fake_clock.h"
#include "support/scripted_boxes.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

class FormCopyTest : public ::testing::Test {
 protected:
  FormCopyTest() : form({line, clock, messages, boxes, test::ShopTime, [this] { ++closes; }}) {}

  template <typename T = QWidget>
  T* Get(const char* name) {
    T* child = form.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  void Entry(int entry) {
    Get<QGroupBox>("RG_kopie")->findChildren<QRadioButton*>()[entry]->click();
  }
  // Lets the window's poll timer run until the request has ended (at most five seconds).
  void RunUntilEnded() {
    QElapsedTimer limit;
    limit.start();
    while (form.waiting() && limit.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_FALSE(form.waiting());
  }
  bool Enabled(const char* name) { return Get(name)->isEnabled(); }

  test::FakeCopyLine line;
  test::FakeClock clock;
  MessageTable messages = test::NumberedMessages();
  test::ScriptedBoxes boxes;
  int closes = 0;
  TForm_copy form;
};

TEST_F(FormCopyTest, AFetchedDocumentIsShownWithItsBoldWordsAndBothCrcs) {
  Get<QPushButton>("BitBtn_copy_to_pc")->click();
  EXPECT_EQ(line.sent, std::vector<std::string>{"\x1bq0\r1\r"});
  EXPECT_TRUE(form.waiting());
  EXPECT_EQ(Get<QTextEdit>("RE_doklad")->toPlainText(), "[60]");
  EXPECT_FALSE(Enabled("BitBtn_tlac") || Enabled("BitBtn_copy_to_pc"));
  EXPECT_TRUE(Enabled("BitBtn_zrus"));

  line.incoming = "\x06" + test::FetchAnswer("^BTOTAL^N 5^L", 0x1234);
  RunUntilEnded();
  QTextEdit* doc = Get<QTextEdit>("RE_doklad");
  EXPECT_EQ(doc->toPlainText(), "TOTAL 5\n");
  QTextCursor at(doc->document());
  at.setPosition(1);  // the format of the character before the position
  EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);
  at.setPosition(6);
  EXPECT_EQ(at.charFormat().fontWeight(), QFont::Normal);
  EXPECT_EQ(Get<QLineEdit>("Edit_crc16_in")->text(), "4660");
  EXPECT_NE(Get<QLineEdit>("Edit_crc16_vyp")->text(), "4660");
  EXPECT_TRUE(Enabled("BitBtn_tlac") && Enabled("BitBtn_copy_to_pc"));
  EXPECT_FALSE(Enabled("BitBtn_zrus"));
  EXPECT_FALSE(line.held);
}

TEST_F(FormCopyTest, ARefusedRequestShowsMessage61) {
  Entry(1);
  Get<QPushButton>("BitBtn_tlac")->click();
  EXPECT_EQ(line.sent.back(),
            "\x1b"
            "CD202612061\r");
  EXPECT_EQ(form.windowTitle(), "[60]");
  line.incoming = "\x15";
  boxes.Expect("[61]");
  RunUntilEnded();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].kind, BoxKind::App);
  EXPECT_EQ(form.windowTitle(), "[62]");

  // A fetch that is refused also says so in the document field.
  Get<QPushButton>("BitBtn_copy_to_pc")->click();
  EXPECT_EQ(line.sent.back(), "\x1bq1\r9999\r");
  line.incoming = std::string("\0\x15", 2);
  boxes.Expect("[61]");
  RunUntilEnded();
  EXPECT_EQ(Get<QTextEdit>("RE_doklad")->toPlainText(), "[60]\n[61]");
}

TEST_F(FormCopyTest, ABlockCutShortOrTooLongShowsMessage61InsteadOfADocument) {
  const std::string cut = "\x06" + test::FetchAnswer("abcdef", 0).substr(0, 5);
  const std::string too_long = "\x06\x27\x11" + std::string(40, 'x');  // 10001 bytes announced
  for (const std::string& answer : {cut, too_long}) {
    Get<QPushButton>("BitBtn_copy_to_pc")->click();
    line.incoming = answer;
    QElapsedTimer limit;
    limit.start();
    while (form.waiting() && line.incoming.size() == answer.size() && limit.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    clock.Advance(kCopyBlockPauseMs + 1);  // the cut block's pause runs out
    RunUntilEnded();
    EXPECT_EQ(Get<QTextEdit>("RE_doklad")->toPlainText(), "[60]\n[61]");
    EXPECT_TRUE(Get<QLineEdit>("Edit_crc16_in")->text().isEmpty());
  }
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(FormCopyTest, TheWaitCanBeCancelledOrRunsOutAfterAMinute) {
  Get<QPushButton>("BitBtn_tlac")->click();
  ASSERT_TRUE(form.waiting());
  form.reject();  // Esc stops the wait and keeps the window
  EXPECT_FALSE(form.waiting());
  EXPECT_FALSE(line.held);
  EXPECT_TRUE(Enabled("BitBtn_tlac"));
  EXPECT_EQ(form.windowTitle(), "[62]");
  EXPECT_EQ(closes, 0);

  Get<QPushButton>("BitBtn_tlac")->click();
  clock.Advance(kCopyAnswerTimeoutMs);
  boxes.Expect("[61]");
  RunUntilEnded();

  Get<QPushButton>("BitBtn_tlac")->click();
  form.reject();  // stops the wait
  form.reject();  // closes: the print-job timer hook runs once
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(line.ends, 3);
  form.ShowModal();  // without a screen it closes at once, and the timer runs again
  EXPECT_EQ(closes, 2);
}

TEST_F(FormCopyTest, FieldsFollowTheEntryAndMakeTheRequest) {
  EXPECT_TRUE(Enabled("Edit_kdokladu") && Enabled("BitBtn_copy_to_pc"));
  EXPECT_FALSE(Enabled("MaskEdit_od") || Enabled("CheckBox_datum") || Enabled("MaskEdit_casod"));
  EXPECT_EQ(Get<QLineEdit>("MaskEdit_od")->text(), "06.12.2026");
  EXPECT_EQ(Get<QCalendarWidget>("kalendar")->maximumDate(), QDate(2026, 12, 6));
  EXPECT_EQ(Get<QCalendarWidget>("kalendar")->firstDayOfWeek(), Qt::Monday);

  Entry(4);
  EXPECT_TRUE(Enabled("MaskEdit_od") && Enabled("MaskEdit_casdo"));
  EXPECT_FALSE(Enabled("CheckBox_datum") || Enabled("Edit_kdu") || Enabled("BitBtn_copy_to_pc"));
  EXPECT_EQ(Get<QLineEdit>("MaskEdit_casod")->text(), "14:30");
  Entry(5);  // changes nothing
  EXPECT_TRUE(Enabled("MaskEdit_casdo"));

  Entry(2);
  EXPECT_TRUE(Enabled("CheckBox_datum"));
  EXPECT_FALSE(Enabled("MaskEdit_casod"));
  Get<QLineEdit>("MaskEdit_od")->setText("01022010");
  Get<QLineEdit>("MaskEdit_do")->setText("28022010");
  Get<QPushButton>("BitBtn_tlac")->click();
  EXPECT_EQ(line.sent.back(), "\x1bXd20100201\r20100228\r\r");
  form.BitBtn_zrusClick();

  Get<QCheckBox>("CheckBox_datum")->click();  // by closing number
  EXPECT_EQ(Get<QLineEdit>("MaskEdit_do")->text(), "0001");
  Get<QAction>("PreniestdokolonkyDo1")->trigger();  // only while by date
  EXPECT_EQ(Get<QLineEdit>("MaskEdit_do")->text(), "0001");
  Get<QLineEdit>("MaskEdit_do")->setText("5");
  Get<QPushButton>("BitBtn_tlac")->click();
  EXPECT_EQ(line.sent.back(), "\x1bXP0001\r5\r\r");
  form.BitBtn_zrusClick();

  // Entering the closing number picks entry 1; entering the document number entry 0.
  Entry(0);
  QFocusEvent focus(QEvent::FocusIn);
  QCoreApplication::sendEvent(Get("Edit_kdu"), &focus);
  EXPECT_TRUE(Get<QGroupBox>("RG_kopie")->findChildren<QRadioButton*>()[1]->isChecked());

  Get<QLineEdit>("Edit_kdu")->clear();
  boxes.Expect("[193]");
  Get<QPushButton>("BitBtn_tlac")->click();  // an empty number sends nothing
  EXPECT_EQ(line.sent.size(), 2u);
}

}  // namespace
}  // namespace kv
