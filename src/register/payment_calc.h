#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "lang/message_table.h"
#include "register/receipt_text.h"

namespace kv {

// The tenders that settle a receipt, in cents: amount per tender (index 0 is tender 1, cash)
// and the sum the customer paid.
struct Payment {
  TenderCents tenders{};
  int64_t paid = 0;
};

// Sums the tenders into `payment.paid` and, when they cover `total_cents`, takes the change off
// tender 1 so that they settle it exactly (tender 1 may go negative). False, with the tenders
// as they were, when they fall short.
bool SettlePayment(int64_t total_cents, Payment& payment);

// The payment window's logic: the cash received and at most one other tender must cover the
// receipt total; change comes off the cash tender, so the tenders settle the total exactly.
class PaymentCalc {
 public:
  explicit PaymentCalc(const MessageTable& messages) : messages_(messages) {}

  // Prepares for a receipt: cash proposes the exact total, the other tender is tender 2 with
  // an empty amount, the caption is message 64, nothing is accepted yet.
  void FormShow(int64_t total_cents);
  // The tender chosen in the list (index 0 ... 9). The other amount field is open for every
  // tender but cash; choosing cash empties it.
  void ChooseTender(int index);
  bool OtherAmountEnabled() const { return tender_index_ != 0; }

  // "&OK" with the two amount fields: true when the payment covers the total. Otherwise the
  // window stays open with the caption message 63, or message 242 when a field is no amount of
  // at most two decimals within the limit (`BadField` tells which).
  bool BitBtn_okClick(std::string_view cash_text, std::string_view other_text);
  enum class Field { None, Cash, Other };
  Field BadField() const { return bad_field_; }

  // The ten tender names of plat1 ... plat10.
  static std::array<std::string, kTenders> TenderNames(
      const std::array<FixedText<32>, kTenders>& plat);

  const std::string& CashText() const { return cash_text_; }
  const std::string& OtherText() const { return other_text_; }
  int TenderIndex() const { return tender_index_; }
  const std::string& Caption() const { return caption_; }
  bool Accepted() const { return accepted_; }
  const Payment& Result() const { return payment_; }

 private:
  const MessageTable& messages_;
  int64_t total_ = 0;
  Field bad_field_ = Field::None;
  int tender_index_ = 1;
  std::string cash_text_;
  std::string other_text_;
  std::string caption_;
  bool accepted_ = false;
  Payment payment_;
};

}  // namespace kv
