#include "qt/guarded_application.h"

#include <QMessageBox>
#include <cstdio>
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
  const std::string utf8 = Cp1250ToUtf8(text);
  std::fprintf(stderr, "kv4910: the program stopped on an error: %s\n", utf8.c_str());
  std::fflush(stderr);
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return;
  QMessageBox::critical(nullptr, QCoreApplication::applicationName(), QString::fromStdString(utf8));
}

}  // namespace kv
