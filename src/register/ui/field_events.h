#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "lang/ui/qt_text.h"
#include "register/key_filters.h"

class QKeyEvent;
class QLineEdit;
class QPoint;
class QWidget;

namespace kv {

// Texts between the windows and the core: the core holds cp1250 bytes.

// The events of one of the till's fields, forwarded to its window: a typed character goes
// through a key filter of the core (refused characters are swallowed, "," goes in as "."),
// Enter runs `on_return`, and entering and leaving the field run `on_focus_in` and
// `on_focus_out`. Keys with Ctrl or Alt (shortcuts) are left to the field. Pasted text (Ctrl+V,
// the context menu, the middle button) goes through the key filter as if typed; a character
// the filter would refuse refuses the whole paste. Nothing can be dropped into a filtered field.
class FieldEvents final : public QObject {
 public:
  using KeyRule = std::function<KeyVerdict(const EditText& edit, char key)>;

  // Watches `field`; `edit` is the line edit that holds its text (the field itself, or the
  // edit of an editable combo box). Owned by the field.
  static FieldEvents& Watch(QWidget* field, QLineEdit* edit = nullptr);

  KeyRule key_rule;
  std::function<void()> on_return;
  std::function<void()> on_focus_in;
  std::function<void()> on_focus_out;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FieldEvents(QWidget* field, QLineEdit* edit);
  bool KeyPress(QKeyEvent* key);
  bool ContextMenu(const QPoint& at);
  void Paste(const QString& pasted);

  QLineEdit* edit_;
};

}  // namespace kv
