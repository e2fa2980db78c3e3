#include "register/payment_calc.h"

#include "register/money.h"
#include "register/till_messages.h"

namespace kv {

void PaymentCalc::FormShow(int64_t total_cents) {
  total_ = total_cents;
  tender_index_ = 1;
  cash_text_ = FormatCents(total_cents, 3);
  other_text_.clear();
  caption_ = messages_.Text(kMsgPaymentCaption);
  accepted_ = false;
  bad_field_ = Field::None;
  payment_ = {};
}

void PaymentCalc::ChooseTender(int index) {
  tender_index_ = index >= 0 && index < kTenders ? index : 0;
  if (tender_index_ == 0) other_text_.clear();
}

bool PaymentCalc::BitBtn_okClick(std::string_view cash_text, std::string_view other_text) {
  cash_text_ = cash_text;
  other_text_ = tender_index_ == 0 ? std::string() : std::string(other_text);
  payment_ = {};
  accepted_ = false;
  bad_field_ = Field::None;
  // An empty field pays nothing; anything else must be an amount, never rounded to one.
  const auto read = [](const std::string& text, int64_t& cents) {
    const FixedPoint amount = ParseFixedPoint(text, kAmountDecimals, kMaxAmountCents);
    cents = amount.ok() ? amount.value : 0;
    return amount.refusal == FixedPoint::Empty || (amount.ok() && amount.value >= 0);
  };
  if (!read(cash_text_, payment_.tenders[0])) bad_field_ = Field::Cash;
  if (tender_index_ != 0 && !read(other_text_, payment_.tenders[tender_index_]) &&
      bad_field_ == Field::None)
    bad_field_ = Field::Other;
  if (bad_field_ != Field::None) {
    payment_ = {};
    caption_ = messages_.Text(kMsgAmountLimit);
    return false;
  }
  if (!SettlePayment(total_, payment_)) {
    caption_ = messages_.Text(kMsgPaymentShort);
    return false;
  }
  accepted_ = true;
  return true;
}

bool SettlePayment(int64_t total_cents, Payment& payment) {
  payment.paid = 0;
  for (const int64_t amount : payment.tenders) payment.paid += amount;
  if (payment.paid < total_cents) return false;
  payment.tenders[0] -= payment.paid - total_cents;
  return true;
}

std::array<std::string, kTenders> PaymentCalc::TenderNames(
    const std::array<FixedText<32>, kTenders>& plat) {
  std::array<std::string, kTenders> names;
  for (int i = 0; i < kTenders; ++i) names[i] = plat[i].str();
  return names;
}

}  // namespace kv
