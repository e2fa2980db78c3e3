// Receipts, deposits and withdrawals, free-text documents and text blocks.
#include <cmath>
#include <cstdlib>

#include "sim/engine.h"
#include "sim/records.h"

namespace kv::sim {

namespace {

double Round2(double value) {
  return std::round(value * 100.0) / 100.0;
}

// VAT level (0-based) of an item letter; negative entries use the second letter of each pair.
int LevelOf(char letter) {
  switch (letter) {
    case '1':
    case '4':
      return 0;
    case '2':
    case '5':
      return 1;
    case '3':
    case '6':
      return 2;
    case '7':
    case '8':
      return 3;
    default:
      return 4;  // '0', '9'
  }
}

// Reads an amount printed with "%N.2f" (leading blanks, optional sign); false when none.
bool ReadAmount(const std::string& text, size_t from, double& amount) {
  if (from >= text.size()) return false;
  const char* begin = text.c_str() + from;
  char* end = nullptr;
  amount = std::strtod(begin, &end);
  return end != begin;
}

}  // namespace

void Engine::Print(std::string_view line) {
  paper_.append(line);
  paper_ += '\n';
  state_.open.body.append(line);
  state_.open.body += "\r\n";
  Changed();
}

void Engine::PrintDocument(const std::string& text) {
  for (char c : text)
    if (c != '\r') paper_ += c;
  paper_ += '\n';
  state_.last_text = text;
  Changed();
}

std::string Engine::Header() const {
  std::string text;
  const size_t pad = state_.header.size() < 40 ? (40 - state_.header.size()) / 2 : 0;
  text += std::string(pad, ' ') + state_.header + "\r\n";
  text += "DKP " + state_.dkp + "\r\n";
  text += kRule + "\r\n";
  return text;
}

std::string Engine::Footer(uint32_t number) const {
  const std::tm now = PrinterTime();
  std::string text = kRule + "\r\n";
  text += Fmt("DOKLAD %-10u %s %s\r\n", number, DateText(now).c_str(), TimeText(now).c_str());
  if (state_.test_mode) text += "NEFISKALNY DOKLAD - TEST\r\n";
  return text;
}

// Prints a multi-line text into the open document, line by line.
static void PrintLines(const std::string& text, const std::function<void(std::string_view)>& out) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    out(std::string_view(text).substr(pos, end - pos));
    pos = end + 2;
  }
}

void Engine::OpenReceipt(bool invoice) {
  if (DocumentOpen() || Refusing()) return;
  state_.open = OpenDocument{};
  state_.open.kind = OpenDocument::kReceipt;
  ++tally_.documents_opened;
  PrintLines(Header(), [this](std::string_view l) { Print(l); });
  if (invoice) Print("FAKTURA");
  if (state_.test_mode) Print("*** TEST ***");
  Changed();
}

void Engine::Item(char vat_letter, const std::string& params) {
  std::string prefix = std::move(line_);
  line_.clear();
  if (state_.open.kind != OpenDocument::kReceipt) return;
  size_t pos = 0;
  char type = ' ';
  if (!params.empty() && std::string_view("ABCD").find(params[0]) != std::string_view::npos) {
    type = params[0];
    pos = 1;
  }
  double amount = 0;
  if (!ReadAmount(params, pos, amount)) return;
  amount = Round2(amount);
  const int level = LevelOf(vat_letter);
  state_.open.by_level[level] += amount;
  if (type == 'B') state_.open.discounts += std::fabs(amount);
  if (type == 'A' || type == 'C') state_.open.negatives += std::fabs(amount);
  if (type == 'D') state_.open.reversals += std::fabs(amount);
  Print(prefix + Fmt("%c%c%11.2f", 'A' + level, type, amount));
  Changed();
}

void Engine::Total() {
  if (state_.open.kind != OpenDocument::kReceipt) return;
  double sum = 0;
  for (double amount : state_.open.by_level) sum += amount;
  Print(kRule);
  Print(Fmt("%-20s%16.2f %s", "CELKOM", Round2(sum), CurrencyName(state_.active_currency).c_str()));
}

