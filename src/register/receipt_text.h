#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/control_bytes.h"
#include "register/sale_item.h"
#include "register/till_output.h"

namespace kv {

inline constexpr int kTenders = 10;
inline constexpr int kDenominations = 15;
inline constexpr const char* kMinorUnitName = "Cent";

// ---- sale receipt ------------------------------------------------------------------------
// ESC "b", or ESC "B" for an invoice; no line end.
std::string OpeningText(bool invoice);
// One item line; with `reverse` the line that takes the item back from the open receipt
// (quantity negated, VAT letter swapped for its pair, a plain sale marked 'D'). nullopt when
// the VAT letter is not one of the ten digits. The item itself is left as it is.
std::optional<std::string> ItemLineText(const TSaleItem& item, bool reverse,
                                        std::string_view currency);
// The total line, one payment line per tender whose amount is not zero (tender 1 first), and
// ESC "e"; amounts in cents. False when the port failed; the pieces before it stay sent.
using TenderCents = std::array<int64_t, kTenders>;
bool SendReceiptClosing(TillOutput& out, int64_t total_cents, const TenderCents& tenders,
                        std::string_view currency);

// ---- deposit and withdrawal --------------------------------------------------------------
// The ten tender fields read as amounts: an empty field is 0; `bad_field` is the first field
// that is not an amount of at most two decimals within the limit (-1 when all are).
struct TenderFieldAmounts {
  TenderCents cents{};
  int bad_field = -1;
};
TenderFieldAmounts ReadTenderFields(const std::array<std::string, kTenders>& fields);
// The figure shown for the ten fields: the sum of those that are amounts, with "%12.2f".
std::string TenderSumText(const std::array<std::string, kTenders>& fields);
// ESC "V" (deposit) or ESC "v" (withdrawal) before the first payment line, one ESC "P" line
// per tender that is not zero, then ESC "e". False when the port failed.
bool PrintDepositWithdrawal(TillOutput& out, bool withdrawal, const TenderCents& tenders);

// ---- cash count -------------------------------------------------------------------------
// Counts per denomination field, in field order: 1, 2, 5, 10, 20, 50, 100, 200, 500 units,
// then 0.01, 0.02, 0.05, 0.10, 0.20, 0.50.
using CashCountFields = std::array<std::string, kDenominations>;
// Value of the denomination of a field, in cents.
int64_t DenominationCents(int field);
// The counted cash shown on the page: each field that holds a whole count times its value.
int64_t CashCountSum(const CashCountFields& fields);
std::string CashCountSumText(const CashCountFields& fields);

struct CashCountTexts {
  std::string currency;
  std::string heading;      // message 81
  std::string total_label;  // message 82
  std::string date;
  std::string time;
};
struct CashCountResult {
  enum Outcome { Printed, BadCount, SendFailed, PrinterBusy } outcome = Printed;
  int field = -1;  // with BadCount: the first field that does not hold a whole number
};
// Checks every count first: a field that is not empty and not a whole number stops the report
// before anything is sent. Then the free-text document from ESC "n" to ESC "i" and the form
// feed.
CashCountResult PrintCashCount(TillOutput& out, const CashCountFields& fields,
                               const CashCountTexts& texts);

}  // namespace kv
