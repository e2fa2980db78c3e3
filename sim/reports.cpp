// Reports, closings, copies, fetched blocks and the journal.
#include <algorithm>
#include <cstdlib>

#include "sim/engine.h"
#include "sim/records.h"

namespace kv::sim {

namespace {

// Splits "a CR b CR ..." into its CR-ended fields.
std::vector<std::string> Fields(const std::string& text, size_t from) {
  std::vector<std::string> out;
  size_t pos = from;
  for (size_t cr; (cr = text.find('\r', pos)) != std::string::npos; pos = cr + 1)
    out.push_back(text.substr(pos, cr - pos));
  return out;
}

uint32_t Number(const std::string& digits) {
  return static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
}

// "yyyymmdd" as "dd.mm.yyyy".
std::string ShowDate(const std::string& key) {
  if (key.size() != 8) return key;
  return key.substr(6, 2) + "." + key.substr(4, 2) + "." + key.substr(0, 4);
}

}  // namespace

std::string Engine::TotalsText() const {
  static const char* const kLabels[] = {"OBRAT SPOLU", "ZAPORNE/VRATENE", "ZLAVY",   "STORNA",
                                        "VKLADY",      "VYBERY",          "HOTOVOST"};
  const DayTotals& day = state_.day;
  const auto column = day.Column1();
  std::string text;
  for (size_t level = 0; level < 5; ++level)
    text += Fmt("OBRAT %c %2u%% %26.2f\r\n", static_cast<char>('A' + level),
                state_.vat_rates[level], column[level]);
  for (size_t i = 5; i < 12; ++i) text += Fmt("%-20s%20.2f\r\n", kLabels[i - 5], column[i]);
  for (size_t level = 0; level < 5; ++level)
    text += Fmt("DPH %c %2u%% %28.2f\r\n", static_cast<char>('A' + level), state_.vat_rates[level],
                day.vat[level]);
  return text;
}

void Engine::XReport() {
  if (DocumentOpen()) {
    out_ += kNak;
    return;
  }
  const std::tm now = PrinterTime();
  std::string text = Header() + "X-UZAVIERKA\r\n" + kRule + "\r\n" + TotalsText();
  text += kRule + "\r\n";
  text += Fmt("POSLEDNY DOKLAD %u\r\n", state_.document_number);
  text += DateText(now) + " " + TimeText(now) + "\r\n";
  Store(DocKind::kReport, state_.document_number, text);
  PrintDocument(text);
  out_ += kAck;
}

void Engine::DailyClosing() {
  const bool refused = (Status1() & (status1::kClosingRefused | status1::kBusy)) != 0 ||
                       (Status2() & (status2::kFiscalMemoryFull | status2::kFiscalMemoryError |
                                     status2::kMechanismError)) != 0;
  if (refused) {
    out_ += kNak;
    return;
  }
  ++state_.closing_count;
  ++state_.document_number;
  std::string text = Header() + Fmt("DENNA UZAVIERKA C. %u\r\n", state_.closing_count);
  text += kRule + "\r\n" + TotalsText();
  text += kRule + "\r\n";
  text += Fmt("POCET BLOCKOV %u\r\n", state_.receipt_count);
  text += Footer(state_.document_number);
  Store(DocKind::kClosing, state_.document_number, text);
  state_.day = DayTotals{};
  state_.first_document_date.clear();
  PrintDocument(text);
  out_ += kAck;
}

// ESC "X", kind, start CR end CR: 'd'/'D' by date (yyyymmdd), 'P'/'S' by closing number;
// 'd'/'P' detailed (each closing in full), 'D'/'S' summary (one line per closing).
void Engine::IntervalReport(const std::string& params) {
  const char kind = params[0];
  const auto f = Fields(params, 1);
  const bool by_date = kind == 'd' || kind == 'D';
  const bool detailed = kind == 'd' || kind == 'P';
  const bool valid =
      std::string_view("dDPS").find(kind) != std::string_view::npos && f.size() == 2 &&
      AllDigits(f[0]) && AllDigits(f[1]) &&
      (by_date ? f[0].size() == 8 && f[1].size() == 8 : f[0].size() <= 4 && f[1].size() <= 4);
  if (!valid) {
    out_ += kNak;
    return;
  }
  std::string text = Header() + (detailed ? "INTERVALOVA PODROBNA\r\n" : "INTERVALOVA SUMARNA\r\n");
  text += by_date ? "OD " + ShowDate(f[0]) + " DO " + ShowDate(f[1]) + "\r\n"
                  : "OD DU " + f[0] + " DO DU " + f[1] + "\r\n";
  text += kRule + "\r\n";
  bool any = false;
  for (const StoredDocument& doc : state_.journal) {
    if (doc.kind != DocKind::kClosing) continue;
    const bool inside = by_date ? doc.date >= f[0] && doc.date <= f[1]
                                : doc.closing >= Number(f[0]) && doc.closing <= Number(f[1]);
    if (!inside) continue;
    any = true;
    text += detailed ? doc.text
                     : Fmt("DU %-6u %s  DOKLAD %u\r\n", doc.closing, ShowDate(doc.date).c_str(),
                           doc.number);
  }
  if (!any) text += "ZIADNE ZAZNAMY\r\n";
  Store(DocKind::kReport, state_.document_number, text);
  PrintDocument(text);
  out_ += kAck;
}

// ESC "z" yyyymmdd hhmm yyyymmdd hhmm CR: copies of the documents made in that span.
void Engine::DateTimeReport(const std::string& params) {
  if (params.size() != 25 || !AllDigits(params.substr(0, 24))) {
    out_ += kNak;
    return;
  }
  const std::string from = params.substr(0, 12), to = params.substr(12, 12);
  std::vector<const StoredDocument*> found;
  for (const StoredDocument& doc : state_.journal) {
    const std::string at = doc.date + doc.time;
    if (at >= from && at <= to) found.push_back(&doc);
  }
  if (found.empty()) {
    PrintDocument(Header() + "ZIADNE ZAZNAMY\r\n");
    out_ += kAck;
    return;
  }
  PrintCopies(found);
}

void Engine::PrintCopies(const std::vector<const StoredDocument*>& documents) {
  std::string text;
  for (const StoredDocument* doc : documents) text += "KOPIA\r\n" + doc->text;
  PrintDocument(text);
  out_ += kAck;
}

void Engine::CopyLast(bool closing) {
  if (faults_.nak_copies) {
    out_ += kNak;
    return;
  }
  for (auto it = state_.journal.rbegin(); it != state_.journal.rend(); ++it) {
    if (closing ? it->kind == DocKind::kClosing : IsTillDocument(it->kind)) {
      PrintCopies({&*it});
      return;
    }
  }
  out_ += kNak;
}

// ESC "C" "b" closing CR number CR; "B" yyyymmdd number CR; "D" yyyymmdd closing CR.
// Number 9999 means every document of that closing or day; closing 0 with "D" every closing
// of that day.
void Engine::Copy(const std::string& params) {
  if (faults_.nak_copies) {
    out_ += kNak;
    return;
  }
  const char how = params[0];
  std::string date, a, b;
  if (how == 'b') {
    const auto f = Fields(params, 1);
    if (f.size() == 2) a = f[0], b = f[1];
  } else if (params.size() > 10) {
    date = params.substr(1, 8);
    b = params.substr(9, params.size() - 10);
  }
  if ((how == 'b' && (!AllDigits(a) || a.size() > 4)) || (how != 'b' && !AllDigits(date)) ||
      !AllDigits(b) || b.size() > 4) {
    out_ += kNak;
    return;
  }
  const uint32_t closing = Number(a), number = Number(b);
  std::vector<const StoredDocument*> found;
  for (const StoredDocument& doc : state_.journal) {
    const bool till = IsTillDocument(doc.kind);
    bool match = false;
    if (how == 'b')
      match = till && doc.closing == closing && (number == 9999 || doc.number == number);
    else if (how == 'B')
      match = till && doc.date == date && (number == 9999 || doc.number == number);
    else
      match = doc.kind == DocKind::kClosing &&
              (number == 0 ? doc.date == date : doc.closing == number);
    if (match) found.push_back(&doc);
  }
  if (found.empty()) {
    out_ += kNak;
    return;
  }
  PrintCopies(found);
}

const StoredDocument* Engine::FindClosing(uint32_t number) const {
  for (const StoredDocument& doc : state_.journal)
    if (doc.kind == DocKind::kClosing && doc.closing == number) return &doc;
  return nullptr;
}

std::string Engine::ClosingHeader(const StoredDocument& closing) const {
  uint32_t first = 0, last = 0;
  for (const StoredDocument& doc : state_.journal) {
    if (doc.closing != closing.closing || doc.kind == DocKind::kReport) continue;
    if (first == 0 || doc.number < first) first = doc.number;
    last = std::max(last, doc.number);
  }
  std::string text = Fmt("HLAVICKA DU %u\r\n", closing.closing);
  text += "DATUM " + ShowDate(closing.date) + " " + closing.time.substr(0, 2) + ":" +
          closing.time.substr(2, 2) + "\r\n";
  text += Fmt("DOKLADY %u - %u\r\n", first, last);
  text += "DKP " + state_.dkp + "\r\n";
  text += Fmt("SN %c %04u\r\n", state_.memory_letter, state_.serial);
  return text;
}

// ESC "q" closing CR number CR: ACK, block length (2 bytes, high first), the block with its
// CRC. Number 9999 fetches the closing itself, 8888 its raw header; closing 0 with a document
// number looks in every closing.
void Engine::Fetch(const std::string& params) {
  const auto f = Fields(params, 0);
  if (faults_.nak_copies || f.size() != 2 || !AllDigits(f[0]) || !AllDigits(f[1]) ||
      f[0].size() > 4 || f[1].size() > 4) {
    out_ += kNak;
    return;
  }
  const uint32_t closing = Number(f[0]), number = Number(f[1]);
  std::string text;
  bool found = false;
  if (number == 9999 || number == 8888) {
    if (const StoredDocument* doc = FindClosing(closing)) {
      text = number == 9999 ? doc->text : ClosingHeader(*doc);
      found = true;
    }
  } else {
    for (const StoredDocument& doc : state_.journal) {
      if (doc.kind != DocKind::kReport && doc.number == number &&
          (closing == 0 || doc.closing == closing)) {
        text = doc.text;
        found = true;
      }
    }
  }
  if (!found) {
    out_ += kNak;
    return;
  }
  const std::string block = FetchBlock(text);
  out_ += kAck;
  out_ += static_cast<char>((block.size() >> 8) & 0xFF);
  out_ += static_cast<char>(block.size() & 0xFF);
  out_ += block;
}

void Engine::EraseJournal() {
  if (DocumentOpen()) return;
  state_.journal.clear();
  state_.last_text.clear();
  Changed();
}

}  // namespace kv::sim
