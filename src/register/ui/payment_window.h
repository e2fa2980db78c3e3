#pragma once

#include <QDialog>
#include <QPoint>
#include <functional>
#include <optional>

#include "register/payment_calc.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kv {

struct Config;

// The payment window ("Form_platba"): the cash received and at most one other tender for the
// receipt being closed. It is modal but never waits: the sale screen opens it and is called
// back when it closes, with the accepted tenders or nothing.
class TForm_platba final : public QDialog {
  Q_OBJECT
 public:
  using Done = std::function<void(std::optional<Payment>)>;

  // `cfg` gives the tender names (plat1 ... plat10) each time the window is shown.
  TForm_platba(PaymentCalc& calc, const Config& cfg, QWidget* parent = nullptr);

  // Shows the window for `total`, placed relative to the sale screen's top-left corner.
  // `done` runs once, when the window closes.
  void Open(int64_t total_cents, QPoint sale_screen, Done done);

  void done(int result) override;

 private:
  void FormShow(int64_t total_cents);
  void CB_platidloExit();
  void BitBtn_okClick();

  PaymentCalc& calc_;
  const Config& cfg_;
  Done done_;
  QLineEdit* edit_hotovost_;
  QComboBox* cb_platidlo_;
  QLineEdit* edit_platidlo_;
  QPushButton* bitbtn_ok_;
};

}  // namespace kv
