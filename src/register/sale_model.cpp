#include "register/sale_model.h"

#include <algorithm>

#include "register/money.h"
#include "register/number_text.h"
#include "register/sale_entries.h"
#include "register/till_messages.h"

namespace kv {

namespace {

// Gives the printer back when an operation ends without a receipt left open; an open receipt
// keeps it until it is printed.
class ReceiptHold {
 public:
  ReceiptHold(TillPrinter& printer, const bool& receipt_open)
      : printer_(printer), receipt_open_(receipt_open) {}
  ReceiptHold(const ReceiptHold&) = delete;
  ReceiptHold& operator=(const ReceiptHold&) = delete;
  ~ReceiptHold() {
    if (!receipt_open_) printer_.Release();
  }

 private:
  TillPrinter& printer_;
  const bool& receipt_open_;
};

}  // namespace

SaleStatusTexts SaleStatusPanels(const TillLinkInfo& link, const MessageTable& messages) {
  SaleStatusTexts texts{std::to_string(link.document_number), std::to_string(link.second_counter),
                        link.port_name, ""};
  if (link.port_name.empty()) texts.port = messages.Text(kMsgNoPort);
  // With both gates on, the hardware flow control of RTS/CTS is the one shown.
  if (link.cts_gate)
    texts.handshake = "RTS/CTS";
  else if (link.dsr_gate)
    texts.handshake = "DTR/DSR ";
  return texts;
}

std::array<std::string, kVatLevels> VatLevelCaptions(const std::array<uint8_t, kVatLevels>& rates) {
  std::array<std::string, kVatLevels> captions;
  for (int i = 0; i < kVatLevels; ++i) captions[i] = std::to_string(rates[i]) + "%";
  return captions;
}

SaleModel::SaleModel(TillOutput& out, TillPrinter& printer, PriceList& prices,
                     const MessageTable& messages)
    : out_(out), printer_(printer), prices_(prices), messages_(messages) {}

SaleModel::Shown SaleModel::FormShow(std::string_view currency, bool port_configured) {
  currency_ = currency;
  Shown shown;
  if (port_configured) {
    shown.vat_captions = VatLevelCaptions(printer_.VatRates());
    shown.dkp = printer_.ReadDkp();
  }
  shown.prices = prices_.LoadPriceList(false);
  return shown;
}

SaleModel::AddOutcome SaleModel::AddItem(const SaleEntry& entry) {
  if (discount_mode_ && !DiscountAllowed()) {
    discount_mode_ = false;
    return AddOutcome::DiscountRefused;
  }
  if (receipt_open_ && ItemCount() >= kCapacity) return AddOutcome::ReceiptFull;
  if (!printer_.Take()) return AddOutcome::PrinterBusy;
  const ReceiptHold hold(printer_, receipt_open_);
  if (!printer_.QueryStatus(false)) return AddOutcome::PrinterNotReady;
  if (!receipt_open_) {
    items_.clear();
    selected_ = 0;
  }
  if (printer_.ConditionBlocksItems()) {
    printer_.QueryStatus(true);
    return AddOutcome::PrinterCondition;
  }

  AddOutcome refusal = AddOutcome::BadPrice;
  const std::optional<TSaleItem> item = BuildItem(entry, refusal);
  if (!item) return refusal;
  if (item->line_cents == 0) {
    // The fields go back to a plain item entry, so the mode goes with them.
    discount_mode_ = false;
    return AddOutcome::ZeroLineSum;
  }
  if (!WithinTotalLimit(*item)) return AddOutcome::TotalOverLimit;
  items_.push_back(*item);
  if (!WriteItemLine(ItemCount() - 1, false)) {
    items_.pop_back();
    return AddOutcome::NotSent;
  }
  selected_ = ItemCount() - 1;
  discount_mode_ = false;
  RecomputeTotal();
  return AddOutcome::Added;
}

std::optional<TSaleItem> SaleModel::BuildItem(const SaleEntry& entry, AddOutcome& refusal) const {
  std::string text = entry.price;
  std::replace(text.begin(), text.end(), ',', '.');
  const size_t star = text.find('*');
  const std::string price_text = star == std::string::npos ? text : text.substr(star + 1);
  refusal = AddOutcome::BadPrice;
  if (discount_mode_) {
    // A whole percentage of 1 to 99.
    const std::optional<int> percent = ParseCount(price_text);
    if (star != std::string::npos || !percent || *percent == 0 || *percent > 99)
      return std::nullopt;
    return DiscountItem(items_.back(), *percent, price_text, entry.name, entry.code);
  }

  const auto over_limit = [](const FixedPoint& read) {
    return read.refusal == FixedPoint::TooManyDecimals || read.refusal == FixedPoint::TooLarge;
  };
  const FixedPoint price = ParseFixedPoint(price_text, kAmountDecimals, kMaxUnitPriceCents);
  const FixedPoint quantity =
      star == std::string::npos
          ? FixedPoint{FixedPoint::None, 1000}
          : ParseFixedPoint(text.substr(0, star), kQuantityDecimals, kMaxQuantityMilli);
  if (over_limit(price)) refusal = AddOutcome::PriceOverLimit;
  if (!price.ok() || price.value == 0) return std::nullopt;
  if (over_limit(quantity)) refusal = AddOutcome::QuantityOverLimit;
  if (!quantity.ok()) return std::nullopt;
  if (entry.vat_level < 0 || entry.vat_level >= kVatLevels) {
    refusal = AddOutcome::NoVatLevel;
    return std::nullopt;
  }
  const char negative_type = entry.negative_kind == 1 ? kTypeReturned : kTypeNegative;
  TSaleItem item = EntryItem(entry.name, entry.code, price.value, quantity.value, entry.vat_level,
                             negative_type);
  if (item.line_cents > kMaxLineCents || item.line_cents < -kMaxLineCents) {
    refusal = AddOutcome::LineOverLimit;
    return std::nullopt;
  }
  return item;
}

bool SaleModel::DiscountAllowed() const {
  return !items_.empty() && items_.back().quantity_milli > 0 && items_.back().vat_letter != '0';
}

bool SaleModel::BitBtn_zlavaClick() {
  if (!DiscountAllowed()) return false;
  discount_mode_ = true;
  return true;
}

bool SaleModel::ZlavaEnabled() const {
  return DiscountAllowed() && selected_ == ItemCount() - 1;
}

SaleModel::DeleteOutcome SaleModel::DeleteItem() {
  if (items_.empty() || !receipt_open_) return DeleteOutcome::NoReceipt;
  if (selected_ < 0 || selected_ >= ItemCount()) return DeleteOutcome::NotDeletable;
  if (items_[selected_].type_letter == kTypeDiscount) return DeleteOutcome::NotDeletable;

  const bool with_discount =
      selected_ + 1 < ItemCount() && items_[selected_ + 1].type_letter == kTypeDiscount;
  for (int entries = with_discount ? 2 : 1; entries > 0; --entries) {
    if (!WriteItemLine(selected_, true)) {
      RecomputeTotal();
      return DeleteOutcome::NotSent;
    }
    items_.erase(items_.begin() + selected_);
    if (selected_ >= ItemCount() && selected_ > 0) --selected_;
  }
  RecomputeTotal();
  return DeleteOutcome::Deleted;
}

bool SaleModel::WriteItemLine(int index, bool reverse) {
  if (index < 0 || index >= ItemCount()) return false;
  const std::optional<std::string> line = ItemLineText(items_[index], reverse, currency_);
  if (!line) return false;
  if (!receipt_open_) {
    out_.ClearPreview();
    // A receipt whose opening did not reach the printer is not open: the next item opens it.
    if (!out_.SendPiece(OpeningText(invoice_))) return false;
    receipt_open_ = true;
  }
  return out_.SendPiece(*line);
}

SaleModel::PrintOutcome SaleModel::PrintReceipt(bool platidla, const PaymentStep& pay) {
  if (!receipt_open_) return PrintOutcome::NothingOpen;
  const ReceiptHold hold(printer_, receipt_open_);
  Payment payment;
  if (total_ > 0 && platidla) {
    const std::optional<Payment> accepted = pay ? pay(total_) : std::nullopt;
    if (!accepted) return PrintOutcome::PaymentNotAccepted;
    payment = *accepted;
  } else {
    payment.tenders[0] = total_;
  }
  if (!SendReceiptClosing(out_, total_, payment.tenders, currency_)) {
    printer_.ReceiptEnded(false, total_);
    return PrintOutcome::NotSent;
  }
  printer_.ReceiptEnded(true, total_);
  printer_.RefreshDeviceRecord();

  shown_after_print_ = total_ - payment.paid;
  ForgetReceipt();
  return PrintOutcome::Printed;
}

void SaleModel::ForgetReceipt() {
  total_ = 0;
  receipt_open_ = false;
  discount_mode_ = false;
  invoice_ = false;
  items_.clear();
  selected_ = 0;
}

SaleModel::CloseAnswer SaleModel::CloseQuery(
    OperatorBoxes& boxes, const std::function<void(const std::string&)>& log_error) {
  if (!receipt_open_) return CloseAnswer::NoReceipt;
  if (printer_.QueryStatus(false)) return CloseAnswer::PrinterAnswers;
  if (boxes.Captioned(messages_.Text(kMsgSaleCaption), messages_.Text(kMsgLeaveReceiptOpen),
                      BoxButtons::YesNo, BoxIcon::Warning, 1) != BoxAnswer::Yes)
    return CloseAnswer::KeptOpen;
  if (log_error) {
    // One line for the document, then one per entry as the grid shows it; the numbers keep
    // two equal entries from being counted as a repeat.
    log_error(messages_.Text(kMsgReceiptLeftOpen) + " " + std::to_string(ItemCount()) + ", " +
              FormatCents(total_, 0) + " " + currency_);
    for (int i = 0; i < ItemCount(); ++i) {
      std::string line = std::to_string(i + 1) + ":";
      for (const std::string& cell : ItemCells(i)) {
        const size_t first = cell.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        line += " " + cell.substr(first, cell.find_last_not_of(' ') - first + 1);
      }
      log_error(line);
    }
  }
  ForgetReceipt();
  printer_.Release();
  return CloseAnswer::LeftInPrinter;
}

SaleModel::DepositResult SaleModel::PrintDepositWithdrawal(
    bool withdrawal, const std::array<std::string, kTenders>& fields) {
  const TenderFieldAmounts amounts = ReadTenderFields(fields);
  if (amounts.bad_field >= 0) return {PrintOutcome::BadAmount, amounts.bad_field};
  if (!printer_.Take()) return {PrintOutcome::PrinterBusy};
  const ReceiptHold hold(printer_, receipt_open_);
  return {kv::PrintDepositWithdrawal(out_, withdrawal, amounts.cents) ? PrintOutcome::Printed
                                                                      : PrintOutcome::NotSent};
}

CashCountResult SaleModel::PrintCashCount(const CashCountFields& fields, std::string date,
                                          std::string time) {
  if (!printer_.Take()) return {CashCountResult::PrinterBusy};
  const ReceiptHold hold(printer_, receipt_open_);
  const CashCountTexts texts{currency_, messages_.Text(kMsgCashCountHeading),
                             messages_.Text(kMsgCashCountTotal), std::move(date), std::move(time)};
  return kv::PrintCashCount(out_, fields, texts);
}

std::optional<ArticleFields> SaleModel::FindByCode(std::string_view code) const {
  const std::optional<int> index = prices_.FindByCode(code);
  if (!index) return std::nullopt;
  return ArticleOf(prices_.Card(*index));
}

ArticleFields SaleModel::ArticleOf(const TPriceCard& card) {
  const std::optional<int64_t> cents = StoredPriceCents(card.price);
  return ArticleFields{card.code.str(), card.name.str(), cents ? FormatCentsShort(*cents) : "",
                       VatLevelValid(card) ? card.vat_level : -1, cents.has_value()};
}

std::vector<std::string> SaleModel::SearchByName(std::string_view text) {
  std::vector<std::string> names;
  for (int index : prices_.SearchByName(text)) names.push_back(prices_.Card(index).name.str());
  return names;
}

std::optional<ArticleFields> SaleModel::MatchFields(int n) const {
  const std::vector<int>& matches = prices_.Matches();
  if (n < 0 || n >= static_cast<int>(matches.size())) return std::nullopt;
  // The chosen entry itself, also when its article has no code to look it up by.
  return ArticleOf(prices_.Card(matches[n]));
}

void SaleModel::Select(int row) {
  selected_ = std::clamp(row, 0, std::max(ItemCount() - 1, 0));
}

std::array<std::string, 5> SaleModel::ItemCells(int index) const {
  const TSaleItem& item = Item(index);
  const bool discount = item.type_letter == kTypeDiscount;
  return {item.code.str(), item.name.str(),
          discount ? " " : FormatFixedPoint(item.quantity_milli, kQuantityDecimals, 6, 2),
          discount ? " " : FormatCents(item.unit_price_cents, 10), FormatCents(item.line_cents, 10)};
}

std::string SaleModel::TotalText() const {
  return FormatCents(total_, 12);
}

void SaleModel::RecomputeTotal() {
  total_ = 0;
  for (const TSaleItem& item : items_) total_ += item.line_cents;
}

bool SaleModel::WithinTotalLimit(const TSaleItem& added) const {
  int64_t positive = 0;
  int64_t negative = 0;
  const auto count = [&](const TSaleItem& item) {
    (item.line_cents > 0 ? positive : negative) += item.line_cents;
  };
  count(added);
  for (const TSaleItem& item : items_) count(item);
  return positive <= kMaxAmountCents && -negative <= kMaxAmountCents;
}

}  // namespace kv
