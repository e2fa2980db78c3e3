#include "register/ui/named_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

QPushButton* NamedButton(const QString& name, QWidget* parent, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(true);  // Enter presses the focused button
  return button;
}

QLineEdit* NamedEdit(const QString& name, int max_length, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(max_length);
  return edit;
}

QLabel* NamedLabel(const QString& name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

}  // namespace kv
