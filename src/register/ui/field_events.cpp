#include "register/ui/field_events.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

#include "lang/codepage.h"

namespace kv {

namespace {

// The character a key press types, as the key filters see it; nothing for a character the code
// page cannot hold.
std::optional<char> TypedChar(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kKeyEnter;
  const QString text = key.text();
  if (text.size() != 1) return std::nullopt;
  const std::string byte = ToCp1250(text);
  if (byte.size() != 1 || (byte[0] == '?' && text[0] != u'?')) return std::nullopt;
  return byte[0];
}

}  // namespace

FieldEvents::FieldEvents(QWidget* field, QLineEdit* edit) : QObject(field), edit_(edit) {
  // An editable combo box is the focus widget itself and hands its keys to its edit: the
  // field alone is watched.
  field->installEventFilter(this);
}

FieldEvents& FieldEvents::Watch(QWidget* field, QLineEdit* edit) {
  if (!edit) edit = qobject_cast<QLineEdit*>(field);
  if (auto* combo = qobject_cast<QComboBox*>(field); combo && !edit) edit = combo->lineEdit();
  return *new FieldEvents(field, edit);
}

bool FieldEvents::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      // A drop-down list opening, or another window taking the focus for a while, neither
      // enters nor leaves the field.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) break;
      const auto& handler = event->type() == QEvent::FocusIn ? on_focus_in : on_focus_out;
      if (handler) handler();
      break;
    }
    default:
      break;
  }
  return false;
}

bool FieldEvents::KeyPress(QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
    return false;
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (key->text().isEmpty() && !enter) return false;  // arrows, Delete, function keys
  const std::optional<char> typed = TypedChar(*key);
  if (!key_rule) {
    if (enter && on_return) {
      on_return();
      return true;
    }
    return false;
  }
  if (!typed) return true;
  const std::string text = edit_ ? ToCp1250(edit_->text()) : std::string();
  const EditText state{text, edit_ ? static_cast<size_t>(edit_->cursorPosition()) : 0,
                       edit_ ? static_cast<size_t>(edit_->selectedText().size()) : 0};
  const KeyVerdict verdict = key_rule(state, *typed);
  switch (verdict.action) {
    case KeyVerdict::Enter:
      if (on_return) on_return();
      return true;
    case KeyVerdict::Refuse:
      return true;
    case KeyVerdict::Accept:
      if (verdict.key == *typed) return false;
      if (edit_) edit_->insert(FromCp1250(std::string(1, verdict.key)));
      return true;
  }
  return true;
}

}  // namespace kv
