#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "lang/message_table.h"
#include "register/receipt_text.h"

namespace kv {

// The tenders that settle a receipt: amount per tender (index 0 is tender 1, cash) and the
// sum the customer paid.
struct Payment {
  std::array<float, kTenders> tenders{};
  float paid = 0;
};

// Sums the tenders into `payment.paid` and, when they cover `total` in whole cents, takes the
// change off tender 1 so that they settle it exactly (tender 1 may go negative). False, with
// the tenders as they were, when they fall short.
bool SettlePayment(float total, Payment& payment);

// The payment window's logic: the cash received and at most one other tender must cover the
// receipt total; change comes off the cash tender, so the tenders settle the total exactly.
class PaymentCalc {
 public:
  explicit PaymentCalc(const MessageTable& messages) : messages_(messages) {}

  // Prepares for a receipt: cash proposes the exact total, the other tender is tender 2 with
  // an empty amount, the caption is message 64, nothing is accepted yet.
  void FormShow(float total);
  // The tender chosen in the list (index 0 ... 9). The other amount field is open for every
  // tender but cash; choosing cash empties it.
  void ChooseTender(int index);
  bool OtherAmountEnabled() const { return tender_index_ != 0; }

  // "&OK" with the two amount fields: true when the payment covers the total in whole cents.
  // Otherwise the caption becomes message 63 and the window stays open.
  bool BitBtn_okClick(std::string_view cash_text, std::string_view other_text);

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
  float total_ = 0;
  int tender_index_ = 1;
  std::string cash_text_;
  std::string other_text_;
  std::string caption_;
  bool accepted_ = false;
  Payment payment_;
};

}  // namespace kv