// "1" .. "10" followed by the amount in 12 places: the tender is the digits before the blanks.
void Engine::Payment(const std::string& params) {
  if (state_.open.kind != OpenDocument::kReceipt && state_.open.kind != OpenDocument::kDeposit &&
      state_.open.kind != OpenDocument::kWithdrawal)
    return;
  size_t digits = 0;
  while (digits < params.size() && params[digits] >= '0' && params[digits] <= '9') ++digits;
  if (digits == 0) return;
  if (digits > 2) digits = 1;  // a wide amount touches the tender number
  const int tender = std::atoi(params.substr(0, digits).c_str());
  double amount = 0;
  if (tender < 1 || tender > 10 || !ReadAmount(params, digits, amount)) return;
  amount = Round2(amount);
  state_.open.tenders[tender - 1] += amount;
  Print(Fmt("PLATBA %-2d%27.2f", tender, amount));
  Changed();
}

void Engine::EndDocument() {
  if (state_.open.kind == OpenDocument::kReceipt)
    EndReceipt();
  else
    EndDeposit();
}

bool Engine::CloseDocument() {
  switch (state_.open.kind) {
    case OpenDocument::kNone:
      return false;
    case OpenDocument::kFreeText:
      EndFreeText();
      return true;
    default:
      EndDocument();
      return true;
  }
}

void Engine::EndReceipt() {
  double total = 0;
  for (double amount : state_.open.by_level) total += amount;
  total = Round2(total);
  double paid = 0;
  for (double amount : state_.open.tenders) paid += amount;
  // Whatever the payments leave open is taken in cash.
  if (paid < total - 0.005) {
    Print(Fmt("PLATBA %-2d%27.2f", 1, Round2(total - paid)));
    state_.open.tenders[0] += Round2(total - paid);
    paid = total;
  }
  const double change = paid > total + 0.005 ? Round2(paid - total) : 0.0;
  if (change > 0) Print(Fmt("%-20s%16.2f", "VYDAVOK", change));
  Print(kRule);
  std::array<double, 5> vat{};
  for (size_t level = 0; level < 5; ++level) {
    const double amount = Round2(state_.open.by_level[level]);
    if (amount == 0) continue;
    const unsigned rate = state_.vat_rates[level];
    vat[level] = Round2(amount * rate / (100.0 + rate));
    Print(Fmt("%c %2u%% ZAKLAD %10.2f DPH %10.2f", static_cast<char>('A' + level), rate,
              amount - vat[level], vat[level]));
  }

  bool advance = !state_.test_mode && faults_.no_advance == FaultMode::kOff;
  if (!state_.test_mode && faults_.no_advance == FaultMode::kOnce)
    faults_.no_advance = FaultMode::kOff;
  if (!state_.test_mode) {
    DayTotals& day = state_.day;
    for (size_t level = 0; level < 5; ++level) {
      day.turnover[level] = Round2(day.turnover[level] + state_.open.by_level[level]);
      day.vat[level] = Round2(day.vat[level] + vat[level]);
    }
    day.negatives = Round2(day.negatives + state_.open.negatives);
    day.discounts = Round2(day.discounts + state_.open.discounts);
    day.reversals = Round2(day.reversals + state_.open.reversals);
    day.cash = Round2(day.cash + state_.open.tenders[0] - change);
    ++state_.receipt_count;
    if (advance) ++state_.document_number;
    if (state_.first_document_date.empty()) state_.first_document_date = DateKey(PrinterTime());
  }
  PrintLines(Footer(state_.document_number), [this](std::string_view l) { Print(l); });
  if (!state_.test_mode) Store(DocKind::kReceipt, state_.document_number, state_.open.body);
  state_.last_text = state_.open.body;
  paper_ += '\n';
  state_.open = OpenDocument{};
  Changed();
}

