// The till's windows as the program creates them, on the print manager's link to the printer
// simulator: what the operator types reaches the simulator's paper.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "gui/typing.h"
#include "register/ui/payment_window.h"
#include "register/ui/sale_window.h"
#include "app/area_windows.h"
#include "register/ui/till_windows.h"
#include "sim/line_printer.h"
#include "support/print_manager_fixture.h"

namespace kv {
namespace {

using test::Enter;
using test::Type;

class TillWiringTest : public ::testing::Test, public test::PrintManagerFakes {
 protected:
  TillWiringTest() : printer(line) {
    NumberMessages("[%d]");
    WorkInTempDirOnTheLine();
    pm.config().path_in = dir / "blocek.txt";
    pm.config().pokl_path_in = dir / "cennik/cennik.bin";
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }
  ~TillWiringTest() override {
    ConnectTillWindows(pm, nullptr);
    till.reset();
  }

  void Start() {
    EXPECT_EQ(pm.link().InitPort(0), 1);
    till = std::make_unique<TillWindows>(TillWindowParts(pm));
    ConnectTillWindows(pm, till.get());
  }
  template <typename T = QWidget>
  T* Sale(const char* name) {
    return till->sale_window().findChild<T*>(name);
  }
  QString GridCell(int row, int column) {
    QTableWidgetItem* item = Sale<QTableWidget>("StringGrid1")->item(row, column);
    return item ? item->text().trimmed() : QString();
  }
  sim::Engine& engine() { return printer.engine(); }

  sim::LinePrinter printer;
  std::unique_ptr<TillWindows> till;
};

TEST_F(TillWiringTest, TypedItemReachesTheSimulatorAndF12PaysAndGivesThePrinterBack) {
  std::filesystem::create_directories(dir / "cennik");
  TPriceCard bread;
  bread.name = "Chlieb";
  bread.code = "123";
  bread.price = 1.5;
  bread.vat_level = 1;
  ASSERT_TRUE(WritePriceFile(pm.config().pokl_path_in, {bread}));
  Start();

  // The first print-job tick opens the sale window when pokl_run is 1.
  pm.config().pokl_run = true;
  pm.startup().first_tick = true;
  pm.Timer_prmgrTimer();
  QApplication::processEvents();
  TForm_predaj& sale = till->sale_window();
  ASSERT_TRUE(sale.isVisible());
  EXPECT_EQ(Sale<QLabel>("Label_dkp")->text().toStdString(), engine().state().dkp);
  sale.activateWindow();
  QApplication::processEvents();

  QWidget* code = Sale("Edit_kod");
  code->setFocus();
  Type(code, "123");
  Enter(code);
  ASSERT_TRUE(Sale("Edit_cena")->hasFocus()) << "offscreen focus";
  EXPECT_EQ(Sale<QLineEdit>("Edit_cena")->text(), "1.5");
  Enter(Sale("Edit_cena"));
  EXPECT_EQ(GridCell(1, 1), "Chlieb");
  EXPECT_EQ(GridCell(1, 4), "1.50");
  ASSERT_TRUE(pm.link().WaitTxEmpty());  // the line carries the bytes after the till wrote them
  EXPECT_TRUE(engine().DocumentOpen());
  EXPECT_NE(engine().paper().find("Chlieb"), std::string::npos);
  EXPECT_EQ(pm.link().Holder(), TillLink::kHolder);

  auto* print = Sale<QAction>("F12_tlac");
  ASSERT_EQ(print->shortcut(), QKeySequence(Qt::Key_F12));
  print->trigger();
  TForm_platba& payment = till->payment_window();
  ASSERT_TRUE(payment.isVisible());
  payment.findChild<QLineEdit*>("Edit_hotovost")->setText("1");
  payment.findChild<QLineEdit*>("Edit_platidlo")->setText("0.50");
  payment.findChild<QPushButton*>("BitBtn_ok")->click();
  EXPECT_FALSE(payment.isVisible());
  EXPECT_FALSE(engine().DocumentOpen());
  EXPECT_EQ(engine().state().receipt_count, 1u);
  EXPECT_FALSE(pm.link().Leased());
}

TEST_F(TillWiringTest, TypedAmountsPrintLinesThatAddUpAndASilentPrinterLetsTheProgramGo) {
  std::filesystem::create_directories(dir / "cennik");
  dir.Write("cennik/cennik.bin", "");
  Start();
  till->ShowSaleWindow();
  for (const char* price : {"1.5*0.99", "150000.01"}) {
    Sale<QComboBox>("CB_nazov")->setEditText("Tovar");
    Sale<QLineEdit>("Edit_cena")->clear();
    Type(Sale("Edit_cena"), price);
    Enter(Sale("Edit_cena"));
  }
  EXPECT_EQ(GridCell(1, 4), "1.49");
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "   150001.50");
  Sale<QAction>("F12_tlac")->trigger();
  TForm_platba& payment = till->payment_window();
  ASSERT_TRUE(payment.isVisible());
  payment.findChild<QLineEdit*>("Edit_hotovost")->setText("200000");
  payment.findChild<QPushButton*>("BitBtn_ok")->click();
  ASSERT_FALSE(payment.isVisible());
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  const std::string paper = engine().TakePaper();
  EXPECT_NE(paper.find("    1.50 x     0.99  A        1.49\n"), std::string::npos) << paper;
  EXPECT_NE(paper.find("    1.00 x150000.01  A   150000.01\n"), std::string::npos) << paper;
  EXPECT_NE(paper.find("CELKOM                     150001.50 EUR"), std::string::npos) << paper;
  EXPECT_NE(paper.find("PLATBA 1                   150001.50"), std::string::npos) << paper;
  EXPECT_EQ(paper.find("PLATBA", paper.find("PLATBA") + 1), std::string::npos) << paper;
  EXPECT_EQ(paper.find("VYDAVOK"), std::string::npos) << paper;
  EXPECT_EQ(Sale<QLabel>("L_celkom")->text(), "   -49998.50");

