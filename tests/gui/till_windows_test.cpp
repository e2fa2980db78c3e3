// The till's windows driven as an operator would: keys into the fields, buttons, F-keys, and
// the bytes that reach the printer port.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

#include "base/config.h"
#include "app/qt_view.h"
#include "gui/typing.h"
#include "lang/language_map.h"
#include "register/number_text.h"
#include "register/ui/field_events.h"
#include "register/ui/payment_window.h"
#include "register/ui/price_list_window.h"
#include "register/ui/sale_window.h"
#include "support/escape_text.h"
#include "support/printed_receipt.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

using test::E;

class RecordingPort final : public TillPortWriter {
 public:
  bool WritePort(std::string_view bytes) override {
    bytes_.append(bytes);
    return true;
  }
  // What was written since the last look.
  std::string Take() { return std::exchange(bytes_, {}); }

 private:
  std::string bytes_;
};

class FixedLink final : public TillLinkStatus {
 public:
  TillLinkInfo SetupHandshake() override { return info; }
  TillLinkInfo info;
};

using test::Enter;
using test::Type;

std::string EmptyFile(const test::TempDir& dir, const std::string& name) {
  dir.Write(name, "");
  return dir / name;
}

class TillWindowsTest : public ::testing::Test {
 protected:
  TillWindowsTest() {
    cfg.port = 0;
    link.info = {"/dev/ttyS0", 41, 7, true, true};
    printer.dkp = "DKP 0815";
    predaj.SetCompanions(platba, sklad);
  }

  template <typename T = QWidget>
  T* Sale(const char* name) {
    return predaj.findChild<T*>(name);
  }
  template <typename T = QWidget>
  T* Editor(const char* name) {
    return sklad.findChild<T*>(name);
  }
  QString Cell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
  }
  QString Panel(int index) {
    return Sale<QStatusBar>("StatusBar1")
        ->findChild<QLabel*>(QStringLiteral("StatusBar1_%1").arg(index))
        ->text();
  }
  // An item of the given price under a free-text name.
  void AddItem(const QString& price) {
    Sale<QComboBox>("CB_nazov")->setEditText("Mlieko");
    Sale<QLineEdit>("Edit_cena")->clear();
    Type(Sale("Edit_cena"), price);
    Enter(Sale("Edit_cena"));
  }

  test::TempDir dir;
  MessageTable messages = test::NumberedMessages();
  test::ScriptedBoxes boxes;
  Config cfg;
  PriceList prices{EmptyFile(dir, "cennik.bin"), messages, boxes, nullptr};
  test::FakeTillPrinter printer;
  FixedLink link;
  RecordingPort port;
  std::vector<std::string> error_lines;
  PaymentCalc calc{messages};
  TForm_platba platba{calc, cfg};
  TForm_sklad sklad{prices, printer, messages,
                    [this](const std::string& line) { error_lines.push_back(line); }};
  TForm_predaj predaj{{prices, printer, link, port, boxes, messages, cfg, [] { return true; },
                       [this](const std::string& line) { error_lines.push_back(line); }}};
};

TEST_F(TillWindowsTest, ShowingTakesTheRatesTheDkpAndTheLinkState) {
  predaj.show();
  EXPECT_EQ(Sale<QGroupBox>("RG_dph")->findChildren<QRadioButton*>()[1]->text(), "10%");
  EXPECT_EQ(Sale<QLabel>("Label_dkp")->text(), "DKP 0815");
  EXPECT_EQ(Panel(1), "41");
  EXPECT_EQ(Panel(3), "7");
  EXPECT_EQ(Panel(4), "/dev/ttyS0");
  EXPECT_EQ(Panel(5), "RTS/CTS");
  EXPECT_EQ(Sale<QComboBox>("CB_zaporne")->itemText(1), "[150]");

  const SaleStatusTexts no_port = SaleStatusPanels({"", 1, 2, true, false}, messages);
  EXPECT_EQ(no_port.port, "[66]");
  EXPECT_EQ(no_port.handshake, "DTR/DSR ");
}