void Engine::OpenDeposit(bool withdrawal) {
  if (DocumentOpen() || Refusing()) return;
  state_.open = OpenDocument{};
  state_.open.kind = withdrawal ? OpenDocument::kWithdrawal : OpenDocument::kDeposit;
  ++tally_.documents_opened;
  PrintLines(Header(), [this](std::string_view l) { Print(l); });
  Print(withdrawal ? "VYBER" : "VKLAD");
  if (state_.test_mode) Print("*** TEST ***");
  Changed();
}

void Engine::EndDeposit() {
  const bool withdrawal = state_.open.kind == OpenDocument::kWithdrawal;
  double sum = 0;
  for (double amount : state_.open.tenders) sum += amount;
  sum = Round2(sum);
  Print(kRule);
  Print(Fmt("%-20s%16.2f %s", "SPOLU", sum, CurrencyName(state_.active_currency).c_str()));
  if (!state_.test_mode) {
    DayTotals& day = state_.day;
    (withdrawal ? day.withdrawals : day.deposits) += sum;
    day.cash = Round2(day.cash + (withdrawal ? -state_.open.tenders[0] : state_.open.tenders[0]));
    const bool advance = faults_.no_advance == FaultMode::kOff;
    if (faults_.no_advance == FaultMode::kOnce) faults_.no_advance = FaultMode::kOff;
    if (advance) ++state_.document_number;
    if (state_.first_document_date.empty()) state_.first_document_date = DateKey(PrinterTime());
  }
  PrintLines(Footer(state_.document_number), [this](std::string_view l) { Print(l); });
  if (!state_.test_mode)
    Store(withdrawal ? DocKind::kWithdrawal : DocKind::kDeposit, state_.document_number,
          state_.open.body);
  state_.last_text = state_.open.body;
  paper_ += '\n';
  state_.open = OpenDocument{};
  Changed();
}

void Engine::OpenFreeText() {
  if (DocumentOpen()) return;
  state_.open = OpenDocument{};
  state_.open.kind = OpenDocument::kFreeText;
  ++tally_.documents_opened;
  Changed();
}

void Engine::EndFreeText() {
  Print("NEFISKALNY DOKLAD");
  state_.last_text = state_.open.body;
  paper_ += '\n';
  state_.open = OpenDocument{};
  Changed();
}

// A text block goes to the printer's auxiliary output: a drawer pulse in it (ESC "p", BEL or
// SUB) opens the drawer; otherwise its printable lines are printed.
void Engine::TextBlock(const std::string& block) {
  if (block.find("\x1bp") != std::string::npos || block.find('\x07') != std::string::npos ||
      block.find('\x1a') != std::string::npos) {
    OpenDrawer();
    return;
  }
  std::string line;
  auto flush = [&] {
    if (line.empty()) return;
    if (DocumentOpen()) {
      Print(line);
    } else {
      paper_ += line;
      paper_ += '\n';
    }
    line.clear();
  };
  for (char c : block) {
    if (c == '\r' || c == '\n')
      flush();
    else if (static_cast<uint8_t>(c) >= 32)
      line += c;
  }
  flush();
}

// The drawer prints nothing on a real printer; the paper shows the opening so that a reader of
// the paper file sees it.
void Engine::OpenDrawer() {
  ++state_.drawer_pulses;
  paper_ += "[z\xe1suvka otvoren\xe1]\n";
  Changed();
}

void Engine::Store(DocKind kind, uint32_t number, const std::string& text) {
  const std::tm now = PrinterTime();
  StoredDocument doc;
  doc.number = number;
  doc.closing = kind == DocKind::kClosing ? state_.closing_count : state_.closing_count + 1;
  doc.kind = kind;
  doc.date = DateKey(now);
  doc.time = TimeKey(now);
  doc.text = text;
  state_.journal.push_back(std::move(doc));
  if (state_.journal.size() > kJournalLimit)
    state_.journal.erase(state_.journal.begin(),
                         state_.journal.begin() + (state_.journal.size() - kJournalLimit));
}

}  // namespace kv::sim
