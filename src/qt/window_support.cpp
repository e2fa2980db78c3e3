#include "qt/window_support.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include "qt/quit_on_signal.h"
#include "lang/codepage.h"

namespace kv {

bool NoScreen() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal" || TerminationRequested();
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const QString typed = static_cast<QKeyEvent*>(event)->text();
  if (typed.size() != 1 || !typed[0].isPrint()) return false;
  const std::string byte = ToCp1250(typed);
  return byte.size() != 1 || !accepted_(byte[0]);
}

}  // namespace kv
