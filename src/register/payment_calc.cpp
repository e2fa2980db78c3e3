#include "register/payment_calc.h"

#include "register/number_text.h"
#include "register/till_messages.h"

namespace kv {

void PaymentCalc::FormShow(float total) {
  total_ = total;
  tender_index_ = 1;
  cash_text_ = FormatFixed(total, 3, 2);
  other_text_.clear();
  caption_ = messages_.Text(kMsgPaymentCaption);
  accepted_ = false;
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
  payment_.tenders[0] = static_cast<float>(ParseDecimal(cash_text_).value_or(0.0));
  if (tender_index_ != 0)
    payment_.tenders[tender_index_] = static_cast<float>(ParseDecimal(other_text_).value_or(0.0));

  if (!SettlePayment(total_, payment_)) {
    caption_ = messages_.Text(kMsgPaymentShort);
    accepted_ = false;
    return false;
  }
  accepted_ = true;
  return true;
}

bool SettlePayment(float total, Payment& payment) {
  // Summed in single precision as the receipt keeps it, but compared in whole cents: a split
  // that equals the total to the cent is never short by a rounding fraction.
  long long paid_cents = 0;
  payment.paid = 0;
  for (float amount : payment.tenders) {
    payment.paid = static_cast<float>(static_cast<double>(payment.paid) + amount);
    paid_cents += WholeCents(amount);
  }
  const long long total_cents = WholeCents(total);
  if (paid_cents < total_cents) return false;
  if (paid_cents > total_cents) {
    const long long cash_cents = WholeCents(payment.tenders[0]) - (paid_cents - total_cents);
    payment.tenders[0] = static_cast<float>(static_cast<double>(cash_cents) / 100.0);
  }
  return true;
}

std::array<std::string, kTenders> PaymentCalc::TenderNames(
    const std::array<FixedText<32>, kTenders>& plat) {
  std::array<std::string, kTenders> names;
  for (int i = 0; i < kTenders; ++i) names[i] = plat[i].str();
  return names;
}

}  // namespace kv
