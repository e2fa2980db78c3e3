// The sale screen's events: showing the window, the sale page's entry, the grid, printing and
// closing.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>

#include "base/config.h"
#include "base/operator_boxes.h"
#include "register/money.h"
#include "register/till_messages.h"
#include "register/ui/field_events.h"
#include "register/ui/payment_window.h"
#include "register/ui/sale_window.h"

namespace kv {

namespace {

constexpr int kVisibleRows = 10;
constexpr int kFieldLength = 12;
constexpr int kDiscountLength = 2;  // a percentage of 1 to 99

void SetPanel(QStatusBar* bar, int panel, const QString& text) {
  if (auto* label = bar->findChild<QLabel*>(QStringLiteral("StatusBar1_%1").arg(panel)))
    label->setText(text);
}

}  // namespace

std::string TForm_predaj::Message(int n) const {
  return parts_.messages.Text(n);
}

void TForm_predaj::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TForm_predaj::FormShow() {
  const int mena = parts_.cfg.mena;
  const bool known = mena >= 0 && static_cast<size_t>(mena) < kActiveCurrencies.size();
  const bool port = parts_.cfg.port >= 0;
  const SaleModel::Shown shown = sale_.FormShow(kActiveCurrencies[known ? mena : 0], port);
  if (port) {
    for (int level = 0; level < kVatLevels; ++level)
      vat_levels_->button(level)->setText(FromCp1250(shown.vat_captions[level]));
    SetVatLevel(0);
    label_dkp_->setText(FromCp1250(shown.dkp));
  }
  ShowMessageTexts();
  cb_zaporne_->setCurrentIndex(0);
  const std::string note = PriceListLoadNote(shown.prices, parts_.messages);
  if (!note.empty() && parts_.log_error) parts_.log_error(note);
  PageControl1Change(pages_->currentIndex());
}

void TForm_predaj::ShowMessageTexts() {
  const SaleStatusTexts panels = SaleStatusPanels(parts_.link.SetupHandshake(), parts_.messages);
  SetPanel(status_, 1, FromCp1250(panels.document));
  SetPanel(status_, 3, FromCp1250(panels.second_counter));
  SetPanel(status_, 4, FromCp1250(panels.port));
  SetPanel(status_, 5, FromCp1250(panels.handshake));
  cb_vklad_->setItemText(0, FromCp1250(Message(kMsgDeposit)));
  cb_vklad_->setItemText(1, FromCp1250(Message(kMsgDeposit + 1)));
  cb_zaporne_->setItemText(0, FromCp1250(Message(kMsgNegative)));
  cb_zaporne_->setItemText(1, FromCp1250(Message(kMsgNegative + 1)));
}

void TForm_predaj::LanguageChanged() {
  if (!isVisible()) return;  // showing the window takes the texts anew
  ShowMessageTexts();
  const int captions[] = {
      kMsgTotalCaption, cb_vklad_->currentIndex() == 1 ? kMsgWithdrawalCaption : kMsgDepositCaption,
      kMsgCountCaption};
  group_cena_->setTitle(FromCp1250(Message(captions[pages_->currentIndex()])));
}

void TForm_predaj::PageControl1Change(int page) {
  // While a receipt is open the sale page stays.
  if (page != 0 && sale_.ReceiptOpen()) {
    pages_->setCurrentIndex(0);
    return;
  }
  if (page == 0) TabSheet1Show();
  if (page == 1) TabSheet2Show();
  if (page == 2) TabSheet3Show();
}

void TForm_predaj::TabSheet1Show() {
  group_cena_->setTitle(FromCp1250(Message(kMsgTotalCaption)));
  ShowTotal(sale_.ReceiptOpen() ? sale_.TotalText() : "0.00");
  bitbtn_sklad_->setEnabled(parts_.price_list_access && parts_.price_list_access());
}

void TForm_predaj::TabSheet2Show() {
  cb_vklad_->setCurrentIndex(0);
  group_cena_->setTitle(FromCp1250(Message(kMsgDepositCaption)));
  ShowTotal("0.00");
  for (int i = 0; i < kTenders; ++i) {
    edit_plat_[i]->clear();
    l_plat_[i]->setText(FromCp1250(parts_.cfg.plat[i].view()));
  }
}

void TForm_predaj::TabSheet3Show() {
  group_cena_->setTitle(FromCp1250(Message(kMsgCountCaption)));
  for (QLineEdit* edit : edit_minc_) edit->clear();
}

void TForm_predaj::AddItem() {
  const SaleEntry entry{ToCp1250(edit_kod_->text()), ToCp1250(cb_nazov_->currentText()),
                        ToCp1250(edit_cena_->text()), vat_levels_->checkedId(),
                        cb_zaporne_->currentIndex()};
  using Outcome = SaleModel::AddOutcome;
  switch (sale_.AddItem(entry)) {
    case Outcome::Added:
      ResetEntry();
      ShowItems();
      ShowTotal(sale_.TotalText());
      rg_dph_->setEnabled(true);
      break;
    case Outcome::ZeroLineSum:
    case Outcome::DiscountRefused:
      ResetEntry();
      break;
    case Outcome::BadPrice:
      edit_cena_->setFocus();
      break;
    case Outcome::PriceOverLimit:
      RefuseEntry(kMsgPriceLimit);
      break;
    case Outcome::QuantityOverLimit:
      RefuseEntry(kMsgQuantityLimit);
      break;
    case Outcome::LineOverLimit:
      RefuseEntry(kMsgLineLimit);
      break;
    case Outcome::TotalOverLimit:
      RefuseEntry(kMsgTotalLimit);
      break;
    case Outcome::NoVatLevel:
      parts_.boxes.App(Message(kMsgChooseVatLevel), BoxButtons::Ok, BoxIcon::Warning);
      rg_dph_->setEnabled(true);
      break;
    case Outcome::ReceiptFull:
      parts_.boxes.App(Message(kMsgReceiptFull), BoxButtons::Ok, BoxIcon::Warning);
      break;
    case Outcome::PrinterBusy:  // the operator has been told
    case Outcome::PrinterNotReady:
    case Outcome::PrinterCondition:  // the printer's condition has been shown
    case Outcome::NotSent:
      break;
  }
  UpdateButtons();
}

void TForm_predaj::RefuseEntry(int message) {
  parts_.boxes.App(Message(message), BoxButtons::Ok, BoxIcon::Warning);
  edit_cena_->setFocus();
}

void TForm_predaj::ResetEntry() {
  edit_kod_->clear();
  cb_nazov_->clear();
  cb_nazov_->clearEditText();
  edit_cena_->clear();
  edit_kod_->setFocus();
  edit_cena_->setMaxLength(kFieldLength);
  label4_->setText(FromCp1250(Message(kMsgPriceLabel)));
  cb_zaporne_->setEnabled(false);
}

void TForm_predaj::DeleteItem() {
  switch (sale_.DeleteItem()) {
    case SaleModel::DeleteOutcome::NoReceipt:
      ShowTotal("0.00");
      group_cena_->setTitle(FromCp1250(Message(kMsgTotalCaption)));
      break;
    case SaleModel::DeleteOutcome::Deleted:
    case SaleModel::DeleteOutcome::NotSent:  // what was taken back is gone from the grid too
      ShowItems();
      ShowTotal(sale_.TotalText());
      break;
    case SaleModel::DeleteOutcome::NotDeletable:
      break;
  }
  UpdateButtons();
}

void TForm_predaj::BitBtn_zlavaClick() {
  if (!sale_.BitBtn_zlavaClick()) {
    bitbtn_zlava_->setEnabled(false);
    return;
  }
  cb_nazov_->clear();
  cb_nazov_->setEditText(FromCp1250(Message(kMsgDiscountName)));
  label4_->setText(FromCp1250(Message(kMsgDiscountLabel)));
  edit_cena_->clear();
  edit_cena_->setMaxLength(kDiscountLength);
  edit_cena_->setFocus();
  edit_kod_->clear();
}

void TForm_predaj::FindByCode(const std::string& code) {
  if (const auto article = sale_.FindByCode(code))
    ShowArticle(*article);
  else
    rg_dph_->setEnabled(true);
}

void TForm_predaj::ShowArticle(const ArticleFields& article) {
  edit_kod_->setText(FromCp1250(article.code));
  cb_nazov_->setEditText(FromCp1250(article.name));
  SetVatLevel(article.vat_level);
  edit_cena_->setText(FromCp1250(article.price));
  // An article without a valid level leaves the choice to the operator.
  rg_dph_->setEnabled(article.vat_level < 0);
  if (!article.sellable) {
    const std::string text = Message(kMsgPriceNotSellable) + " " + article.code;
    if (parts_.log_error) parts_.log_error(text);
    parts_.boxes.App(text, BoxButtons::Ok, BoxIcon::Warning);
  }
}

void TForm_predaj::NameSearch() {
  const QString typed = cb_nazov_->currentText();
  edit_kod_->clear();
  cb_nazov_->clear();
  const std::vector<std::string> names = sale_.SearchByName(ToCp1250(typed));
  if (names.empty()) {
    // A free-text name.
    cb_nazov_->setEditText(typed);
    edit_cena_->clear();
    edit_cena_->setFocus();
    rg_dph_->setEnabled(true);
    return;
  }
  for (const std::string& name : names) cb_nazov_->addItem(FromCp1250(name));
  cb_nazov_->setCurrentIndex(0);
  if (const auto article = sale_.MatchFields(0)) ShowArticle(*article);
  cb_nazov_->showPopup();
}

void TForm_predaj::CB_nazovExit() {
  if (cb_nazov_->count() == 0) return;
  if (const auto article = sale_.MatchFields(cb_nazov_->currentIndex())) ShowArticle(*article);
}

void TForm_predaj::Edit_cenaEnter() {
  if (cb_nazov_->currentText().isEmpty()) {
    cb_nazov_->setFocus();
    return;
  }
  if (edit_cena_->text() == "0") edit_cena_->clear();
}

void TForm_predaj::SetVatLevel(int level) {
  if (QAbstractButton* button = vat_levels_->button(level)) {
    button->setChecked(true);
    return;
  }
  vat_levels_->setExclusive(false);
  for (QAbstractButton* button : vat_levels_->buttons()) button->setChecked(false);
  vat_levels_->setExclusive(true);
}

void TForm_predaj::StringGrid1Select(int row) {
  if (showing_rows_) return;
  // Row 0 holds the headings; a row below the last item selects the last item.
  sale_.Select(row - 1);
  showing_rows_ = true;
  grid_->setCurrentCell(sale_.Selected() + 1,
                        grid_->currentColumn() < 0 ? 0 : grid_->currentColumn());
  showing_rows_ = false;
  UpdateButtons();
}

void TForm_predaj::ShowItems() {
  showing_rows_ = true;
  grid_->setRowCount(std::max(kVisibleRows, sale_.ItemCount()) + 1);
  for (int row = 1; row < grid_->rowCount(); ++row) {
    const int index = row - 1;
    const std::array<std::string, 5> cells =
        index < sale_.ItemCount() ? sale_.ItemCells(index) : std::array<std::string, 5>{};
    for (int column = 0; column < 5; ++column) {
      auto* cell = new QTableWidgetItem(FromCp1250(cells[column]));
      if (column >= 2) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid_->setItem(row, column, cell);
    }
  }
  grid_->setCurrentCell(sale_.Selected() + 1, 0);
  showing_rows_ = false;
}

void TForm_predaj::ShowTotal(const std::string& text) {
  l_celkom_->setText(FromCp1250(text));
}

void TForm_predaj::UpdateButtons() {
  bitbtn_zlava_->setEnabled(sale_.ZlavaEnabled());
  // The invoice choice is fixed once a receipt has items.
  cb_faktura_->setEnabled(sale_.InvoiceChoiceEnabled());
  const QSignalBlocker quiet(cb_faktura_);
  cb_faktura_->setChecked(sale_.Invoice());
}

void TForm_predaj::BitBtn_tlacClick() {
  switch (pages_->currentIndex()) {
    case 0:
      PrintReceipt();
      break;
    case 1:
      PrintDeposit();
      break;
    case 2:
      PrintCount();
      break;
  }
  UpdateButtons();
  bitbtn_zlava_->setEnabled(false);
}

void TForm_predaj::PrintReceipt() {
  if (!sale_.ReceiptOpen() || !payment_ || payment_->isVisible()) return;
  if (sale_.Total() > 0 && parts_.cfg.platidla) {
    // The payment window closes the receipt when it is accepted; otherwise the receipt stays
    // open and can be printed again.
    payment_->Open(sale_.Total(), pos(), [this](std::optional<Payment> payment) {
      if (!payment) return;
      const auto accepted = [&payment](int64_t) { return payment; };
      if (sale_.PrintReceipt(true, accepted) == SaleModel::PrintOutcome::Printed) ReceiptPrinted();
      UpdateButtons();
    });
    return;
  }
  if (sale_.PrintReceipt(false, nullptr) == SaleModel::PrintOutcome::Printed) ReceiptPrinted();
}

void TForm_predaj::ReceiptPrinted() {
  ShowTotal(FormatCents(sale_.ShownAfterPrint(), 12));
  group_cena_->setTitle(FromCp1250(Message(kMsgChangeCaption)));
  ShowItems();
  SetPanel(status_, 0, FromCp1250(Message(kMsgReceiptPrinted)));
}

void TForm_predaj::PrintDeposit() {
  const SaleModel::DepositResult result =
      sale_.PrintDepositWithdrawal(cb_vklad_->currentIndex() == 1, TenderFields());
  if (result.outcome != SaleModel::PrintOutcome::BadAmount) return;
  parts_.boxes.App(Message(kMsgAmountLimit), BoxButtons::Ok, BoxIcon::Warning);
  edit_plat_[result.field]->setFocus();
}

void TForm_predaj::PrintCount() {
  const QLocale locale = QLocale::system();
  const QDateTime now = QDateTime::currentDateTime();
  const CashCountResult result = sale_.PrintCashCount(
      CountFields(), ToCp1250(locale.toString(now.date(), QLocale::ShortFormat)),
      ToCp1250(locale.toString(now.time(), QLocale::LongFormat)));
  if (result.outcome != CashCountResult::BadCount) return;
  parts_.boxes.App(Message(kMsgCountNotWhole), BoxButtons::Ok, BoxIcon::Warning);
  edit_minc_[result.field]->setFocus();
}

std::array<std::string, kTenders> TForm_predaj::TenderFields() const {
  std::array<std::string, kTenders> fields;
  for (int i = 0; i < kTenders; ++i) fields[i] = ToCp1250(edit_plat_[i]->text());
  return fields;
}

CashCountFields TForm_predaj::CountFields() const {
  CashCountFields fields;
  for (int i = 0; i < kDenominations; ++i) fields[i] = ToCp1250(edit_minc_[i]->text());
  return fields;
}

ReceiptCloseAnswer TForm_predaj::ReceiptCloseQuery() {
  const ReceiptCloseAnswer answer = sale_.CloseQuery(parts_.boxes, parts_.log_error);
  if (answer == ReceiptCloseAnswer::LeftInPrinter) {
    ShowItems();
    ShowTotal("0.00");
    UpdateButtons();
  }
  return answer;
}

void TForm_predaj::closeEvent(QCloseEvent* event) {
  switch (ReceiptCloseQuery()) {
    case ReceiptCloseAnswer::NoReceipt:
    case ReceiptCloseAnswer::LeftInPrinter:
      event->accept();
      return;
    case ReceiptCloseAnswer::PrinterAnswers:
      parts_.boxes.Captioned(Message(kMsgSaleCaption), Message(kMsgReceiptOpen), BoxButtons::Ok,
                             BoxIcon::Warning);
      break;
    case ReceiptCloseAnswer::KeptOpen:
      break;
  }
  event->ignore();
}

}  // namespace kv
