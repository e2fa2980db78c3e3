#include "register/receipt_text.h"

#include "register/number_text.h"

namespace kv {

namespace {

constexpr const char* kRule = "----------------------------------------";  // 40 "-"

std::string Esc(char letter) {
  return std::string{kEsc, letter};
}

struct Denomination {
  const char* label;  // as the report line starts
  double value;
  bool whole;  // currency units; otherwise cents
};
constexpr Denomination kDenomination[kDenominations] = {
    {"  1", 1, true},    {"  2", 2, true},    {"  5", 5, true},    {" 10", 10, true},
    {" 20", 20, true},   {" 50", 50, true},   {"100", 100, true},  {"200", 200, true},
    {"500", 500, true},  {" 1", 0.01, false}, {" 2", 0.02, false}, {" 5", 0.05, false},
    {"10", 0.10, false}, {"20", 0.20, false}, {"50", 0.50, false}};

std::string CountLine(const Denomination& d, long long count, std::string_view currency) {
  std::string line = d.label;
  line += ' ';
  line += d.whole ? std::string(currency) : std::string(kMinorUnitName);
  line += " x " + FormatInt(count, 7) + " ks = ";
  if (d.whole)
    line += FormatInt(count * static_cast<long long>(d.value), 7) + ".00";
  else
    line += FormatFixed(static_cast<double>(count) * d.value, 10, 2);
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
  const double quantity = reverse ? -item.quantity : item.quantity;
  const bool discount = item.type_letter == kTypeDiscount;
  const float amount =
      static_cast<float>(discount ? -item.line_sum * quantity : item.unit_price * quantity);
  const char vat = reverse ? PairedVatLetter(item.vat_letter) : item.vat_letter;
  if (vat < '0' || vat > '9') return std::nullopt;
  char type = 0;
  if (reverse)
    type = item.type_letter == kTypePlain ? kTypeReversal : 0;
  else if (item.type_letter != kTypePlain)
    type = item.type_letter;

  std::string command = Esc(vat);
  if (type) command += type;
  command += FormatFixed(amount, 11, 2);
  command += ' ';
  command += currency;
  command += "\r\n";

  if (discount) return PadRight(item.name.view(), 19) + "  " + command;
  return std::string(item.name.view()) + "\r\n" + FormatFixed(quantity, 8, 2) + " x" +
         FormatFixed(item.unit_price, 9, 2) + "  " + command;
}

bool SendReceiptClosing(TillOutput& out, float total, const std::array<float, kTenders>& tenders,
                        std::string_view currency) {
  if (!out.SendPiece(Esc('k') + FormatFixed(total, 12, 2) + " " + std::string(currency) + "\r\n"))
    return false;
  for (int i = 0; i < kTenders; ++i) {
    if (tenders[i] == 0) continue;
    if (!out.SendPiece(Esc('P') + std::to_string(i + 1) + FormatFixed(tenders[i], 12, 2) + "\r\n"))
      return false;
  }
  return out.SendPiece(Esc('e'));
}

std::array<float, kTenders> TenderAmounts(const std::array<std::string, kTenders>& fields) {
  std::array<float, kTenders> amounts{};
  for (int i = 0; i < kTenders; ++i)
    amounts[i] = static_cast<float>(ParseDecimal(fields[i]).value_or(0.0));
  return amounts;
}

std::string TenderSumText(const std::array<std::string, kTenders>& fields) {
  double sum = 0;
  for (const auto& field : fields) sum += ParseDecimal(field).value_or(0.0);
  return FormatFixed(sum, 12, 2);
}

bool PrintDepositWithdrawal(TillOutput& out, bool withdrawal,
                            const std::array<std::string, kTenders>& fields) {
  out.ClearPreview();
  std::string prefix = Esc(withdrawal ? 'v' : 'V');
  const auto amounts = TenderAmounts(fields);
  for (int i = 0; i < kTenders; ++i) {
    if (amounts[i] == 0) continue;
    if (!out.SendLine(prefix + Esc('P') + std::to_string(i + 1) + FormatFixed(amounts[i], 12, 2)))
      return false;
    prefix.clear();
  }
  return out.SendLine(Esc('e'));
}

double DenominationValue(int field) {
  return field >= 0 && field < kDenominations ? kDenomination[field].value : 0;
}

double CashCountSum(const CashCountFields& fields) {
  double sum = 0;
  for (int i = 0; i < kDenominations; ++i)
    sum += ParseDecimal(fields[i]).value_or(0.0) * kDenomination[i].value;
  return sum;
}

std::string CashCountSumText(const CashCountFields& fields) {
  return FormatFixed(CashCountSum(fields), 12, 2);
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
