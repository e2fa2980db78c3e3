#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kv {

// Controls of the till's windows, created under their component names.
QPushButton* NamedButton(const QString& name, QWidget* parent, const QString& text = {});
QLineEdit* NamedEdit(const QString& name, int max_length, QWidget* parent);
QLabel* NamedLabel(const QString& name, QWidget* parent);

}  // namespace kv
