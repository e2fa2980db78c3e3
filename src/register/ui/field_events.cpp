#include "register/ui/field_events.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <memory>
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
  if (edit_ && edit_ != field) edit_->installEventFilter(this);
}

FieldEvents& FieldEvents::Watch(QWidget* field, QLineEdit* edit) {
  if (!edit) edit = qobject_cast<QLineEdit*>(field);
  if (auto* combo = qobject_cast<QComboBox*>(field); combo && !edit) edit = combo->lineEdit();
  return *new FieldEvents(field, edit);
}

bool FieldEvents::eventFilter(QObject*, QEvent* event) {
  const bool filtered = key_rule && edit_;
  switch (event->type()) {
    case QEvent::KeyPress:
      return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
      return filtered && ContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
    case QEvent::MouseButtonRelease:
      if (!filtered || static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton) break;
      if (QGuiApplication::clipboard()->supportsSelection())
        Paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
      return true;
    case QEvent::DragEnter:
    case QEvent::Drop:
      return filtered;  // not accepted: nothing is dropped
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
  if (key_rule && edit_ && key->matches(QKeySequence::Paste)) {
    Paste(QGuiApplication::clipboard()->text());
    return true;
  }
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

bool FieldEvents::ContextMenu(const QPoint& at) {
  // The field's own menu, whose "Paste" goes through the filter.
  std::unique_ptr<QMenu> menu(edit_->createStandardContextMenu());
  for (QAction* action : menu->actions()) {
    if (action->objectName() != QLatin1String("edit-paste")) continue;
    action->disconnect();
    connect(action, &QAction::triggered, this,
            [this] { Paste(QGuiApplication::clipboard()->text()); });
  }
  menu->exec(at);
  return true;
}

void FieldEvents::Paste(const QString& pasted) {
  if (pasted.isEmpty() || edit_->isReadOnly()) return;
  const std::string bytes = ToCp1250(pasted);
  if (FromCp1250(bytes) != pasted) return;  // a character the code page cannot hold
  // The text as it is once the selection is gone, and the caret where the paste goes.
  std::string text = ToCp1250(edit_->text());
  size_t caret = static_cast<size_t>(edit_->cursorPosition());
  if (edit_->hasSelectedText()) {
    caret = static_cast<size_t>(edit_->selectionStart());
    text.erase(caret, static_cast<size_t>(edit_->selectedText().size()));
  }
  std::string inserted;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 32) return;  // line ends, tabs: not text of a field
    const KeyVerdict verdict = key_rule(EditText{text, caret, 0}, c);
    if (verdict.action != KeyVerdict::Accept) return;
    text.insert(caret++, 1, verdict.key);
    inserted += verdict.key;
  }
  if (text.size() > static_cast<size_t>(edit_->maxLength())) return;
  edit_->insert(FromCp1250(inserted));
}

}  // namespace kv
