#include "sim/control.h"

#include <cerrno>
#include <cstdlib>

#include "lang/codepage.h"
#include "sim/records.h"

namespace kv::sim {

namespace {

bool ParseSwitch(std::string_view text, bool& on) {
  if (text != "on" && text != "off") return false;
  on = text == "on";
  return true;
}

bool ParseMode(std::string_view text, FaultMode& mode) {
  if (text == "once")
    mode = FaultMode::kOnce;
  else if (text == "always")
    mode = FaultMode::kAlways;
  else if (text == "off")
    mode = FaultMode::kOff;
  else
    return false;
  return true;
}

// A decimal (or 0x hexadecimal) number up to `max`.
bool ParseNumber(std::string_view text, unsigned long max, unsigned long& value) {
  const std::string digits(text);
  if (digits.empty() || digits[0] == '-' || digits[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoul(digits.c_str(), &end, 0);
  return *end == 0 && errno == 0 && value <= max;
}

// "rts", "dtr" or "both", optionally ":" and the number of bytes after which they drop.
bool DropLines(Engine& engine, std::string_view text) {
  const size_t colon = text.find(':');
  const std::string_view which = text.substr(0, colon);
  unsigned long after = 0;
  if (colon != std::string_view::npos && !ParseNumber(text.substr(colon + 1), 0xFFFFFFFF, after))
    return false;
  if (which != "rts" && which != "dtr" && which != "both") return false;
  engine.DropLines(which != "dtr", which != "rts", static_cast<uint32_t>(after));
  return true;
}

std::string StateLine(const Engine& engine) {
  const PrinterState& s = engine.state();
  return Fmt("document %u closings %u receipts %u open %d drawer %u test %d", s.document_number,
             s.closing_count, s.receipt_count, engine.DocumentOpen() ? 1 : 0, s.drawer_pulses,
             s.test_mode ? 1 : 0);
}

// Applies the command; false when its argument is wrong.
bool Apply(Engine& engine, std::string_view name, std::string_view arg) {
  Faults& f = engine.faults();
  unsigned long n = 0;
  if (name == "silent") return ParseSwitch(arg, f.silent);
  if (name == "cut-device-record") return ParseSwitch(arg, f.cut_device_record);
  if (name == "nak-copies") return ParseSwitch(arg, f.nak_copies);
  if (name == "garbled") return ParseMode(arg, f.garbled_status);
  if (name == "no-advance") return ParseMode(arg, f.no_advance);
  if (name == "drop-lines") return DropLines(engine, arg);
  if (name == "status1" || name == "status2") {
    if (!ParseNumber(arg, 255, n)) return false;
    (name == "status1" ? engine.state().condition1 : engine.state().condition2) =
        static_cast<uint8_t>(n);
    engine.NoteChange();  // the condition bits are kept in the state file
    return true;
  }
  if (name == "delay") {
    if (!ParseNumber(arg, 600'000, n)) return false;
    f.delay_ms = static_cast<uint32_t>(n);
    return true;
  }
  if (name == "short-record") {
    if (!ParseNumber(arg, 1024, n)) return false;
    f.short_record_by = static_cast<int>(n);
    return true;
  }
  if (name == "records-left") {
    if (arg == "-1") {
      f.device_records_left = -1;
      return true;
    }
    if (!ParseNumber(arg, 1'000'000, n)) return false;
    f.device_records_left = static_cast<int>(n);
    return true;
  }
  if (name == "raise-lines") {
    if (!arg.empty()) return false;
    engine.RaiseLines();
    return true;
  }
  if (name == "paper-mark") {
    engine.PaperMark(Utf8ToCp1250(arg));
    return true;
  }
  return false;
}

bool Known(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "silent",     "garbled",      "status1",           "status2",
      "delay",      "short-record", "cut-device-record", "nak-copies",
      "no-advance", "drop-lines",   "raise-lines",       "records-left",
      "paper-mark", "state",        "close-document",    "stats"};
  for (std::string_view known : kNames)
    if (name == known) return true;
  return false;
}

}  // namespace

std::string RunControlCommand(Engine& engine, std::string_view line, LineStats* stats) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  const size_t blank = line.find(' ');
  const std::string_view name = line.substr(0, blank);
  std::string_view arg =
      blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  while (!arg.empty() && arg.front() == ' ') arg.remove_prefix(1);
  if (!Known(name)) return "error: unknown command " + std::string(name.substr(0, 40));
  if (name == "state") return arg.empty() ? StateLine(engine) : "error: state takes no argument";
  if (name == "stats") {
    if (!stats) return "error: no line statistics here";
    if (arg.empty()) return stats->Line(engine, MonotonicUs());
    if (arg != "mark") return "error: bad argument for stats";
    stats->Mark(engine, MonotonicUs());
    return "ok";
  }
  if (name == "close-document") {
    if (!arg.empty()) return "error: close-document takes no argument";
    return engine.CloseDocument() ? "ok" : "error: no document open";
  }
  if (!Apply(engine, name, arg)) return "error: bad argument for " + std::string(name);
  return "ok";
}

}  // namespace kv::sim
