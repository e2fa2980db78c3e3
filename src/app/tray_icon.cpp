#include "app/tray_icon.h"

#include <QPainter>
#include <QSystemTrayIcon>

namespace kv {

namespace {
constexpr int kMaxTipLength = 63;
}  // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), tray_(new QSystemTrayIcon(this)) {
  tray_->setObjectName("TrayRB2900");
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::DoubleClick) emit doubleClicked();
  });
  SetPicture(1);
  SetHint("#RB4900#");
  if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
}

void TrayIcon::SetPicture(int picture) {
  if (picture != 0 && picture != 1) return;
  if (picture == picture_) return;
  picture_ = picture;
  tray_->setIcon(QIcon(Picture(picture)));
}

void TrayIcon::SetHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  tray_->setToolTip(ShortHint(hint));
}

QString TrayIcon::shown_hint() const {
  return tray_->toolTip();
}

bool TrayIcon::shown() const {
  return tray_->isVisible();
}

void TrayIcon::SetMenu(QMenu* menu) {
  tray_->setContextMenu(menu);
}

QString TrayIcon::ShortHint(const QString& hint) {
  return hint.section(QLatin1Char('|'), 0, 0).left(kMaxTipLength);
}

QPixmap TrayIcon::Picture(int picture) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor body = picture == 0 ? QColor(0x2e, 0x9d, 0x3a) : QColor(0xc6, 0x28, 0x28);
  painter.setPen(QPen(Qt::black, 1));
  // Paper coming out of the top, the printer body, the paper slot and the status light.
  painter.setBrush(Qt::white);
  painter.drawRect(9, 2, 14, 12);
  painter.setBrush(body);
  painter.drawRoundedRect(2, 12, 28, 14, 3, 3);
  painter.setBrush(Qt::black);
  painter.drawRect(8, 16, 16, 2);
  painter.setBrush(picture == 0 ? QColor(0x7c, 0xff, 0x7c) : QColor(0xff, 0xe0, 0x40));
  painter.drawEllipse(23, 20, 4, 4);
  painter.setBrush(body.darker(130));
  painter.drawRect(5, 26, 22, 4);
  return pixmap;
}

}  // namespace kv
