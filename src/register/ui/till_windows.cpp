#include "register/ui/till_windows.h"

#include <QTimer>
#include <filesystem>

#include "core/print_manager.h"
#include "register/ui/payment_window.h"
#include "register/ui/price_list_window.h"
#include "register/ui/sale_window.h"
#include "settings/user_access.h"

namespace kv {

TillWindows::TillWindows(TSRB4900& pm)
    : pm_(pm),
      prices_(pm.config().pokl_path_in, pm.lang().messages(), pm.boxes(), nullptr),
      calc_(pm.lang().messages()) {
  const auto log_error = [&files = pm.files()](const std::string& line) { files.LogError(line); };
  TillLink& till = pm.till();
  predaj_ = std::make_unique<TForm_predaj>(
      SaleScreenParts{prices_, till, till, till, pm.boxes(), pm.lang().messages(), pm.config(),
                      [&users = pm.users()] { return users.priceListAccess() != 0; }, log_error});
  sklad_ = std::make_unique<TForm_sklad>(prices_, till, pm.lang().messages(), log_error);
  platba_ = std::make_unique<TForm_platba>(calc_, pm.config());
  predaj_->SetCompanions(*platba_, *sklad_);

  if (!predaj_->CreationError().empty()) {
    const std::string folder =
        std::filesystem::path(pm.config().pokl_path_in).parent_path().string();
    pm.files().LogError(predaj_->CreationError() + " " + folder);
    pm.boxes().App(predaj_->CreationError() + "\n" + folder, BoxButtons::Ok, BoxIcon::Warning);
  }
  // Quitting with a receipt open asks the sale screen; a receipt left in the printer closes it.
  till.receipt_close_query = [this] {
    const ReceiptCloseAnswer answer = predaj_->ReceiptCloseQuery();
    if (answer == ReceiptCloseAnswer::LeftInPrinter) predaj_->hide();
    return answer;
  };
  // The tick that asks holds the printer: the window reads the printer once the tick is over.
  pm.jobs().OnShowSaleWindow(
      [this] { QTimer::singleShot(0, predaj_.get(), [this] { ShowSaleWindow(); }); });
}

TillWindows::~TillWindows() {
  pm_.jobs().OnShowSaleWindow(nullptr);
  pm_.till().receipt_close_query = nullptr;
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

}  // namespace kv
