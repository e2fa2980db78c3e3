#include "register/receipt_text.h"

#include "register/money.h"
#include "register/number_text.h"

namespace kv {

namespace {

constexpr const char* kRule = "----------------------------------------";  // 40 "-"

std::string Esc(char letter) {
  return std::string{kEsc, letter};
}

struct Denomination {
  const char* label;  // as the report line starts
  int64_t cents;
  bool whole;  // currency units; otherwise cents
};
constexpr Denomination kDenomination[kDenominations] = {
    {"  1", 100, true},   {"  2", 200, true},   {"  5", 500, true},   {" 10", 1000, true},
    {" 20", 2000, true},  {" 50", 5000, true},  {"100", 10000, true}, {"200", 20000, true},
    {"500", 50000, true}, {" 1", 1, false},     {" 2", 2, false},     {" 5", 5, false},
    {"10", 10, false},    {"20", 20, false},    {"50", 50, false}};

std::string CountLine(const Denomination& d, long long count, std::string_view currency) {
  std::string line = d.label;
  line += ' ';
  line += d.whole ? std::string(currency) : std::string(kMinorUnitName);
  line += " x " + FormatInt(count, 7) + " ks = ";
  if (d.whole)
    line += FormatInt(count * (d.cents / 100), 7) + ".00";
  else
    line += FormatCents(count * d.cents, 10);
  line += ' ';
  line += currency;
  line += "\r\n";
  return line;
}

}  // namespace

std::string OpeningText(bool invoice) {
  return Esc(invoice ? 'B' : 'b');
}

std::optional<std::string> ItemLineText(const TSaleItem& item, bool reverse,
                                        std::string_view currency) {
  // Taking an entry back negates its quantity, and so its amount: the line amount rounded once
  // is the same figure with the other sign.
  const int64_t quantity = reverse ? -item.quantity_milli : item.quantity_milli;
  const int64_t amount = reverse ? -item.line_cents : item.line_cents;
  const bool discount = item.type_letter == kTypeDiscount;
  const char vat = reverse ? PairedVatLetter(item.vat_letter) : item.vat_letter;
  if (vat < '0' || vat > '9') return std::nullopt;
  char type = 0;
  if (reverse)
    type = item.type_letter == kTypePlain ? kTypeReversal : 0;
  else if (item.type_letter != kTypePlain)
    type = item.type_letter;

  std::string command = Esc(vat);
  if (type) command += type;
  command += FormatCents(amount, 11);
  command += ' ';
  command += currency;
  command += "\r\n";

  if (discount) return PadRight(item.name.view(), 19) + "  " + command;
  return std::string(item.name.view()) + "\r\n" +
         FormatFixedPoint(quantity, kQuantityDecimals, 8, 2) + " x" +
         FormatCents(item.unit_price_cents, 9) + "  " + command;
}

bool SendReceiptClosing(TillOutput& out, int64_t total_cents, const TenderCents& tenders,
                        std::string_view currency) {
  if (!out.SendPiece(Esc('k') + FormatCents(total_cents, 12) + " " + std::string(currency) +
                     "\r\n"))
    return false;
  for (int i = 0; i < kTenders; ++i) {
    if (tenders[i] == 0) continue;
    if (!out.SendPiece(Esc('P') + std::to_string(i + 1) + FormatCents(tenders[i], 12) + "\r\n"))
      return false;
  }
  return out.SendPiece(Esc('e'));
}

TenderFieldAmounts ReadTenderFields(const std::array<std::string, kTenders>& fields) {
  TenderFieldAmounts amounts;
  for (int i = 0; i < kTenders; ++i) {
    const FixedPoint read = ParseFixedPoint(fields[i], kAmountDecimals, kMaxAmountCents);
    if (read.refusal == FixedPoint::Empty) continue;
    if (!read.ok() || read.value < 0) {
      if (amounts.bad_field < 0) amounts.bad_field = i;
      continue;
    }
    amounts.cents[i] = read.value;
  }
  return amounts;
}

std::string TenderSumText(const std::array<std::string, kTenders>& fields) {
  int64_t sum = 0;
  for (const int64_t cents : ReadTenderFields(fields).cents) sum += cents;
  return FormatCents(sum, 12);
}

bool PrintDepositWithdrawal(TillOutput& out, bool withdrawal, const TenderCents& tenders) {
  out.ClearPreview();
  std::string prefix = Esc(withdrawal ? 'v' : 'V');
  for (int i = 0; i < kTenders; ++i) {
    if (tenders[i] == 0) continue;
    if (!out.SendLine(prefix + Esc('P') + std::to_string(i + 1) + FormatCents(tenders[i], 12)))
      return false;
    prefix.clear();
  }
  return out.SendLine(Esc('e'));
}

int64_t DenominationCents(int field) {
  return field >= 0 && field < kDenominations ? kDenomination[field].cents : 0;
}

int64_t CashCountSum(const CashCountFields& fields) {
  int64_t sum = 0;
  for (int i = 0; i < kDenominations; ++i)
    if (const auto count = ParseCount(fields[i])) sum += *count * kDenomination[i].cents;
  return sum;
}

std::string CashCountSumText(const CashCountFields& fields) {
  return FormatCents(CashCountSum(fields), 12);
}

CashCountResult PrintCashCount(TillOutput& out, const CashCountFields& fields,
                               const CashCountTexts& texts) {
  std::array<std::optional<int>, kDenominations> counts;
  for (int i = 0; i < kDenominations; ++i) {
    if (fields[i].empty()) continue;
    counts[i] = ParseCount(fields[i]);
    if (!counts[i]) return {CashCountResult::BadCount, i};
  }

  const CashCountResult failed{CashCountResult::SendFailed};
  out.ClearPreview();
  if (!out.SendPiece(Esc('n') + "\r\n" + kRule + "\r\n") ||
      !out.SendLine("       " + texts.date + "   " + texts.time) ||
      !out.SendPiece(texts.heading + "\r\n") || !out.SendPiece(std::string(kRule) + "\r\n"))
    return failed;
  for (int i = 0; i < kDenominations; ++i) {
    if (counts[i] && !out.SendPiece(CountLine(kDenomination[i], *counts[i], texts.currency)))
      return failed;
  }
  const std::string total = PadLeft(texts.total_label, 18) + PadLeft(CashCountSumText(fields), 15) +
                            " " + texts.currency + "\r\n";
  if (!out.SendLine(kRule) || !out.SendPiece(total) || !out.SendLine(kRule)) return failed;
  if (!out.WritePort(std::string("\r\n\n\n\n\n\n\n") + Esc('i'))) return failed;
  return out.SendPiece(std::string(1, '\x0c')) ? CashCountResult{} : failed;
}

}  // namespace kv