  // A receipt open on a printer that went silent: quitting asks, and Yes lets the program go.
  Sale<QComboBox>("CB_nazov")->setEditText("Tovar");
  Type(Sale("Edit_cena"), "2");
  Enter(Sale("Edit_cena"));
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  engine().faults().silent = true;
  pm.config().UKONCI = 0;
  boxes.Expect("[248]", BoxAnswer::Yes, BoxAnswer::No);
  EXPECT_TRUE(pm.FormCloseQuery());
  EXPECT_FALSE(till->sale_window().isVisible());
  EXPECT_FALSE(pm.link().Leased());
  EXPECT_NE(dir.Read("FM_err.txt").find("1: Tovar 1.00 2.00 2.00"), std::string::npos);
  EXPECT_TRUE(engine().DocumentOpen());
}

TEST_F(TillWiringTest, APriceListFolderThatCannotBeMadeIsToldAndTheTillWorksWithoutIt) {
  dir.Write("cennik", "a file where the folder should be");
  boxes.Expect("[65]");
  Start();
  EXPECT_NE(dir.Read("FM_err.txt").find("[65] " + dir / "cennik"), std::string::npos);

  boxes.Expect("[89]", BoxAnswer::No, BoxAnswer::No).Expect("[65]");
  till->ShowSaleWindow();
  Sale<QComboBox>("CB_nazov")->setEditText("Mlieko");
  Sale<QLineEdit>("Edit_cena")->clear();
  Type(Sale("Edit_cena"), "2");
  Enter(Sale("Edit_cena"));
  EXPECT_EQ(GridCell(1, 1), "Mlieko");
  ASSERT_TRUE(pm.link().WaitTxEmpty());
  EXPECT_NE(engine().paper().find("Mlieko"), std::string::npos);
}

}  // namespace
}  // namespace kv