TEST_F(TillWindowsTest, TypedEntriesBecomeGridRowsAndReachThePortByteForByte) {
  TPriceCard bread;
  bread.name = "Chlieb";
  bread.code = "123";
  bread.price = 1.5;
  bread.vat_level = 1;
  const auto record = EncodePriceCard(bread);
  dir.Write("cennik.bin", std::string(reinterpret_cast<const char*>(record.data()), record.size()));
  predaj.show();
  predaj.activateWindow();
  QApplication::processEvents();

  // The code field takes digits only; Enter moves on, and leaving the field fills the article.
  QWidget* code = Sale("Edit_kod");
  code->setFocus();
  Type(code, "1x23");
  EXPECT_EQ(Sale<QLineEdit>("Edit_kod")->text(), "123");
  Enter(code);
  ASSERT_TRUE(Sale("Edit_cena")->hasFocus()) << "offscreen focus";
  EXPECT_EQ(Sale<QComboBox>("CB_nazov")->currentText(), "Chlieb");
  EXPECT_EQ(Sale<QLineEdit>("Edit_cena")->text(), "1.5");
  Enter(Sale("Edit_cena"));

  // Enter in the name searches the list, ignoring case.
  auto* name = Sale<QComboBox>("CB_nazov");
  name->setEditText("HLIE");
  Enter(name);
  EXPECT_EQ(name->count(), 1);
  EXPECT_EQ(Sale<QLineEdit>("Edit_kod")->text(), "123");
  name->hidePopup();
  Sale<QLineEdit>("Edit_kod")->clear();
  Sale<QLineEdit>("Edit_cena")->clear();

  // A free-text item at the level still chosen: "," goes in as ".", refused characters stay
  // out.
  Sale<QComboBox>("CB_nazov")->setEditText("Mlieko");
  Type(Sale("Edit_cena"), "2*1,2x5-");
  EXPECT_EQ(Sale<QLineEdit>("Edit_cena")->text(), "2*1.25");
  Enter(Sale("Edit_cena"));

  auto* grid = Sale<QTableWidget>("StringGrid1");
  EXPECT_EQ(Cell(grid, 1, 1).trimmed(), "Chlieb");
  EXPECT_EQ(Cell(grid, 2, 0).trimmed(), "");
  EXPECT_EQ(Cell(grid, 2, 2), "  2.00");
  EXPECT_EQ(Cell(grid, 2, 4), "      2.50");
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "        4.00");
  EXPECT_EQ(port.Take(), E + "b" + "Chlieb         \r\n" + "    1.00 x     1.50  " + E +
                             "2       1.50 EUR\r\n" + "Mlieko         \r\n" +
                             "    2.00 x     1.25  " + E + "2       2.50 EUR\r\n");
  EXPECT_TRUE(Sale<QPlainTextEdit>("RE_doklad")->toPlainText().contains("Mlieko"));
  EXPECT_FALSE(Sale("CB_faktura")->isEnabled());
}

TEST_F(TillWindowsTest, F12PaysInTwoTendersAndClosesTheReceipt) {
  predaj.show();
  AddItem("12.30");
  port.Take();
  auto* print = Sale<QAction>("F12_tlac");
  ASSERT_EQ(print->shortcut(), QKeySequence(Qt::Key_F12));

  // Closing the payment window any other way leaves the receipt open and sends nothing.
  print->trigger();
  ASSERT_TRUE(platba.isVisible());
  platba.reject();
  EXPECT_TRUE(predaj.model().ReceiptOpen());
  EXPECT_EQ(port.Take(), "");

  print->trigger();
  ASSERT_TRUE(platba.isVisible());
  EXPECT_EQ(platba.pos(), predaj.pos() + QPoint(390, 355));
  EXPECT_EQ(platba.windowTitle(), "[64]");
  auto* cash = platba.findChild<QLineEdit*>("Edit_hotovost");
  auto* other = platba.findChild<QLineEdit*>("Edit_platidlo");
  EXPECT_EQ(cash->text(), "12.30");
  EXPECT_EQ(platba.findChild<QComboBox*>("CB_platidlo")->currentIndex(), 1);

  cash->setText("12");
  platba.findChild<QPushButton*>("BitBtn_ok")->click();
  EXPECT_TRUE(platba.isVisible());
  EXPECT_EQ(platba.windowTitle(), "[63]");

  cash->setText("");
  Type(cash, "10");
  Type(other, "5,001");  // a third decimal is refused
  EXPECT_EQ(other->text(), "5.00");
  platba.findChild<QPushButton*>("BitBtn_ok")->click();
  EXPECT_FALSE(platba.isVisible());
  EXPECT_EQ(port.Take(), E + "k       12.30 EUR\r\n" + E + "P1        7.30\r\n" + E +
                             "P2        5.00\r\n" + E + "e");
  EXPECT_EQ(printer.device_records, 1);
  EXPECT_FALSE(predaj.model().ReceiptOpen());
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "       -2.70");
  EXPECT_EQ(Panel(0), "[79]");
  EXPECT_EQ(Cell(Sale<QTableWidget>("StringGrid1"), 1, 1), "");
  EXPECT_TRUE(Sale("CB_faktura")->isEnabled());
}

