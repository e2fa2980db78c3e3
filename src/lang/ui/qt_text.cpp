#include "lang/ui/qt_text.h"

#include "lang/codepage.h"

namespace kv {

QString FromCp1250(std::string_view cp1250) {
  return QString::fromStdString(Cp1250ToUtf8(cp1250));
}

std::string ToCp1250(const QString& text) {
  return Utf8ToCp1250(text.toStdString());
}

}  // namespace kv
