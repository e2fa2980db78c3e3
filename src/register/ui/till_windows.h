#pragma once

#include <functional>
#include <memory>
#include <string>

#include "register/payment_calc.h"
#include "register/price_list.h"

namespace kv {

class MessageTable;
class OperatorBoxes;
class TForm_platba;
class TForm_predaj;
class TForm_sklad;
class TillLink;
struct Config;

// The till's windows, created once at start in their order (sale window, price list editor,
// payment window), with the price list and the payment arithmetic they share. They reach the
// printer through the TillLink.
class TillWindows {
 public:
  struct Parts {
    const Config& cfg;
    TillLink& till;
    const MessageTable& messages;
    OperatorBoxes& boxes;
    std::function<bool()> price_list_access;            // the current user's priceListAccess
    std::function<void(const std::string&)> log_error;  // a line for the error file
  };

  // A price list folder that cannot be made is shown (message 65) and noted in the error file;
  // the till then works without a price list.
  explicit TillWindows(Parts parts);
  ~TillWindows();
  TillWindows(const TillWindows&) = delete;
  TillWindows& operator=(const TillWindows&) = delete;

  // Shows the sale window, non-modal, in front (the tray menu's "pop_pokladna").
  void ShowSaleWindow();
  // Shows it once the current event is over: a print-job tick that asks holds the printer, and
  // the window reads the printer as it opens.
  void ShowSaleWindowAfterThisEvent();
  // The language was changed: the sale and price list windows' message texts follow it.
  void LanguageChanged();

  TForm_predaj& sale_window() { return *predaj_; }
  TForm_sklad& price_list_window() { return *sklad_; }
  TForm_platba& payment_window() { return *platba_; }

 private:
  TillLink& till_;
  PriceList prices_;
  PaymentCalc calc_;
  std::unique_ptr<TForm_predaj> predaj_;
  std::unique_ptr<TForm_sklad> sklad_;
  std::unique_ptr<TForm_platba> platba_;
};

}  // namespace kv
