#include "register/ui/till_windows.h"

#include <QTimer>
#include <filesystem>

#include "base/config.h"
#include "base/operator_boxes.h"
#include "register/till_link.h"
#include "register/ui/payment_window.h"
#include "register/ui/price_list_window.h"
#include "register/ui/sale_window.h"

namespace kv {

TillWindows::TillWindows(Parts parts)
    : till_(parts.till),
      prices_(parts.cfg.pokl_path_in, parts.messages, parts.boxes, nullptr),
      calc_(parts.messages) {
  predaj_ = std::make_unique<TForm_predaj>(
      SaleScreenParts{prices_, till_, till_, till_, parts.boxes, parts.messages, parts.cfg,
                      parts.price_list_access, parts.log_error});
  sklad_ = std::make_unique<TForm_sklad>(prices_, till_, parts.messages, parts.log_error);
  platba_ = std::make_unique<TForm_platba>(calc_, parts.cfg);
  predaj_->SetCompanions(*platba_, *sklad_);

  if (!predaj_->CreationError().empty()) {
    const std::string folder =
        std::filesystem::path(parts.cfg.pokl_path_in).parent_path().string();
    parts.log_error(predaj_->CreationError() + " " + folder);
    parts.boxes.App(predaj_->CreationError() + "\n" + folder, BoxButtons::Ok, BoxIcon::Warning);
  }
  // Quitting with a receipt open asks the sale screen; a receipt left in the printer closes it.
  till_.receipt_close_query = [this] {
    const ReceiptCloseAnswer answer = predaj_->ReceiptCloseQuery();
    if (answer == ReceiptCloseAnswer::LeftInPrinter) predaj_->hide();
    return answer;
  };
}

TillWindows::~TillWindows() {
  till_.receipt_close_query = nullptr;
}

void TillWindows::LanguageChanged() {
  predaj_->LanguageChanged();
  sklad_->LanguageChanged();
}

void TillWindows::ShowSaleWindow() {
  if (predaj_->isMinimized()) predaj_->showNormal();
  predaj_->show();
  predaj_->raise();
  predaj_->activateWindow();
}

void TillWindows::ShowSaleWindowAfterThisEvent() {
  QTimer::singleShot(0, predaj_.get(), [this] { ShowSaleWindow(); });
}

}  // namespace kv
