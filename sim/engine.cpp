#include "sim/engine.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "base/system.h"
#include "sim/records.h"

namespace kv::sim {

namespace {

constexpr uint8_t kDc1 = 17;
constexpr uint8_t kFf = 12;
constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;
constexpr size_t kMaxParams = 64;
constexpr size_t kMaxPrintedLine = 200;
constexpr size_t kMaxBlock = 4096;

size_t CountCr(const std::string& s) {
  return static_cast<size_t>(std::count(s.begin(), s.end(), '\r'));
}

}  // namespace

Engine::Engine(Clock& clock) : clock_(clock), host_now_([] { return std::time(nullptr); }) {}

std::string Engine::Receive(std::string_view bytes) {
  if (bytes.empty()) return {};
  if (record_received_) received_.push_back({clock_.TickCount(), std::string(bytes)});
  out_.clear();
  for (char c : bytes) {
    ++taken_;
    if (!faults_.silent && !PowerOff()) Take(static_cast<uint8_t>(c));
  }
  return std::move(out_);
}

void Engine::CutOff(uint32_t after_bytes, uint32_t for_ms) {
  cut_pending_ = true;
  cut_at_ = taken_ + after_bytes;
  cut_for_ms_ = for_ms;
}

bool Engine::SwitchedOff() const {
  return off_ && static_cast<int32_t>(clock_.TickCount() - back_at_) < 0;
}

bool Engine::PowerOff() {
  if (cut_pending_ && taken_ > cut_at_) {
    cut_pending_ = false;
    off_ = true;
    back_at_ = clock_.TickCount() + cut_for_ms_;
    LineReset();
  }
  if (off_ && !SwitchedOff()) off_ = false;
  return off_;
}

std::string Engine::ReceivedBytes() const {
  std::string all;
  for (const Received& chunk : received_) all += chunk.bytes;
  return all;
}

void Engine::PaperMark(std::string_view text) {
  for (char c : text.substr(0, kMaxPrintedLine))
    if (static_cast<uint8_t>(c) >= 32) paper_ += c;
  paper_ += '\n';
}

std::tm Engine::PrinterTime() const {
  const std::time_t t = host_now_() + static_cast<std::time_t>(state_.clock_offset_s);
  return kv::LocalTime(t);
}

void Engine::DropLines(bool rts, bool dtr, uint32_t after_bytes) {
  drop_rts_ = rts;
  drop_dtr_ = dtr;
  drop_at_ = taken_ + after_bytes;
}

uint8_t Engine::Status1() const {
  uint8_t s1 = state_.condition1;
  if (DocumentOpen()) s1 |= status1::kDocumentOpen | status1::kClosingRefused;
  const std::string& first = state_.first_document_date;
  if (!first.empty() && first < DateKey(PrinterTime())) s1 |= status1::kClosingDue;
  return s1;
}

// A fiscal document cannot start while a closing is due or the printer reports a fault.
bool Engine::Refusing() const {
  return (Status1() & (status1::kClosingDue | status1::kBusy)) != 0 ||
         (Status2() & (status2::kFiscalMemoryFull | status2::kFiscalMemoryError |
                       status2::kMechanismError)) != 0;
}

// ---- parser ----------------------------------------------------------------------------------

void Engine::Take(uint8_t byte) {
  switch (mode_) {
    case Mode::kTextBlock:
      if (byte == kEtx) {
        mode_ = Mode::kText;
        const std::string block = std::move(block_);
        block_.clear();
        TextBlock(block);
      } else if (block_.size() < kMaxBlock) {
        block_ += static_cast<char>(byte);
      }
      return;
    case Mode::kEscape:
      mode_ = Mode::kText;
      if (byte == kEsc) {  // ESC ESC: the second one starts the command
        mode_ = Mode::kEscape;
        return;
      }
      StartCommand(static_cast<char>(byte));
      return;
    case Mode::kParams:
      TakeParam(byte);
      return;
    case Mode::kText:
      TakeText(byte);
      return;
  }
}

void Engine::TakeText(uint8_t byte) {
  const bool after_cr = last_cr_;
  last_cr_ = false;
  if (byte == kEsc) {
    mode_ = Mode::kEscape;
  } else if (byte == kEtx) {
    LineReset();
  } else if (byte == kCr) {
    EndLine();
    last_cr_ = true;
  } else if (byte == kLf) {
    if (!after_cr) EndLine();
  } else if (byte >= 32) {
    if (line_.size() < kMaxPrintedLine) line_ += static_cast<char>(byte);
  }
  // FF, NUL and the other control bytes print nothing.
  (void)kFf;
}

void Engine::TakeParam(uint8_t byte) {
  if (byte == kEsc) {  // an unfinished command is dropped; a new one starts
    mode_ = Mode::kEscape;
    return;
  }
  if (byte == kEtx) {
    mode_ = Mode::kText;
    LineReset();
    return;
  }
  params_ += static_cast<char>(byte);
  const Params state = ParamsState(letter_, params_);
  if (state == Params::kMore && params_.size() < kMaxParams) return;
  mode_ = Mode::kText;
  if (state == Params::kDone) {
    last_cr_ = !params_.empty() && params_.back() == '\r';
    Run(letter_, params_);
  } else {
    after_reset_ = ident_armed_ = false;
    // Requests the program waits on (closing, copies, reports) are refused, not left hanging.
    if (std::string_view("dCXzq").find(letter_) != std::string_view::npos) out_ += kNak;
  }
  params_.clear();
}

// Whether the parameters of a command are complete, need more bytes, or cannot be right.
Engine::Params Engine::ParamsState(char letter, const std::string& p) {
  const char last = p.back();
  switch (letter) {
    case '!':
      return Params::kDone;
    case 'd':
      if (std::string_view("Yes").substr(0, p.size()) != p) return Params::kBad;
      return p.size() == 3 ? Params::kDone : Params::kMore;
    case 't':
      return p.size() == 26 ? Params::kDone : Params::kMore;
    case '+':
      switch (p[0]) {
        case 'd':
          return CountCr(p) == 5 ? Params::kDone : Params::kMore;
        case 'z':
          return CountCr(p) == 2 ? Params::kDone : Params::kMore;
        case 'M':
          return last == '\r' ? Params::kDone : Params::kMore;
        case 'T':
          return p.size() == 2 ? Params::kDone : Params::kMore;
        default:
          return Params::kBad;
      }
    case 'X':
    case 'q':
      return CountCr(p) == 2 ? Params::kDone : Params::kMore;
    case 'C':
      if (p[0] == 'b') return CountCr(p) == 2 ? Params::kDone : Params::kMore;
      if (p[0] == 'B' || p[0] == 'D') return last == '\r' ? Params::kDone : Params::kMore;
      return Params::kBad;
    default:  // '~', 'z', 'k', 'P' and the item letters end at CR
      return last == '\r' ? Params::kDone : Params::kMore;
  }
}

void Engine::StartCommand(char letter) {
  static constexpr std::string_view kWithParams = "!dt+~zkPXCq0123456789";
  letter_ = letter;
  params_.clear();
  if (kWithParams.find(letter) != std::string_view::npos) {
    mode_ = Mode::kParams;
    return;
  }
  Run(letter, {});
}

void Engine::LineReset() {
  mode_ = Mode::kText;
  params_.clear();
  line_.clear();
  after_reset_ = true;
  ident_armed_ = false;
}

void Engine::EndLine() {
  std::string line = std::move(line_);
  line_.clear();
  if (!line.empty()) after_reset_ = false;
  switch (state_.open.kind) {
    case OpenDocument::kFreeText:
      Print(line);
      break;
    case OpenDocument::kReceipt:
    case OpenDocument::kDeposit:
    case OpenDocument::kWithdrawal:
      if (!line.empty()) Print(line);
      break;
    case OpenDocument::kNone:
      break;  // text outside a document is not printed
  }
}

void Engine::Run(char letter, const std::string& params) {
  const bool was_reset = after_reset_;
  const bool armed = ident_armed_;
  after_reset_ = ident_armed_ = false;
  switch (letter) {
    case kDc1:
      ++tally_.status_queries;
      AnswerStatus();
      break;
    case 'e':
      // Right after a line reset (or with nothing to end) ESC "e" is the first half of the
      // identification request; otherwise it ends the receipt, deposit or withdrawal.
      if (!was_reset && (state_.open.kind == OpenDocument::kReceipt ||
                         state_.open.kind == OpenDocument::kDeposit ||
                         state_.open.kind == OpenDocument::kWithdrawal))
        EndDocument();
      else
        ident_armed_ = true;
      break;
    case 'i':
      if (armed)
        out_ += Identification(state_);
      else if (state_.open.kind == OpenDocument::kFreeText)
        EndFreeText();
      break;
    case 'I':
      ++tally_.device_records;
      AnswerDeviceRecord();
      break;
    case '!':
      AnswerStatusRecord(params[0]);
      break;
    case 'b':
    case 'B':
      OpenReceipt(letter == 'B');
      break;
    case 'k':
      Total();
      break;
    case 'P':
      Payment(params);
      break;
    case 'V':
    case 'v':
      OpenDeposit(letter == 'v');
      break;
    case 'n':
      OpenFreeText();
      break;
    case 'F':
      mode_ = Mode::kTextBlock;
      block_.clear();
      break;
    case 'x':
      XReport();
      break;
    case 'd':
      DailyClosing();
      break;
    case 'X':
      IntervalReport(params);
      break;
    case 'z':
      DateTimeReport(params);
      break;
    case 'c':
      CopyLast(false);
      break;
    case 'D':
      CopyLast(true);
      break;
    case 'C':
      Copy(params);
      break;
    case 'q':
      Fetch(params);
      break;
    case 'Q':
      out_ += state_.last_text;
      break;
    case 't':
      SetClock(params);
      break;
    case '+':
      Setup(params);
      break;
    case '~':
      if (params == "CLEAR\r") EraseJournal();
      break;
    case 'o':
      OpenDrawer();
      break;
    default:
      if (letter >= '0' && letter <= '9') Item(letter, params);
      break;  // other letters are not commands of this printer: ignored
  }
}

// ---- answers ---------------------------------------------------------------------------------

void Engine::AnswerStatus() {
  bool garbled = faults_.garbled_status != FaultMode::kOff;
  if (faults_.garbled_status == FaultMode::kOnce) faults_.garbled_status = FaultMode::kOff;
  out_ += StatusAnswer(Status1(), Status2(), garbled);
}

void Engine::AnswerStatusRecord(char letter) {
  std::string body = StatusRecordBody(state_, letter);
  const size_t length = body.size();
  if (faults_.short_record_by > 0)
    body.resize(body.size() - std::min<size_t>(body.size(), faults_.short_record_by));
  out_ += static_cast<char>((length >> 8) & 0xFF);
  out_ += static_cast<char>(length & 0xFF);
  out_ += body;
}

void Engine::AnswerDeviceRecord() {
  if (faults_.device_records_left == 0) return;
  if (faults_.device_records_left > 0) --faults_.device_records_left;
  std::string record = DeviceRecord(state_, PrinterTime());
  if (faults_.cut_device_record) record.resize(record.size() / 2);
  out_ += record;
}

// ESC "t" and 26 bytes: the digits of day, month, hour, minute and year sit between fixed
// template characters ("11111" "7" D "6" d "9" M "8" m "5" H "4" h "3" M "2" m ";" Y ":" y CR).
void Engine::SetClock(const std::string& p) {
  static constexpr std::string_view kFixed = "111117?6?9?8?5?4?3?2?;?:?\r";
  for (size_t i = 0; i < kFixed.size(); ++i) {
    if (kFixed[i] == '?' ? !std::isdigit(static_cast<unsigned char>(p[i])) : p[i] != kFixed[i])
      return;
  }
  if (DocumentOpen()) return;
  auto two = [&](size_t tens) { return (p[tens] - '0') * 10 + (p[tens + 2] - '0'); };
  std::tm t{};
  t.tm_mday = two(6);
  t.tm_mon = two(10) - 1;
  t.tm_hour = two(14);
  t.tm_min = two(18);
  t.tm_year = 100 + two(22);
  t.tm_isdst = -1;
  if (t.tm_mday < 1 || t.tm_mday > 31 || t.tm_mon < 0 || t.tm_mon > 11 || t.tm_hour > 23 ||
      t.tm_min > 59)
    return;
  const std::time_t wanted = mktime(&t);
  if (wanted == static_cast<std::time_t>(-1)) return;
  state_.clock_offset_s = static_cast<int64_t>(wanted - host_now_());
  Changed();
}

void Engine::Setup(const std::string& p) {
  auto fields = [&](size_t from) {
    std::vector<std::string> out;
    size_t pos = from;
    for (size_t cr; (cr = p.find('\r', pos)) != std::string::npos; pos = cr + 1)
      out.push_back(p.substr(pos, cr - pos));
    return out;
  };
  switch (p[0]) {
    case 'd': {  // five VAT rates; only with the day's amounts at zero and no document open
      const auto rates = fields(1);
      if (!state_.day.AllZero() || DocumentOpen()) return;
      for (const std::string& rate : rates)
        if (!AllDigits(rate) || rate.size() > 2) return;
      for (size_t i = 0; i < 5; ++i)
        state_.vat_rates[i] = static_cast<uint8_t>(std::stoi(rates[i]));
      break;
    }
    case 'z': {  // rounding rule 1..3: two values
      const int rule = p.size() > 1 ? p[1] - '0' : 0;
      if (rule < 1 || rule > 3) return;
      const auto values = fields(2);
      for (size_t i = 0; i < 2; ++i) state_.rounding[(rule - 1) * 2 + i] = values[i].substr(0, 23);
      break;
    }
    case 'M': {  // active currency, dual currency, rate text, CR
      if (p.size() < 4 || p[1] < '1' || p[1] > '4' || p[2] < '1' || p[2] > '6') return;
      state_.active_currency = p[1];
      state_.dual_currency = p[2];
      state_.rate = p.substr(3, std::min<size_t>(p.size() - 4, 10));
      break;
    }
    case 'T':
      if ((p[1] != '0' && p[1] != '1') || DocumentOpen()) return;
      state_.test_mode = p[1] == '1';
      break;
  }
  Changed();
}

}  // namespace kv::sim
