#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace kv {

// The print manager's entry in the notification area: its picture tells the link state and its
// tool tip what the program is doing. Without a notification area (no tray available) the
// entry is kept but never shown.
class TrayIcon final : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);

  // 0: printer connected, 1: not connected.
  void SetPicture(int picture);
  int picture() const { return picture_; }
  void SetHint(const QString& hint);
  QString hint() const { return hint_; }
  // What the tool tip shows: the text before any "|", cut to 63 characters.
  QString shown_hint() const;
  bool shown() const;
  // The menu the right button opens.
  void SetMenu(QMenu* menu);

  static QString ShortHint(const QString& hint);
  // The two pictures, drawn here: a printer with a green (connected) or red light.
  static QPixmap Picture(int picture);

 signals:
  void doubleClicked();

 private:
  QSystemTrayIcon* tray_;
  int picture_ = -1;
  QString hint_;
};

}  // namespace kv
