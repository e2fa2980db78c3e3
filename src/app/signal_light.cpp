#include "app/signal_light.h"

#include <QPainter>

namespace kv {

SignalLight::SignalLight(const QString& name, QWidget* parent) : QAbstractButton(parent) {
  setObjectName(name);
  setText(name);
  setCheckable(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize SignalLight::sizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.horizontalAdvance(text()) + 24, std::max(18, metrics.height() + 4)};
}

void SignalLight::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int d = 12;
  const QRect lamp(2, (height() - d) / 2, d, d);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
  painter.setBrush(isChecked() ? QColor(0x30, 0xd0, 0x30) : QColor(0x70, 0x70, 0x70));
  painter.drawEllipse(lamp);
  painter.drawText(rect().adjusted(d + 8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace kv
