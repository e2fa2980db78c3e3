#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace kv::sim {

// Status byte 1 and 2 bits as the printer reports them in its status answer.
namespace status1 {
constexpr uint8_t kDocumentOpen = 0x80;
constexpr uint8_t kClosingDue = 0x40;
constexpr uint8_t kClosingRefused = 0x20;
constexpr uint8_t kPaperLow = 0x10;
constexpr uint8_t kBusy = 0x04;
}  // namespace status1
namespace status2 {
constexpr uint8_t kFiscalMemoryFull = 0x80;
constexpr uint8_t kFiscalMemoryError = 0x40;
constexpr uint8_t kMechanismError = 0x20;
}  // namespace status2

// The day's running amounts (reset by a daily closing). The first twelve are the device
// record's first column, the five VAT amounts its second.
struct DayTotals {
  std::array<double, 5> turnover{};  // by VAT level 1..5, signed as sold
  double negatives = 0;              // negative and returned items (absolute)
  double discounts = 0;              // discounts (absolute)
  double reversals = 0;              // reversed items (absolute)
  double deposits = 0;
  double withdrawals = 0;
  double cash = 0;              // tender 1 in, change out, deposits, withdrawals
  std::array<double, 5> vat{};  // VAT contained in the turnover, by level

  double Total() const;
  std::array<double, 12> Column1() const;
  bool AllZero() const;
};

enum class DocKind : char {
  kReceipt = 'R',
  kDeposit = 'V',
  kWithdrawal = 'W',
  kClosing = 'Z',
  kReport = 'X',  // X and interval reports: they take no number of their own
};

// Receipts, deposits and withdrawals: the documents that copies and fetches find by number.
inline bool IsTillDocument(DocKind kind) {
  return kind == DocKind::kReceipt || kind == DocKind::kDeposit || kind == DocKind::kWithdrawal;
}

// A document kept in the electronic journal for copies and fetches.
struct StoredDocument {
  uint32_t number = 0;   // document number
  uint32_t closing = 0;  // number of the daily closing that contains it (for a closing: itself)
  DocKind kind = DocKind::kReceipt;
  std::string date;  // yyyymmdd
  std::string time;  // hhmm
  std::string text;  // cp1250, CR LF line ends
};

// The document being printed. It is part of the state, so a document open when the simulator
// stops is open again when it starts with the same state file.
struct OpenDocument {
  enum Kind : char {
    kNone = '-',
    kReceipt = 'R',
    kDeposit = 'V',
    kWithdrawal = 'W',
    kFreeText = 'N',
  } kind = kNone;
  std::string body;  // CR LF lines
  std::array<double, 5> by_level{};
  double negatives = 0, discounts = 0, reversals = 0;
  std::array<double, 10> tenders{};
};

// Everything the printer remembers (saved in the state file of kv4910-sim).
struct PrinterState {
  uint32_t serial = 4910;
  char kind = 'P';
  char line_mode = 'B';
  char memory_letter = 'A';
  uint8_t busy = 0, paper_end = 0, ack = 0, error = 0, display = 0;  // "I" record flags
  std::string model = "RB4900";
  std::string version = "12";  // two digits
  std::string dkp = "71910000000000001";
  std::string header = "KV4910 SIMULATOR";

  uint32_t document_number = 0;  // last document issued
  uint32_t closing_count = 0;    // daily closings made
  uint32_t receipt_count = 0;    // fiscal receipts issued
  bool test_mode = false;

  std::array<uint8_t, 5> vat_rates{20, 10, 0, 0, 0};
  std::array<std::string, 6> rounding{"0.0100", "0.0050", "0.0100", "0.0050", "0.0100", "0.0050"};
  char active_currency = '1';  // '1' + index in EUR, SKK, CZK, USD
  char dual_currency = '2';    // '1' + index in EUR, SKK, CZK, USD, PLN, HUF
  std::string rate = "30.1260";

  DayTotals day;
  std::string first_document_date;      // yyyymmdd of the first document since the last closing
  std::vector<StoredDocument> journal;  // oldest first, bounded
  std::string last_text;                // text of the last printed document (journal readout)
  OpenDocument open;

  int64_t clock_offset_s = 0;  // printer clock minus host clock
  uint8_t condition1 = 0;      // condition bits set from outside (tests, flags)
  uint8_t condition2 = 0;
  uint32_t drawer_pulses = 0;
};

constexpr size_t kJournalLimit = 500;

}  // namespace kv::sim
