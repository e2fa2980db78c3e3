#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/operator_boxes.h"
#include "lang/message_table.h"
#include "register/payment_calc.h"
#include "register/price_list.h"
#include "register/receipt_text.h"
#include "register/sale_item.h"
#include "register/till_output.h"
#include "register/till_printer.h"

namespace kv {

// What the sale page holds when an item is added.
struct SaleEntry {
  std::string code;       // Edit_kod
  std::string name;       // CB_nazov
  std::string price;      // Edit_cena: "price", "quantity*price", a leading "-"; a percentage
                          // in discount mode
  int vat_level = 0;      // RG_dph, 0 ... 4; -1 when none is chosen
  int negative_kind = 0;  // CB_zaporne: 0 "Zaporne" (void), 1 "Vratene" (returned)
};

// An article of the price list as the sale page takes it.
struct ArticleFields {
  std::string code;
  std::string name;
  std::string price;   // the price it sells at, in cents written the short way ("0.13", "2")
  int vat_level = -1;  // -1: the record has no valid level, the operator chooses one
  bool sellable = true;  // false: the stored price is no number, negative or over the limit
};

// Status bar panels 1, 3, 4 and 5 of the sale screen: the document number, the second counter,
// the port name (message 66 without a port) and the handshake in force.
struct SaleStatusTexts {
  std::string document;
  std::string second_counter;
  std::string port;
  std::string handshake;
};
SaleStatusTexts SaleStatusPanels(const TillLinkInfo& link, const MessageTable& messages);

// The captions of the five VAT levels: each rate in decimal followed by "%".
std::array<std::string, kVatLevels> VatLevelCaptions(const std::array<uint8_t, kVatLevels>& rates);

// The sale screen's logic: the items of the receipt being built, discounts, deletions with
// their reversal lines, the total and the three printed documents. Every item goes to the
// printer the moment it is entered. A receipt is open from its first item until it has been
// printed; while it is open the window refuses to close (message 76) and to change pages, and
// the till holds the printer, so that nothing else prints inside the receipt. Each document
// takes the printer for its own exchange and gives it back when no receipt is left open.
class SaleModel {
 public:
  static constexpr int kCapacity = 1000;

  SaleModel(TillOutput& out, TillPrinter& printer, PriceList& prices, const MessageTable& messages);

  // What showing the window brings: with a port, the VAT level captions from the printer's
  // rates and its DKP (status record 'D'); and the price list, reloaded from its file.
  struct Shown {
    std::array<std::string, kVatLevels> vat_captions;
    std::string dkp;
    PriceListLoad prices;
  };
  // FormShow: takes the currency name of the active currency.
  Shown FormShow(std::string_view currency, bool port_configured);
  // CB_faktura: the receipt opens as an invoice. The choice is fixed while a receipt is open.
  void SetInvoice(bool invoice) { invoice_ = invoice; }
  bool Invoice() const { return invoice_; }
  bool InvoiceChoiceEnabled() const { return !receipt_open_; }

  enum class AddOutcome {
    Added,
    ZeroLineSum,       // the line amounts to 0.00: nothing added, the fields are reset
    BadPrice,          // the price (or quantity) is 0 or not a number: focus the price
    PriceOverLimit,    // more than 2 decimals or over 999,999.99: message 243, focus the price
    QuantityOverLimit, // more than 3 decimals or over 99,999.999: message 244
    LineOverLimit,     // the line over 9,999,999.99: message 245
    TotalOverLimit,    // the receipt's total could pass 99,999,999.99: message 246
    PrinterBusy,       // another exchange holds the printer: the operator has been told
    PrinterNotReady,   // no valid status answer
    PrinterCondition,  // the printer's condition was shown to the operator
    NoVatLevel,        // no VAT level chosen: message 184
    ReceiptFull,       // 1000 items: message 180
    DiscountRefused,   // the last item takes no discount (any more); discount mode ends
    NotSent,           // the port failed; nothing added
  };
  AddOutcome AddItem(const SaleEntry& entry);

