#include "app/qt_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMetaObject>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QThread>
#include <QWidget>
#include <string>

#include "app/main_window.h"
#include "lang/codepage.h"

namespace kv {

namespace {

QString Q(std::string_view cp1250) { return QString::fromStdString(Cp1250ToUtf8(cp1250)); }

}  // namespace

QWidget* QtView::FindWindow(std::string_view window) {
  const QString name = QString::fromUtf8(window.data(), static_cast<int>(window.size()));
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == name) return top;
  return nullptr;
}

QObject* QtView::Find(std::string_view control) {
  const size_t slash = control.find('/');
  QWidget* window = FindWindow(control.substr(0, slash));
  if (!window || slash == std::string_view::npos) return window;
  const std::string_view child = control.substr(slash + 1);
  return window->findChild<QObject*>(QString::fromUtf8(child.data(), static_cast<int>(child.size())));
}

void QtView::SetText(std::string_view control, std::string_view text) {
  QObject* object = Find(control);
  const QString value = Q(text);
  if (auto* label = qobject_cast<QLabel*>(object)) label->setText(value);
  else if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setText(value);
  else if (auto* edit = qobject_cast<QLineEdit*>(object)) edit->setText(value);
  else if (auto* text_edit = qobject_cast<QTextEdit*>(object)) text_edit->setPlainText(value);
  else if (auto* group = qobject_cast<QGroupBox*>(object)) group->setTitle(value);
  else if (auto* action = qobject_cast<QAction*>(object)) action->setText(value);
  else if (auto* menu = qobject_cast<QMenu*>(object)) menu->setTitle(value);  // a submenu's item
  else if (auto* widget = qobject_cast<QWidget*>(object)) widget->setWindowTitle(value);
}

void QtView::SetHint(std::string_view control, std::string_view hint) {
  QObject* object = Find(control);
  if (auto* action = qobject_cast<QAction*>(object)) action->setToolTip(Q(hint));
  else if (auto* widget = qobject_cast<QWidget*>(object)) widget->setToolTip(Q(hint));
}

void QtView::SetItemText(std::string_view control, int index, std::string_view text) {
  QObject* object = Find(control);
  const QString value = Q(text);
  if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
    if (index < tabs->count()) tabs->setTabText(index, value);
  } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
    if (index < combo->count()) combo->setItemText(index, value);
  } else if (auto* list = qobject_cast<QListWidget*>(object)) {
    if (QListWidgetItem* item = list->item(index)) item->setText(value);
  } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    // A radio group: its buttons in order.
    const auto buttons = group->findChildren<QAbstractButton*>();
    if (index >= 0 && index < buttons.size()) buttons[index]->setText(value);
  } else if (object) {
    // Status bar panels and other parted controls are labels named "<control>_<index>".
    if (auto* part = object->findChild<QLabel*>(object->objectName() + "_" + QString::number(index)))
      part->setText(value);
  }
}

void QtView::SetItems(std::string_view control, const std::vector<std::string>& items) {
  QObject* object = Find(control);
  QStringList list;
  for (const std::string& item : items) list << Q(item);
  if (auto* combo = qobject_cast<QComboBox*>(object)) {
    combo->clear();
    combo->addItems(list);
  } else if (auto* widget = qobject_cast<QListWidget*>(object)) {
    widget->clear();
    widget->addItems(list);
  }
}

void QtView::SetItemIndex(std::string_view control, int index) {
  QObject* object = Find(control);
  if (auto* combo = qobject_cast<QComboBox*>(object)) combo->setCurrentIndex(index);
  else if (auto* list = qobject_cast<QListWidget*>(object)) list->setCurrentRow(index);
  else if (auto* tabs = qobject_cast<QTabWidget*>(object)) tabs->setCurrentIndex(index);
  else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    // A radio group: its buttons in order.
    const auto buttons = group->findChildren<QAbstractButton*>();
    if (index >= 0 && index < buttons.size()) buttons[index]->setChecked(true);
  }
}

void QtView::SetCell(std::string_view control, int col, int row, std::string_view text) {
  auto* table = qobject_cast<QTableWidget*>(Find(control));
  if (!table || col < 0 || row < 0) return;
  if (row >= table->rowCount()) table->setRowCount(row + 1);
  if (col >= table->columnCount()) table->setColumnCount(col + 1);
  QTableWidgetItem* item = table->item(row, col);
  if (!item) {
    item = new QTableWidgetItem;
    table->setItem(row, col, item);
  }
  item->setText(Q(text));
}

void QtView::SetChecked(std::string_view control, bool checked) {
  // The serial port's event thread lights the line lamps: widgets are touched only on the
  // user-interface thread, so the change is queued there.
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    QMetaObject::invokeMethod(
        app, [name = std::string(control), checked] { ApplyChecked(name, checked); },
        Qt::QueuedConnection);
    return;
  }
  ApplyChecked(control, checked);
}

void QtView::ApplyChecked(std::string_view control, bool checked) {
  QObject* object = Find(control);
  if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setChecked(checked);
  else if (auto* action = qobject_cast<QAction*>(object)) action->setChecked(checked);
}

void QtView::SetVisible(std::string_view control, bool visible) {
  QObject* object = Find(control);
  if (auto* action = qobject_cast<QAction*>(object)) action->setVisible(visible);
  else if (auto* widget = qobject_cast<QWidget*>(object)) widget->setVisible(visible);
}

void QtView::SetEnabled(std::string_view control, bool enabled) {
  QObject* object = Find(control);
  if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(enabled);
  else if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(enabled);
}

void QtView::ShowWindow(std::string_view window, WindowState state) {
  QWidget* widget = FindWindow(window);
  if (!widget) return;
  switch (state) {
    case WindowState::Hidden:
      if (auto* main = qobject_cast<MainWindow*>(widget))
        main->HideToTray();
      else
        widget->hide();
      break;
    case WindowState::Normal: widget->showNormal(); break;
    case WindowState::Minimized: widget->showMinimized(); break;
    case WindowState::Front:
      widget->show();
      widget->raise();
      widget->activateWindow();
      break;
  }
}

void QtView::SetLocale(std::string_view window, std::string_view locale) {
  // The controls that have no locale of their own take the window's.
  if (QWidget* widget = FindWindow(window))
    widget->setLocale(QLocale(QString::fromUtf8(locale.data(), static_cast<int>(locale.size()))));
}

void QtView::SetTrayPicture(int picture) {
  if (on_tray_picture) on_tray_picture(picture);
}

void QtView::SetTrayHint(std::string_view hint) {
  if (on_tray_hint) on_tray_hint(Q(hint));
}

}  // namespace kv
