#include "app/screenshots.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "app/qt_view.h"

namespace kv {

namespace {

// Lets timers and layouts run for a moment (the journal viewer fills from a timer).
void Settle(int ms) {
  QElapsedTimer took;
  took.start();
  while (took.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

QString TakeScreenshot(MainWindow& window, const QString& entry, const QString& directory) {
  const QString window_part = entry.section(':', 0, 0).trimmed();
  const QString name = window_part.section('/', 0, 0);
  const QString button = window_part.section('/', 1);
  const QString item = entry.section(':', 1).trimmed();
  auto* menu = window.findChild<QMenu*>("PopupRB2900");
  if (!item.isEmpty()) {
    if (menu) emit menu->aboutToShow();  // the enabling of an opening menu
    auto* action = window.findChild<QAction*>(item);
    if (!action) return {};
    action->trigger();
  }
  QWidget* target = name == "PopupRB2900" ? menu : QtView::FindWindow(name.toStdString());
  if (!target) return {};
  const bool was_visible = target->isVisible();
  if (target == menu)
    menu->popup(window.mapToGlobal(QPoint(40, 40)));
  else if (!was_visible)
    target->show();
  if (!button.isEmpty()) {
    // A button of the window pressed before the picture (the copies window fetching a
    // document); the exchange with the printer runs on the event loop meanwhile.
    auto* pressed = target->findChild<QAbstractButton*>(button);
    if (!pressed) return {};
    pressed->click();
    Settle(2000);
  }
  Settle(300);
  const QString file = QDir(directory).filePath(name + ".png");
  const bool saved = target->grab().save(file, "PNG");
  if (!was_visible) target->hide();
  return saved ? file : QString();
}

bool ScheduleScreenshots(MainWindow& window) {
  const QString directory = qEnvironmentVariable("KV4910_SCREENSHOTS");
  if (directory.isEmpty()) return false;
  const QStringList entries =
      qEnvironmentVariable("KV4910_SCREENSHOT_WINDOWS").split(',', Qt::SkipEmptyParts);
  QTimer::singleShot(0, &window, [&window, directory, entries] {
    QDir().mkpath(directory);
    Settle(300);
    int failed = 0;
    for (const QString& entry : entries) {
      const QString file = TakeScreenshot(window, entry, directory);
      if (file.isEmpty()) ++failed;
      std::fprintf(stderr, "kv4910: screenshot %s: %s\n", qPrintable(entry),
                   file.isEmpty() ? "FAILED" : qPrintable(file));
    }
    QApplication::exit(failed == 0 ? 0 : 1);
  });
  return true;
}

}  // namespace kv
