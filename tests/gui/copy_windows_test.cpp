// The copies window as the program creates it: on the printer link, against the simulated
// printer.
#include "app/area_windows.h"
#include "reports/ui/copy_windows.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "reports/copy_exchange.h"
#include "reports/ui/form_copy.h"
#include "support/job_fixture.h"

namespace kv {
namespace {

class CopyWindowsTest : public test::JobTest {
 protected:
  template <typename T = QWidget>
  T* Get(const char* name) {
    T* child = windows.form().findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QString Document() { return Get<QTextEdit>("RE_doklad")->toPlainText(); }
  // Asks for `document` with `button` and lets the request run to its end.
  void Request(const char* button, uint32_t document) {
    Get<QLineEdit>("Edit_kdokladu")->setText(QString::number(document));
    Get<QPushButton>(button)->click();
    RunUntilEnded();
  }
  // Lets the window's poll timer run until the request has ended (at most five seconds); the
  // fake clock moves on meanwhile, so that the printer's answer arrives.
  void RunUntilEnded() {
    QElapsedTimer limit;
    limit.start();
    while (windows.form().waiting() && limit.elapsed() < 5000) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
      clock.Advance(10);
    }
    EXPECT_FALSE(windows.form().waiting());
  }

  CopyWindows windows{CopyWindowParts(pm)};
};

TEST_F(CopyWindowsTest, ADocumentThePrinterDoesNotHoldGivesMessage61) {
  WriteJob(test::Receipt());
  Tick();
  boxes.Expect("[61]");
  Request("BitBtn_copy_to_pc", engine().state().document_number + 1);
  EXPECT_EQ(Document(), "[60]\n[61]");
  EXPECT_FALSE(pm.link().Leased());
}

TEST_F(CopyWindowsTest, ARequestWhileAnotherExchangeKeepsThePrinterSendsNothing) {
  WriteJob(test::Receipt());
  Tick();
  const std::optional<PrinterLease> till = pm.link().TryLease("till receipt");
  engine().ClearReceived();
  Get<QPushButton>("BitBtn_tlac")->click();
  EXPECT_TRUE(windows.form().waiting());
  clock.Advance(kCopyTurnWaitMs);
  boxes.Expect("[220]");
  RunUntilEnded();
  EXPECT_EQ(Wire(), "");
  EXPECT_EQ(pm.link().Holder(), "till receipt");
}

TEST_F(CopyWindowsTest, ClosingStartsThePrintJobTimerAgainUnlessMessagingDrivesTheJobs) {
  for (const bool spravy : {false, true}) {
    pm.config().spravy = spravy;
    timer_prmgr.SetEnabled(false);
    windows.ShowCopiesWindow();  // without a screen the window closes at once
    EXPECT_EQ(timer_prmgr.Enabled(), !spravy) << spravy;
    EXPECT_FALSE(windows.CopiesWindowVisible());
  }
  windows.form().show();
  EXPECT_TRUE(windows.CopiesWindowVisible());
  windows.form().reject();
  EXPECT_FALSE(windows.CopiesWindowVisible());
}

}  // namespace
}  // namespace kv
