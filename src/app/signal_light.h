#pragma once

#include <QAbstractButton>

namespace kv {

// A line-signal lamp (DSR, CTS): lit while checked. It only shows a state; the operator cannot
// switch it.
class SignalLight final : public QAbstractButton {
 public:
  SignalLight(const QString& name, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kv
