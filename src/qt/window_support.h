#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>

#include "lang/ui/qt_text.h"

// Small pieces the report windows share: texts across the code page boundary, whether anybody
// can see a window, and the key filters of the number fields.

namespace kv {

// Texts inside the program are cp1250; the widgets hold Unicode.

// Without a screen (the offscreen platform of a service or a test run), or once the program is
// ending on a signal, nobody can answer a modal window: it is not shown and changes nothing.
bool NoScreen();

// Drops every typed character that `accepted` refuses; keys that type nothing (Backspace,
// arrows, Delete, shortcuts) pass.
class KeyFilter final : public QObject {
 public:
  KeyFilter(bool (*accepted)(char), QObject* parent) : QObject(parent), accepted_(accepted) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool (*accepted_)(char);
};

}  // namespace kv
