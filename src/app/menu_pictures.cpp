#include "app/menu_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace kv {

namespace {

constexpr int kSize = 32;

// A sheet of paper with a turned corner, and a letter on it when one is given.
void Sheet(QPainter& p, QRect r, const QString& letter, QColor ink) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 6, r.top());
  path.lineTo(r.right(), r.top() + 6);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPath(path);
  if (letter.isEmpty()) {
    p.setPen(QPen(Qt::gray, 1));
    for (int y = r.top() + 8; y < r.bottom() - 2; y += 4)
      p.drawLine(r.left() + 3, y, r.right() - 3, y);
    return;
  }
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(r.height() * 3 / 5);
  p.setFont(font);
  p.setPen(ink);
  p.drawText(r.adjusted(0, 4, 0, 0), Qt::AlignCenter, letter);
}

void Copies(QPainter& p, const QString& letter, QColor ink) {
  Sheet(p, QRect(10, 2, 19, 24), {}, ink);
  Sheet(p, QRect(3, 7, 19, 23), letter, ink);
}

void Till(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0x60, 0x60, 0x70));
  p.drawRect(4, 4, 14, 8);  // display
  p.setBrush(QColor(0x9c, 0xe0, 0x9c));
  p.drawRect(6, 6, 10, 4);
  p.setBrush(QColor(0xd8, 0xc8, 0x90));
  p.drawRoundedRect(2, 13, 28, 12, 2, 2);  // body with keys
  p.setBrush(Qt::white);
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 5; ++col) p.drawRect(5 + col * 5, 15 + row * 4, 3, 2);
  p.setBrush(QColor(0x80, 0x60, 0x30));
  p.drawRect(1, 26, 30, 4);  // drawer
}

void Drawer(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0x70, 0x70, 0x78));
  p.drawRect(2, 6, 28, 14);
  p.setBrush(QColor(0xc8, 0x98, 0x50));
  p.drawRect(5, 14, 22, 14);  // pulled out
  p.setBrush(QColor(0xf0, 0xd0, 0x40));
  for (int i = 0; i < 4; ++i) p.drawEllipse(7 + i * 5, 16, 4, 4);  // coins
  p.setBrush(Qt::black);
  p.drawRect(13, 24, 6, 2);  // handle
}

void Clock(QPainter& p) {
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::white);
  p.drawEllipse(3, 3, 26, 26);
  p.drawLine(16, 16, 16, 8);
  p.drawLine(16, 16, 22, 18);
  p.setBrush(Qt::black);
  p.drawEllipse(15, 15, 2, 2);
}

void Gear(QPainter& p) {
  p.translate(16, 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x50, 0x60, 0x80));
  for (int i = 0; i < 8; ++i) {
    p.drawRect(-3, -15, 6, 8);
    p.rotate(45);
  }
  p.drawEllipse(QPoint(0, 0), 10, 10);
  p.setBrush(Qt::white);
  p.drawEllipse(QPoint(0, 0), 4, 4);
  p.resetTransform();
}

void Plug(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0xb0, 0xb0, 0xb0));
  p.drawRect(9, 2, 3, 8);  // prongs
  p.drawRect(20, 2, 3, 8);
  p.setBrush(QColor(0x30, 0x60, 0xb0));
  p.drawRoundedRect(6, 10, 20, 11, 3, 3);
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(16, 21, 16, 30);
}

void Backup(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0x30, 0x50, 0x90));
  p.drawRect(5, 12, 24, 18);  // the backup store
  p.setBrush(Qt::white);
  p.drawRect(10, 21, 14, 7);
  p.setPen(QPen(QColor(0x20, 0x90, 0x30), 3));
  p.drawLine(17, 2, 17, 16);
  p.drawLine(11, 10, 17, 16);
  p.drawLine(23, 10, 17, 16);
}

void Journal(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0xf4, 0xf0, 0xe0));
  p.drawRect(8, 2, 16, 26);  // the paper strip
  p.setPen(QPen(Qt::gray, 1));
  for (int y = 6; y < 26; y += 3) p.drawLine(11, y, 21, y);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0xa0, 0x70, 0x40));
  p.drawEllipse(5, 24, 22, 7);  // the roll
}

void ErrorFile(QPainter& p) {
  Sheet(p, QRect(4, 2, 20, 26), {}, Qt::black);
  QPainterPath triangle;
  triangle.moveTo(22, 12);
  triangle.lineTo(31, 30);
  triangle.lineTo(13, 30);
  triangle.closeSubpath();
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0xe0, 0x30, 0x30));
  p.drawPath(triangle);
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(22, 18, 22, 25);
  p.drawPoint(22, 28);
}

}  // namespace

QPixmap MenuPicture(int position) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (position) {
    case 2:
      Backup(p);
      break;
    case 4:
      Till(p);
      break;
    case 5:
      Sheet(p, QRect(5, 2, 22, 28), "X", QColor(0x20, 0x40, 0xc0));
      break;
    case 6:
      Sheet(p, QRect(5, 2, 22, 28), "D", QColor(0x20, 0x90, 0x30));
      break;
    case 7:
      Sheet(p, QRect(5, 2, 22, 28), "M", QColor(0x90, 0x30, 0x90));
      break;
    case 8:
      Sheet(p, QRect(12, 1, 17, 21), {}, Qt::black);
      Sheet(p, QRect(8, 5, 17, 21), {}, Qt::black);
      Sheet(p, QRect(4, 9, 17, 21), {}, Qt::black);
      break;
    case 9:
      Copies(p, "B", QColor(0x20, 0x40, 0xc0));
      break;
    case 10:
      Copies(p, "D", QColor(0x20, 0x90, 0x30));
      break;
    case 12:
      Clock(p);
      break;
    case 13:
      Drawer(p);
      break;
    case 14:
      Gear(p);
      break;
    case 15:
      Plug(p);
      break;
    case 16:
      Journal(p);
      break;
    case 17:
      ErrorFile(p);
      break;
    default:
      return QPixmap();
  }
  return pixmap;
}

}  // namespace kv
