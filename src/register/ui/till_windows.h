#pragma once

#include <memory>

#include "register/payment_calc.h"
#include "register/price_list.h"

namespace kv {

class TForm_platba;
class TForm_predaj;
class TForm_sklad;
class TSRB4900;

// The till's windows, created once at start in their order (sale window, price list editor,
// payment window), with the price list and the payment arithmetic they share. They reach the
// printer through the print manager's TillLink. The sale window also opens at the first
// print-job tick when `pokl_run` is 1.
class TillWindows {
 public:
  // A price list folder that cannot be made is shown (message 65) and noted in the error file;
  // the till then works without a price list.
  explicit TillWindows(TSRB4900& pm);
  ~TillWindows();
  TillWindows(const TillWindows&) = delete;
  TillWindows& operator=(const TillWindows&) = delete;

  // Shows the sale window, non-modal, in front (the tray menu's "pop_pokladna").
  void ShowSaleWindow();
  // The language was changed: the sale and price list windows' message texts follow it.
  void LanguageChanged();

  TForm_predaj& sale_window() { return *predaj_; }
  TForm_sklad& price_list_window() { return *sklad_; }
  TForm_platba& payment_window() { return *platba_; }

 private:
  TSRB4900& pm_;
  PriceList prices_;
  PaymentCalc calc_;
  std::unique_ptr<TForm_predaj> predaj_;
  std::unique_ptr<TForm_sklad> sklad_;
  std::unique_ptr<TForm_platba> platba_;
};

}  // namespace kv
