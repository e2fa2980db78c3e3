#include "api/api_requests.h"

#include <initializer_list>

#include "api/json_exact.h"
#include "lang/codepage.h"
#include "register/money.h"
#include "register/payment_calc.h"
#include "register/sale_entries.h"

namespace kv {

namespace {

using nlohmann::json;

// Reads the fields of one JSON object; the first problem found is kept and later reads do
// nothing.
class Fields {
 public:
  Fields(const json& object, std::string where) : object_(object), where_(std::move(where)) {}

  bool failed() const { return error_.has_value(); }
  ApiAnswer error() const { return *error_; }
  void Fail(ApiAnswer answer) {
    if (!error_) error_ = std::move(answer);
  }
  void FailBad(const std::string& text) { Fail(BadRequest(where_ + text)); }

  // Refuses a field that is not one of `known`: a misspelt optional field would otherwise be
  // ignored without a word.
  void OnlyKnown(std::initializer_list<const char*> known) {
    for (auto it = object_.begin(); it != object_.end(); ++it) {
      bool found = false;
      for (const char* name : known) found = found || it.key() == name;
      if (!found) FailBad("unknown field \"" + it.key() + "\"");
    }
  }

  const json* Get(const char* name, bool required) {
    if (failed()) return nullptr;
    const auto it = object_.find(name);
    if (it == object_.end()) {
      if (required) FailBad("\"" + std::string(name) + "\" is missing");
      return nullptr;
    }
    return &*it;
  }

  bool Bool(const char* name, bool fallback) {
    const json* v = Get(name, false);
    if (!v) return fallback;
    if (!v->is_boolean()) FailBad("\"" + std::string(name) + "\" must be true or false");
    return failed() ? fallback : v->get<bool>();
  }

  int Int(const char* name, int low, int high, std::optional<int> fallback) {
    const json* v = Get(name, !fallback);
    if (!v) return fallback.value_or(0);
    if (!v->is_number_integer() || v->get<long long>() < low || v->get<long long>() > high) {
      FailBad("\"" + std::string(name) + "\" must be a whole number from " + std::to_string(low) +
              " to " + std::to_string(high));
      return 0;
    }
    return static_cast<int>(v->get<long long>());
  }

  // A number above 0 with at most `decimals` decimals and at most `high` (in units of
  // 10^-decimals), read from its digits. Not a number: 400; a number outside the limits: 422.
  int64_t Positive(const char* name, int decimals, int64_t high) {
    const json* v = Get(name, true);
    if (!v) return 0;
    const FixedPoint read = JsonFixedPoint(*v, decimals, high);
    if (read.refusal == FixedPoint::NotANumber) {
      FailBad("\"" + std::string(name) + "\" must be a number");
      return 0;
    }
    if (!read.ok() || read.value <= 0) {
      const std::string smallest = "0." + std::string(static_cast<size_t>(decimals - 1), '0') + "1";
      Fail(Unprocessable(where_ + "\"" + name + "\" must be from " + smallest + " to " +
                         FormatFixedPoint(high, decimals, 0, decimals) + " with at most " +
                         std::to_string(decimals) + " decimals"));
      return 0;
    }
    return read.value;
  }

  std::string String(const char* name, std::optional<std::string> fallback) {
    const json* v = Get(name, !fallback);
    if (!v) return fallback.value_or("");
    if (!v->is_string()) {
      FailBad("\"" + std::string(name) + "\" must be a text");
      return {};
    }
    return v->get<std::string>();
  }

  const json* Array(const char* name, bool required, size_t most) {
    const json* v = Get(name, required);
    if (!v) return nullptr;
    if (!v->is_array() || v->size() > most) {
      FailBad("\"" + std::string(name) + "\" must be a list of at most " + std::to_string(most) +
              " entries");
      return nullptr;
    }
    return v;
  }

  const std::string& where() const { return where_; }

