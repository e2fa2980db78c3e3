#include "sim/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "sim/records.h"

namespace kv::sim {

namespace {

constexpr const char* kMagic = "kv4910-sim-state 1";

std::string Hex(std::string_view bytes) {
  static const char* const kDigits = "0123456789abcdef";
  std::string out = "x";  // never empty, so a field always has a token
  for (char c : bytes) {
    out += kDigits[static_cast<uint8_t>(c) >> 4];
    out += kDigits[static_cast<uint8_t>(c) & 0x0F];
  }
  return out;
}

int Nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unhex(const std::string& token, std::string& out) {
  if (token.empty() || token[0] != 'x' || token.size() % 2 == 0) return false;
  out.clear();
  for (size_t i = 1; i + 1 < token.size(); i += 2) {
    const int hi = Nibble(token[i]), lo = Nibble(token[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

bool SaveState(const PrinterState& s, const std::string& path, std::string* error) {
  std::ostringstream out;
  out.precision(17);
  out << kMagic << "\n";
  out << "serial " << s.serial << "\n";
  out << "identity " << Hex(std::string{s.kind, s.line_mode, s.memory_letter}) << " "
      << Hex(s.model) << " " << Hex(s.version) << " " << Hex(s.dkp) << " " << Hex(s.header) << "\n";
  out << "flags " << int{s.busy} << " " << int{s.paper_end} << " " << int{s.ack} << " "
      << int{s.error} << " " << int{s.display} << "\n";
  out << "counters " << s.document_number << " " << s.closing_count << " " << s.receipt_count << " "
      << s.drawer_pulses << "\n";
  out << "test_mode " << (s.test_mode ? 1 : 0) << "\n";
  out << "vat";
  for (uint8_t rate : s.vat_rates) out << " " << int{rate};
  out << "\nrounding";
  for (const std::string& line : s.rounding) out << " " << Hex(line);
  out << "\ncurrency " << Hex(std::string{s.active_currency, s.dual_currency}) << " " << Hex(s.rate)
      << "\n";
  out << "day";
  for (double amount : s.day.Column1()) out << " " << amount;
  for (double amount : s.day.vat) out << " " << amount;
  out << "\nfirst_date " << Hex(s.first_document_date) << "\n";
  out << "last_text " << Hex(s.last_text) << "\n";
  out << "clock " << s.clock_offset_s << "\n";
  out << "conditions " << int{s.condition1} << " " << int{s.condition2} << "\n";
  if (s.open.kind != OpenDocument::kNone) {
    const OpenDocument& d = s.open;
    out << "open " << static_cast<char>(d.kind) << " " << Hex(d.body);
    for (double amount : d.by_level) out << " " << amount;
    out << " " << d.negatives << " " << d.discounts << " " << d.reversals;
    for (double amount : d.tenders) out << " " << amount;
    out << "\n";
  }
  for (const StoredDocument& doc : s.journal)
    out << "doc " << doc.number << " " << doc.closing << " " << static_cast<char>(doc.kind) << " "
        << Hex(doc.date) << " " << Hex(doc.time) << " " << Hex(doc.text) << "\n";

  const std::string temp = path + ".tmp";
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file << out.str();
    file.flush();
    if (!file) {
      SetError(error, "cannot write " + temp + ": " + std::strerror(errno));
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    SetError(error, "cannot replace " + path + ": " + std::strerror(errno));
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool LoadState(PrinterState& state, const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    SetError(error, "cannot open " + path + ": " + std::strerror(errno));
    return false;
  }
  std::string line;
  if (!std::getline(file, line) || line != kMagic) {
    SetError(error, path + " is not a simulator state file");
    return false;
  }
  PrinterState s = state;
  s.journal.clear();
  s.open = OpenDocument{};
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    std::istringstream in(line);
    std::string key;
    in >> key;
    bool ok = true;
    auto text = [&](std::string& target) {
      std::string token;
      ok = ok && (in >> token) && Unhex(token, target);
    };
    auto byte = [&](uint8_t& target) {
      int value = 0;
      ok = ok && (in >> value) && value >= 0 && value <= 255;
      target = static_cast<uint8_t>(value);
    };
    if (key == "serial") {
      ok = static_cast<bool>(in >> s.serial);
    } else if (key == "identity") {
      std::string chars;
      text(chars);
      ok = ok && chars.size() == 3;
      if (ok) s.kind = chars[0], s.line_mode = chars[1], s.memory_letter = chars[2];
      text(s.model), text(s.version), text(s.dkp), text(s.header);
    } else if (key == "flags") {
      byte(s.busy), byte(s.paper_end), byte(s.ack), byte(s.error), byte(s.display);
    } else if (key == "counters") {
      ok = static_cast<bool>(in >> s.document_number >> s.closing_count >> s.receipt_count >>
                             s.drawer_pulses);
    } else if (key == "test_mode") {
      int on = 0;
      ok = static_cast<bool>(in >> on);
      s.test_mode = on != 0;
    } else if (key == "vat") {
      for (uint8_t& rate : s.vat_rates) byte(rate);
    } else if (key == "rounding") {
      for (std::string& value : s.rounding) text(value);
    } else if (key == "currency") {
      std::string chars;
      text(chars);
      ok = ok && chars.size() == 2;
      if (ok) s.active_currency = chars[0], s.dual_currency = chars[1];
      text(s.rate);
    } else if (key == "day") {
      double c[12];
      for (double& amount : c) ok = ok && static_cast<bool>(in >> amount);
      for (double& amount : s.day.vat) ok = ok && static_cast<bool>(in >> amount);
      if (ok) {
        for (int i = 0; i < 5; ++i) s.day.turnover[i] = c[i];
        s.day.negatives = c[6], s.day.discounts = c[7], s.day.reversals = c[8];
        s.day.deposits = c[9], s.day.withdrawals = c[10], s.day.cash = c[11];
      }
    } else if (key == "first_date") {
      text(s.first_document_date);
    } else if (key == "last_text") {
      text(s.last_text);
    } else if (key == "clock") {
      ok = static_cast<bool>(in >> s.clock_offset_s);
    } else if (key == "conditions") {
      byte(s.condition1), byte(s.condition2);
    } else if (key == "open") {
      OpenDocument& d = s.open;
      char kind = 0;
      ok = (in >> kind) && std::string_view("RVWN").find(kind) != std::string_view::npos;
      d.kind = static_cast<OpenDocument::Kind>(kind);
      text(d.body);
      for (double& amount : d.by_level) ok = ok && static_cast<bool>(in >> amount);
      ok = ok && static_cast<bool>(in >> d.negatives >> d.discounts >> d.reversals);
      for (double& amount : d.tenders) ok = ok && static_cast<bool>(in >> amount);
    } else if (key == "doc") {
      StoredDocument doc;
      char kind = 0;
      ok = static_cast<bool>(in >> doc.number >> doc.closing >> kind);
      doc.kind = static_cast<DocKind>(kind);
      ok = ok && std::string_view("RVWZX").find(kind) != std::string_view::npos;
      text(doc.date), text(doc.time), text(doc.text);
      if (ok && s.journal.size() < kJournalLimit) s.journal.push_back(std::move(doc));
    } else if (!key.empty()) {
      ok = false;
    }
    if (!ok) {
      SetError(error, Fmt("%s: line %d is damaged", path.c_str(), number + 1));
      return false;
    }
  }
  state = std::move(s);
  return true;
}

}  // namespace kv::sim
