#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "api/api_answer.h"
#include "register/receipt_text.h"

namespace kv {

// The request bodies of the HTTP interface, checked and turned into the printer's command
// text. A body that is not JSON, lacks a field or has one of the wrong type or out of range is
// a bad request (400); one that is well formed but cannot be printed (a text cp1250 cannot
// hold, an amount or quantity outside its limits, payments short of the total, a discount the
// till would refuse) is unprocessable (422). Amounts are read from the number's own digits
// into cents, quantities into thousandths, with the till's limits.

inline constexpr int kMaxItems = 1000;  // as many as the till's receipt holds

struct ReceiptItemRequest {
  std::string name;  // cp1250, at most 39 characters
  int64_t quantity_milli = 0;
  int64_t unit_price_cents = 0;
  int vat_level = 1;  // 1 ... 5
  char kind = 'N';    // 'N' sale, 'C' void, 'A' return
  int discount_percent = 0;  // 0: none
};

struct TenderPayment {
  int tender = 1;  // 1 ... 10
  int64_t amount_cents = 0;
};

struct ReceiptRequest {
  bool invoice = false;
  std::vector<ReceiptItemRequest> items;
  std::vector<TenderPayment> payments;
};

struct CashRequest {
  bool withdrawal = false;
  std::vector<TenderPayment> payments;
};

struct MonthlyReportRequest {
  int year = 0;
  int month = 0;
};

template <typename T>
using Checked = std::variant<T, ApiAnswer>;

Checked<ReceiptRequest> ParseReceipt(std::string_view body);
Checked<CashRequest> ParseCash(std::string_view body);
Checked<MonthlyReportRequest> ParseMonthly(std::string_view body);
// A body that must be empty or a JSON object (the commands without fields).
std::optional<ApiAnswer> CheckEmptyBody(std::string_view body);

// The receipt as the till writes it: ESC "b" (or "B"), the item lines with each discount right
// after its item, the total, the payment lines and ESC "e".
struct ReceiptText {
  std::string bytes;
  int64_t total = 0;  // cents
};
// `discount_label` is the discount's name as the till forms it (message 69's text, cp1250).
Checked<ReceiptText> BuildReceiptText(const ReceiptRequest& request, std::string_view currency,
                                      std::string_view discount_label);

// ESC "V" or ESC "v", one payment line per tender, ESC "e".
std::string BuildCashText(const CashRequest& request);

}  // namespace kv
