// The monthly report dialog, the password dialog, and the language texts of the report windows.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "base/ini_file.h"
#include "app/qt_view.h"
#include "fake_copy_line.h"
#include "lang/codepage.h"
#include "lang/language_map.h"
#include "reports/ui/form_copy.h"
#include "reports/ui/form_mesacna.h"
#include "settings/ui/password_dlg.h"
#include "support/fake_clock.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

class FormMesacnaTest : public ::testing::Test {
 protected:
  FormMesacnaTest()
      : form({messages, boxes, test::ShopTime, [this](const std::string& bytes) {
                sent.push_back(bytes);
                return line_works;
              }}) {
    form.show();  // FormShow: the last finished month
    QCoreApplication::processEvents();
  }
  QLineEdit* Year() { return form.findChild<QLineEdit*>("Edit_rok"); }
  QComboBox* Month() { return form.findChild<QComboBox*>("CB_mesiac"); }
  void Type(const char* text) {
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QCoreApplication::sendEvent(Year(), &key);
  }
  void Print() { form.findChild<QPushButton*>("BitBtn_tlac")->click(); }

  MessageTable messages = test::NumberedMessages();
  test::ScriptedBoxes boxes;
  std::vector<std::string> sent;
  bool line_works = true;
  TForm_mesacna form;
};

TEST_F(FormMesacnaTest, FebruaryTwoThousandTenSendsTheWholeMonth) {
  EXPECT_EQ(Month()->currentIndex(), 10);  // November: today is in December
  EXPECT_EQ(Month()->count(), 12);
  EXPECT_EQ(Year()->text(), "2026");
  Month()->setCurrentIndex(1);
  Year()->setText("201");
  Type("x");  // only digits get in
  Type("0");
  EXPECT_EQ(Year()->text(), "2010");
  Print();
  EXPECT_EQ(sent, std::vector<std::string>{"\x1bXD20100201\r20100231\r"});
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(FormMesacnaTest, AYearThatIsNoNumberOrALineThatFailsSendsNoClosing) {
  Year()->clear();
  boxes.Expect("[190]");
  Print();
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(form.isVisible());

  Year()->setText("2010");
  line_works = false;
  Print();
  EXPECT_EQ(sent.size(), 1u);
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(form.result(), QDialog::Accepted);

  // Without a screen the dialog is not shown and no closing is asked for.
  form.hide();
  EXPECT_FALSE(form.ShowModal());
  EXPECT_EQ(sent.size(), 1u);
}

TEST(PasswordDlg, WithoutAScreenItAnswersCancelAtOnce) {
  TPasswordDlg dialog;
  EXPECT_EQ(dialog.objectName(), "PasswordDlg");
  QLineEdit* password = dialog.findChild<QLineEdit*>("Password");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  EXPECT_EQ(password->maxLength(), 9);
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(dialog.AskPassword(), std::nullopt);
  EXPECT_LT(took.elapsed(), 1000);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ReportWindowTexts, EveryLanguageKeyOfTheWindowsReachesItsControl) {
  test::FakeCopyLine line;
  test::FakeClock clock;
  MessageTable messages;
  test::ScriptedBoxes boxes;
  TForm_copy copies({line, clock, messages, boxes, test::ShopTime, {}});
  TForm_mesacna monthly({messages, boxes, test::ShopTime, {}});
  int keys = 0;
  for (const LanguageKey& key : LanguageKeys()) {
    const std::string_view target = key.target;
    if (target.starts_with("Form_copy") || target.starts_with("Form_mesacna")) {
      EXPECT_NE(QtView::Find(target), nullptr) << target;
      ++keys;
    }
  }
  EXPECT_EQ(keys, 17 + 23);  // the key map's and our own

  test::TempDir dir;
  dir.Write("lang.lng", Utf8ToCp1250("[FORM_KV4910]\r\nTXT24=Kópie\r\nTXT26=Účtenka\r\n"
                                     "TXT25=Parametre\r\nHINT1=Od kedy\r\nBTN3=Vytlač\r\n"));
  const IniFile file(dir / "lang.lng");
  QtView view;
  ApplyLanguage(&file, view, false, false, true);
  EXPECT_EQ(copies.windowTitle(), QString::fromUtf8("Kópie"));
  EXPECT_EQ(copies.findChild<QGroupBox*>("RG_kopie")->findChildren<QRadioButton*>()[0]->text(),
            QString::fromUtf8("Účtenka"));
  EXPECT_EQ(copies.findChild<QGroupBox*>("GroupBox1")->title(), "Parametre");
  EXPECT_EQ(copies.findChild<QLineEdit*>("MaskEdit_od")->toolTip(), "Od kedy");
  EXPECT_EQ(monthly.findChild<QPushButton*>("BitBtn_tlac")->text(), QString::fromUtf8("Vytlač"));
}

}  // namespace
}  // namespace kv