 private:
  const json& object_;
  std::string where_;
  std::optional<ApiAnswer> error_;
};

std::optional<json> ParseObject(std::string_view body, ApiAnswer& error) {
  std::optional<json> doc = ParseJsonExact(body);
  if (!doc) {
    error = BadRequest("the body is not JSON");
    return std::nullopt;
  }
  if (!doc->is_object()) {
    error = BadRequest("the body must be a JSON object");
    return std::nullopt;
  }
  return doc;
}

// A text for the printer: cp1250 and no control characters (a byte 27 would start a command).
std::optional<std::string> PrinterText(const std::string& utf8, Fields& fields, const char* name) {
  const auto text = Utf8ToCp1250Exact(utf8);
  if (!text) {
    fields.Fail(Unprocessable(fields.where() + "\"" + name +
                              "\" holds a character the printer's code page (cp1250) cannot hold"));
    return std::nullopt;
  }
  for (const char c : *text) {
    const auto b = static_cast<unsigned char>(c);
    // The five bytes cp1250 leaves undefined stand for C1 controls.
    const bool c1 = b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
    if (b < 0x20 || b == 0x7F || c1) {
      fields.Fail(Unprocessable(fields.where() + "\"" + name + "\" holds a control character"));
      return std::nullopt;
    }
  }
  return text;
}

std::vector<TenderPayment> ParsePayments(const json* list, Fields& fields) {
  std::vector<TenderPayment> payments;
  if (!list) return payments;
  std::array<bool, kTenders> seen{};
  for (size_t i = 0; i < list->size() && !fields.failed(); ++i) {
    const json& entry = (*list)[i];
    Fields f(entry, "payments[" + std::to_string(i) + "]: ");
    if (!entry.is_object()) {
      fields.Fail(BadRequest(f.where() + "must be an object"));
      break;
    }
    f.OnlyKnown({"tender", "amount"});
    TenderPayment p;
    p.tender = f.Int("tender", 1, kTenders, std::nullopt);
    p.amount_cents = f.Positive("amount", kAmountDecimals, kMaxAmountCents);
    if (!f.failed() && seen[static_cast<size_t>(p.tender - 1)])
      f.FailBad("tender " + std::to_string(p.tender) + " is given twice");
    if (f.failed()) {
      fields.Fail(f.error());
      break;
    }
    seen[static_cast<size_t>(p.tender - 1)] = true;
    payments.push_back(p);
  }
  return payments;
}

ReceiptItemRequest ParseItem(const json& entry, size_t index, Fields& fields) {
  ReceiptItemRequest item;
  Fields f(entry, "items[" + std::to_string(index) + "]: ");
  if (!entry.is_object()) {
    fields.Fail(BadRequest(f.where() + "must be an object"));
    return item;
  }
  f.OnlyKnown({"name", "quantity", "unitPrice", "vatLevel", "kind", "discountPercent"});
  const std::string name = f.String("name", std::nullopt);
  item.quantity_milli = f.Positive("quantity", kQuantityDecimals, kMaxQuantityMilli);
  item.unit_price_cents = f.Positive("unitPrice", kAmountDecimals, kMaxUnitPriceCents);
  item.vat_level = f.Int("vatLevel", 1, kVatLevels, std::nullopt);
  const std::string kind = f.String("kind", "sale");
  item.discount_percent = f.Int("discountPercent", 1, 99, 0);
  if (!f.failed()) {
    if (kind == "sale")
      item.kind = kTypePlain;
    else if (kind == "void")
      item.kind = kTypeNegative;
    else if (kind == "return")
      item.kind = kTypeReturned;
    else
      f.FailBad("\"kind\" must be \"sale\", \"void\" or \"return\"");
  }
  if (!f.failed()) {
    if (const auto text = PrinterText(name, f, "name")) {
      if (text->empty() || text->size() > kItemNameCapacity)
        f.FailBad("\"name\" must hold 1 to " + std::to_string(kItemNameCapacity) + " characters");
      item.name = *text;
    }
  }
  if (f.failed()) fields.Fail(f.error());
  return item;
}

}  // namespace

Checked<ReceiptRequest> ParseReceipt(std::string_view body) {
  ApiAnswer error;
  const auto doc = ParseObject(body, error);
  if (!doc) return error;
  Fields f(*doc, "");
  f.OnlyKnown({"invoice", "items", "payments"});
  ReceiptRequest request;
  request.invoice = f.Bool("invoice", false);
  const json* items = f.Array("items", true, kMaxItems);
  if (items && items->empty()) f.FailBad("\"items\" must hold at least one item");
  for (size_t i = 0; items && i < items->size() && !f.failed(); ++i)
    request.items.push_back(ParseItem((*items)[i], i, f));
  request.payments = ParsePayments(f.Array("payments", false, kTenders), f);
  if (f.failed()) return f.error();
  return request;
}

Checked<CashRequest> ParseCash(std::string_view body) {
  ApiAnswer error;
  const auto doc = ParseObject(body, error);
  if (!doc) return error;
  Fields f(*doc, "");
  f.OnlyKnown({"direction", "payments"});
  CashRequest request;
  const std::string direction = f.String("direction", std::nullopt);
  if (!f.failed() && direction != "deposit" && direction != "withdrawal")
    f.FailBad("\"direction\" must be \"deposit\" or \"withdrawal\"");
  request.withdrawal = direction == "withdrawal";
  request.payments = ParsePayments(f.Array("payments", true, kTenders), f);
  if (f.failed()) return f.error();
  // Nothing to deposit or withdraw would print an empty document.
  if (request.payments.empty())
    return Unprocessable("\"payments\" must hold at least one amount of at least 0.01");
  return request;
}

Checked<MonthlyReportRequest> ParseMonthly(std::string_view body) {
  ApiAnswer error;
  const auto doc = ParseObject(body, error);
  if (!doc) return error;
  Fields f(*doc, "");
  f.OnlyKnown({"year", "month"});
  MonthlyReportRequest request;
  request.year = f.Int("year", 1, 9999, std::nullopt);
  request.month = f.Int("month", 1, 12, std::nullopt);
  if (f.failed()) return f.error();
  return request;
}

std::optional<ApiAnswer> CheckEmptyBody(std::string_view body) {
  if (body.find_first_not_of(" \t\r\n") == std::string_view::npos) return std::nullopt;
  ApiAnswer error;
  const auto doc = ParseObject(body, error);
  if (!doc) return error;
  if (!doc->empty()) return BadRequest("this command takes no fields");
  return std::nullopt;
}

namespace {

// Collects the pieces the till's writer sends, in order.
class TextOutput final : public TillOutput {
 public:
  void ClearPreview() override {}
  void AppendPreview(std::string_view) override {}
  bool WritePort(std::string_view bytes) override {
    text += bytes;
    return true;
  }
  std::string text;
};

}  // namespace

Checked<ReceiptText> BuildReceiptText(const ReceiptRequest& request, std::string_view currency,
                                      std::string_view discount_label) {
  TextOutput out;
  out.WritePort(OpeningText(request.invoice));
  // The positive and the negative lines are each kept within the total's limit, as the till
  // keeps them.
  int64_t total = 0;
  int64_t positive = 0;
  int64_t negative = 0;
  auto add = [&](const TSaleItem& entry, const std::string& where) -> std::optional<ApiAnswer> {
    if (entry.line_cents > kMaxLineCents || entry.line_cents < -kMaxLineCents)
      return Unprocessable(where + "the line is over " + FormatCents(kMaxLineCents, 0));
    (entry.line_cents > 0 ? positive : negative) += entry.line_cents;
    if (positive > kMaxAmountCents || -negative > kMaxAmountCents)
      return Unprocessable(where + "the receipt's total would pass " +
                           FormatCents(kMaxAmountCents, 0));
    out.WritePort(*ItemLineText(entry, false, currency));
    total += entry.line_cents;
    return std::nullopt;
  };
  for (size_t i = 0; i < request.items.size(); ++i) {
    const ReceiptItemRequest& r = request.items[i];
    const std::string where = "items[" + std::to_string(i) + "]: ";
    const bool plain = r.kind == kTypePlain;
    const TSaleItem item =
        EntryItem(r.name, "", plain ? r.unit_price_cents : -r.unit_price_cents, r.quantity_milli,
                  r.vat_level - 1, plain ? kTypeNegative : r.kind);
    if (item.line_cents == 0) return Unprocessable(where + "the line amounts to 0.00");
    if (auto refused = add(item, where)) return *refused;
    if (r.discount_percent == 0) continue;
    // The till's rule: a discount only on a sale, and not on level 5.
    if (!plain) return Unprocessable(where + "a void or returned item takes no discount");
    if (r.vat_level == kVatLevels) return Unprocessable(where + "an item on VAT level 5 takes no discount");
    const TSaleItem discount = DiscountItem(item, r.discount_percent,
                                            std::to_string(r.discount_percent), discount_label, "");
    if (discount.line_cents == 0) return Unprocessable(where + "the discount amounts to 0.00");
    if (auto refused = add(discount, where)) return *refused;
  }

  Payment payment;
  if (request.payments.empty()) {
    payment.tenders[0] = total;
  } else {
    if (total <= 0) return Unprocessable("a receipt whose total is not above 0 takes no payments");
    for (const TenderPayment& p : request.payments)
      payment.tenders[static_cast<size_t>(p.tender - 1)] = p.amount_cents;
    if (!SettlePayment(total, payment))
      return Unprocessable("the payments do not cover the total " + FormatCents(total, 0));
  }
  SendReceiptClosing(out, total, payment.tenders, currency);
  return ReceiptText{out.text, total};
}

std::string BuildCashText(const CashRequest& request) {
  TenderCents tenders{};
  for (const TenderPayment& p : request.payments)
    tenders[static_cast<size_t>(p.tender - 1)] = p.amount_cents;
  TextOutput out;
  PrintDepositWithdrawal(out, request.withdrawal, tenders);
  return out.text;
}

}  // namespace kv