TEST_F(TillWindowsTest, TypedAmountsAddUpToThePrintedTotalAndThePaymentSettlesIt) {
  predaj.show();
  AddItem("1.5*0.99");
  AddItem("150000.01");
  auto* grid = Sale<QTableWidget>("StringGrid1");
  EXPECT_EQ(Cell(grid, 1, 4), "      1.49");
  EXPECT_EQ(Cell(grid, 2, 4), " 150000.01");
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "   150001.50");

  // More decimals than a price has are refused, never rounded; the field keeps its text.
  std::string receipt = port.Take();
  boxes.Expect("[243]");
  AddItem("0.125");
  EXPECT_EQ(Sale<QLineEdit>("Edit_cena")->text(), "0.125");
  EXPECT_EQ(port.Take(), "");

  Sale<QAction>("F12_tlac")->trigger();
  ASSERT_TRUE(platba.isVisible());
  auto* cash = platba.findChild<QLineEdit*>("Edit_hotovost");
  EXPECT_EQ(cash->text(), "150001.50");
  cash->setText("");
  Type(cash, "200000");
  platba.findChild<QPushButton*>("BitBtn_ok")->click();
  ASSERT_FALSE(platba.isVisible());
  const std::string closing = port.Take();
  EXPECT_EQ(closing, E + "k   150001.50 EUR\r\n" + E + "P1   150001.50\r\n" + E + "e");
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "   -49998.50");
  // The printed item lines add up to the printed total.
  const test::PrintedReceipt printed = test::ReadPrintedReceipt(receipt + closing);
  EXPECT_EQ(printed.lines, (std::vector<int64_t>{149, 15000001}));
  EXPECT_EQ(printed.LineSum(), printed.total);
}

TEST_F(TillWindowsTest, ASilentPrinterMayKeepOrLeaveTheOpenReceipt) {
  predaj.show();
  AddItem("1.5*0.99");
  printer.ready = false;
  boxes.Expect("[248]", BoxAnswer::No, BoxAnswer::No);
  EXPECT_FALSE(predaj.close());
  EXPECT_TRUE(predaj.model().ReceiptOpen());
  EXPECT_TRUE(printer.held);

  boxes.Expect("[248]", BoxAnswer::Yes, BoxAnswer::No);
  EXPECT_TRUE(predaj.close());
  EXPECT_FALSE(printer.held);
  EXPECT_FALSE(predaj.model().ReceiptOpen());
  EXPECT_EQ(error_lines, (std::vector<std::string>{"[249] 1, 1.49 EUR", "1: Mlieko 1.50 0.99 1.49"}));
  EXPECT_EQ(Cell(Sale<QTableWidget>("StringGrid1"), 1, 1), "");
}

TEST_F(TillWindowsTest, AnOpenReceiptKeepsTheWindowAndTheSalePage) {
  predaj.show();
  AddItem("1");
  auto* pages = Sale<QTabWidget>("PageControl1");
  pages->setCurrentIndex(1);
  EXPECT_EQ(pages->currentIndex(), 0);

  boxes.Expect("[76]");
  EXPECT_FALSE(predaj.close());
  EXPECT_TRUE(predaj.isVisible());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, "[77]");

  cfg.platidla = false;  // paid wholly in tender 1, no payment window
  Sale<QPushButton>("BitBtn_tlac")->click();
  EXPECT_FALSE(platba.isVisible());
  EXPECT_NE(port.Take().find(E + "P1        1.00\r\n" + E + "e"), std::string::npos);
  pages->setCurrentIndex(1);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_TRUE(predaj.close());
}

