#include "qt/qt_app_shell.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "qt/quit_on_signal.h"
#include "lang/codepage.h"

namespace kv {

void QtAppShell::SetTitle(std::string_view title) {
  QCoreApplication::setApplicationName(QString::fromStdString(Cp1250ToUtf8(title)));
}

std::string QtAppShell::Title() const {
  return Utf8ToCp1250(QCoreApplication::applicationName().toStdString());
}

void QtAppShell::Quit() {
  quitting_ = true;
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

bool QtAppShell::Ending() const { return quitting_ || TerminationRequested(); }

}  // namespace kv