  // "&Zlava": enters discount mode when the last item can take a discount.
  bool BitBtn_zlavaClick();
  bool DiscountAllowed() const;
  bool DiscountMode() const { return discount_mode_; }
  // The button is enabled while the last item's row is selected and it can take a discount.
  bool ZlavaEnabled() const;

  enum class DeleteOutcome {
    Deleted,
    NoReceipt,     // no items or no open receipt: the total shows "0.00"
    NotDeletable,  // the row holds no item, or a discount (deleted only with its item)
    NotSent,       // a reversal could not be sent: the entry stays
  };
  // Deletes the item of the selected row, and its discount when one follows it.
  DeleteOutcome DeleteItem();

  // Sends the item line (opening the receipt first); false when nothing could be sent.
  bool WriteItemLine(int index, bool reverse);

  enum class PrintOutcome {
    Printed,
    NothingOpen,
    PaymentNotAccepted,
    NotSent,
    PrinterBusy,
    BadAmount  // a tender field is no amount of at most two decimals: message 242
  };
  // The payment window: given the total in cents, the tenders that settle it, or nothing when
  // the window closed without an accepted payment.
  using PaymentStep = std::function<std::optional<Payment>(int64_t total_cents)>;
  // Closes the open receipt. A positive total goes through the payment step when `platidla`;
  // otherwise tender 1 takes the whole total.
  PrintOutcome PrintReceipt(bool platidla, const PaymentStep& pay);
  // The figure shown after a receipt: the total minus the paid sum (the change, negative).
  int64_t ShownAfterPrint() const { return shown_after_print_; }

  // Closing the window or quitting while a receipt is open. While the printer answers the
  // close is refused (F12 prints the receipt). While it does not, the operator is asked
  // (default No) whether to leave the document open in the printer: Yes notes the document and
  // its lines in the error file, forgets the receipt and gives the printer back.
  using CloseAnswer = ReceiptCloseAnswer;
  CloseAnswer CloseQuery(OperatorBoxes& boxes,
                         const std::function<void(const std::string&)>& log_error);

  // The other two pages. A deposit's tender field that is no amount stops it before anything
  // is sent; `field` tells which.
  struct DepositResult {
    PrintOutcome outcome = PrintOutcome::Printed;
    int field = -1;
  };
  DepositResult PrintDepositWithdrawal(bool withdrawal,
                                       const std::array<std::string, kTenders>& fields);
  CashCountResult PrintCashCount(const CashCountFields& fields, std::string date, std::string time);

  // Look-ups in the price list.
  std::optional<ArticleFields> FindByCode(std::string_view code) const;
  // The names of every article whose name contains `text` (ignoring case), in list order.
  std::vector<std::string> SearchByName(std::string_view text);
  // The article of entry `n` of the last search.
  std::optional<ArticleFields> MatchFields(int n) const;

  // Selecting a grid row (0 = first item row); a row below the last item selects the last.
  void Select(int row);
  int Selected() const { return selected_; }

  int ItemCount() const { return static_cast<int>(items_.size()); }
  const TSaleItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  // Grid cells of an item: code, name, quantity, unit price, line sum.
  std::array<std::string, 5> ItemCells(int index) const;
  bool ReceiptOpen() const { return receipt_open_; }
  int64_t Total() const { return total_; }
  // The total display: "%12.2f".
  std::string TotalText() const;

 private:
  static ArticleFields ArticleOf(const TPriceCard& card);
  std::optional<TSaleItem> BuildItem(const SaleEntry& entry, AddOutcome& refusal) const;
  void RecomputeTotal();
  // Whether the items with `added` could still be summed within the total's limit whatever is
  // deleted later: the positive lines and the negative lines each stay within it.
  bool WithinTotalLimit(const TSaleItem& added) const;
  void ForgetReceipt();

  TillOutput& out_;
  TillPrinter& printer_;
  PriceList& prices_;
  const MessageTable& messages_;
  std::string currency_ = "EUR";
  std::vector<TSaleItem> items_;
  int selected_ = 0;
  bool receipt_open_ = false;
  bool discount_mode_ = false;
  bool invoice_ = false;
  int64_t total_ = 0;
  int64_t shown_after_print_ = 0;
};

}  // namespace kv