TEST_F(TillWindowsTest, DiscountOnTheLastItemAndDeletionWithIt) {
  predaj.show();
  AddItem("1");
  AddItem("2.99");
  port.Take();
  auto* grid = Sale<QTableWidget>("StringGrid1");
  auto* zlava = Sale<QPushButton>("BitBtn_zlava");
  grid->setCurrentCell(1, 0);  // not the last item: no discount
  EXPECT_FALSE(zlava->isEnabled());
  grid->setCurrentCell(5, 0);  // below the items: the last item's row
  EXPECT_EQ(grid->currentRow(), 2);
  ASSERT_TRUE(zlava->isEnabled());
  zlava->click();
  EXPECT_EQ(Sale<QLabel>("Label4")->text(), "[70]");
  EXPECT_EQ(Sale<QComboBox>("CB_nazov")->currentText(), "[69]");
  Type(Sale("Edit_cena"), "1.5");  // a whole percentage, two digits at most
  EXPECT_EQ(Sale<QLineEdit>("Edit_cena")->text(), "15");
  Enter(Sale("Edit_cena"));
  EXPECT_EQ(Cell(grid, 3, 4), "     -0.45");
  EXPECT_EQ(port.Take(), PadRight("[69]  15 %", 19) + "  " + E + "4B      -0.45 EUR\r\n");
  EXPECT_EQ(Sale<QLabel>("Label4")->text(), "[67]");

  // The discount goes only with its item: F8 on it does nothing, "." on the item takes back both.
  grid->setCurrentCell(3, 0);
  Sale<QAction>("F8_vymaz")->trigger();
  EXPECT_EQ(port.Take(), "");
  grid->setCurrentCell(2, 0);
  Type(grid, ".");
  const std::string sent = port.Take();
  EXPECT_NE(sent.find(E + "4D"), std::string::npos);
  EXPECT_NE(sent.find(E + "1       0.45 EUR"), std::string::npos);
  EXPECT_EQ(Cell(grid, 2, 1), "");
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "        1.00");
}

TEST_F(TillWindowsTest, DepositAndCashCountPagesPrintTheirDocuments) {
  predaj.show();
  auto* pages = Sale<QTabWidget>("PageControl1");
  pages->setCurrentIndex(1);
  EXPECT_EQ(Sale<QLabel>("L_plat0")->text(), FromCp1250(cfg.plat[0].view()));
  Type(Sale("Edit_plat0"), "100");
  Type(Sale("Edit_plat2"), "20");
  Sale<QPushButton>("BitBtn_tlac_vklad")->click();
  EXPECT_EQ(port.Take(),
            E + "V" + E + "P1      100.00\r\n" + E + "P3       20.00\r\n" + E + "e\r\n");
  // An amount of more than two decimals stops the deposit at its field.
  Type(Sale("Edit_plat4"), "0.004");
  boxes.Expect("[242]");
  Sale<QPushButton>("BitBtn_tlac_vklad")->click();
  EXPECT_EQ(port.Take(), "");

  // A count that is not whole stops the report before anything is sent.
  pages->setCurrentIndex(2);
  Type(Sale("Edit_minc0"), "1.5");
  boxes.Expect("[181]");
  Sale<QPushButton>("BitBtn_micovka")->click();
  EXPECT_EQ(port.Take(), "");
}

TEST_F(TillWindowsTest, PriceListEditorStoresAndRefusesADuplicateCode) {
  sklad.show();
  sklad.FormActivate();
  auto Fill = [this](const QString& code, const QString& name, const QString& price) {
    Editor<QLineEdit>("Edit_kod")->setText(code);
    Editor<QLineEdit>("Edit_nazov")->setText(name);
    Editor<QLineEdit>("Edit_cena")->setText(price);
    Editor<QComboBox>("CB_dph")->setCurrentIndex(1);
    Editor<QPushButton>("BitBtn_pridaj")->click();
  };
  Fill("100", "Chlieb", "1.5");
  auto* grid = Editor<QTableWidget>("StringGrid_sklad");
  EXPECT_EQ(Cell(grid, 0, 0), "[83]");
  EXPECT_EQ(Cell(grid, 1, 1), "Chlieb");
  EXPECT_EQ(Cell(grid, 1, 2), "2");
  EXPECT_EQ(Cell(grid, 1, 3), "      1.50");
  EXPECT_EQ(dir.Read("cennik.bin").size(), kPriceCardSize);

  Editor<QPushButton>("BitBtn_novy")->click();
  EXPECT_EQ(Editor<QLineEdit>("Edit_cena")->text(), "0.00");
  Fill("100", "Rozok", "0.1");
  EXPECT_EQ(prices.Count(), 1);
  EXPECT_EQ(Cell(grid, 2, 1), "");
  EXPECT_EQ(dir.Read("cennik.bin").size(), kPriceCardSize);
}

