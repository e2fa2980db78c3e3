#include "core/ui/guarded_application.h"

#include <QMessageBox>
#include <exception>

#include "lang/codepage.h"

namespace kv {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (escaped_error_.empty()) escaped_error_ = error.what();
  } catch (...) {
    if (escaped_error_.empty()) escaped_error_ = "Unknown error";
  }
  QCoreApplication::exit(1);
  return false;
}

void ShowEscapedError(const std::string& text) {
  QMessageBox::critical(nullptr, QCoreApplication::applicationName(),
                        QString::fromStdString(Cp1250ToUtf8(text)));
}

}  // namespace kv