TEST_F(TillWindowsTest, CancelledFileDialogsChangeNothing) {
  std::optional<std::string> answer;
  sklad.file_dialog = [&answer](const TForm_sklad::FileQuestion&) { return answer; };
  prices.Store(0, {"1", "Chlieb", "1", 0});
  const std::string configured = dir.Read("cennik.bin");
  dir.Write("other.bin", "");
  sklad.show();

  Editor<QPushButton>("BitBtn_nacitaj")->click();
  EXPECT_EQ(prices.Count(), 1);
  EXPECT_EQ(prices.WorkingPath(), dir / "cennik.bin");

  // The list of another file is not written over the configured one unasked.
  answer = dir / "other.bin";
  Editor<QPushButton>("BitBtn_nacitaj")->click();
  EXPECT_EQ(prices.Count(), 0);
  answer.reset();
  Editor<QPushButton>("BitBtn_uloz")->click();
  EXPECT_EQ(dir.Read("cennik.bin"), configured);
  EXPECT_EQ(prices.WorkingPath(), dir / "other.bin");
}

TEST_F(TillWindowsTest, PastedTextPassesTheKeyFilterOrIsRefusedWhole) {
  auto* cash = platba.findChild<QLineEdit*>("Edit_hotovost");
  auto* code = Sale<QLineEdit>("Edit_kod");
  const struct {
    QLineEdit* field;
    const char* pasted;
    const char* shown;
  } cases[] = {
      {cash, "-5", "7.00"},     {cash, "12,5", "12.5"}, {cash, "1.234", "7.00"},
      {cash, "8\n", "7.00"},    {code, "858a", "7.00"}, {code, "858", "858"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pasted);
    c.field->setText("7.00");
    c.field->selectAll();
    QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "\x16");
    QApplication::sendEvent(c.field, &paste);
    EXPECT_EQ(c.field->text(), c.shown);
  }
}

TEST_F(TillWindowsTest, EveryControlTheLanguageFileNamesExists) {
  const std::pair<QWidget*, const char*> windows[] = {
      {&predaj, "Form_predaj"}, {&platba, "Form_platba"}, {&sklad, "Form_sklad"}};
  int checked = 0;
  for (const LanguageKey& key : LanguageKeys()) {
    const std::string target = key.target;
    const std::string window = target.substr(0, target.find('/'));
    for (const auto& [widget, name] : windows) {
      if (window != name) continue;
      ++checked;
      EXPECT_EQ(widget->objectName().toStdString(), name);
      if (window == target) continue;
      const QString control = QString::fromStdString(target.substr(window.size() + 1));
      QObject* object = widget->findChild<QObject*>(control);
      ASSERT_NE(object, nullptr) << target;
      if (key.property == LanguageProperty::Item) {
        auto* pages = qobject_cast<QTabWidget*>(object);
        const bool present =
            pages
                ? key.index < pages->count()
                : object->findChild<QLabel*>(control + "_" + QString::number(key.index)) != nullptr;
        EXPECT_TRUE(present) << target << " item " << key.index;
      }
      if (key.property == LanguageProperty::Cell) {
        EXPECT_LT(key.index, qobject_cast<QTableWidget*>(object)->columnCount()) << target;
      }
    }
  }
  EXPECT_GT(checked, 40);

  // The built-in texts land where they belong.
  QtView view;
  ApplyLanguage(nullptr, view, false, false, true);
  EXPECT_EQ(Sale<QPushButton>("BitBtn_tlac")->text(), QString::fromUtf8("&Tlač"));
  EXPECT_EQ(Panel(7), QString::fromUtf8("F12 Tlač,  F8 vymaž"));
  EXPECT_EQ(Cell(Sale<QTableWidget>("StringGrid1"), 0, 4), QString::fromUtf8("Cena/položku"));
  EXPECT_EQ(Sale<QTabWidget>("PageControl1")->tabText(1), QString::fromUtf8("V&klad / Výber"));
  EXPECT_EQ(platba.findChild<QLabel*>("Label1")->text(), QString::fromUtf8("Prijatá hotovosť"));
  EXPECT_EQ(sklad.windowTitle(), "Cennik");
}

}  // namespace
}  // namespace kv
