#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "sim/faults.h"
#include "sim/printer_state.h"

namespace kv::sim {

// The printer without a transport: bytes from the program go in, the printer's answer bytes
// come out, and what it prints is kept as paper text. Commands may arrive split at any byte.
class Engine {
 public:
  struct Received {
    uint32_t tick;
    std::string bytes;
  };
  // Requests answered and documents begun since the engine was made (the simulator's
  // statistics tell from these when the program first asked or printed).
  struct Tally {
    uint64_t status_queries = 0;
    uint64_t device_records = 0;
    uint64_t documents_opened = 0;
  };

  explicit Engine(Clock& clock);

  // Takes bytes from the program and returns what the printer answers to them, in order.
  std::string Receive(std::string_view bytes);

  PrinterState& state() { return state_; }
  const PrinterState& state() const { return state_; }
  Faults& faults() { return faults_; }

  // Host time source (seconds since the epoch); the printer clock runs at an offset to it.
  void SetHostTime(std::function<std::time_t()> now) { host_now_ = std::move(now); }
  std::tm PrinterTime() const;

  // The ready lines (RTS, DTR) drop once `after_bytes` more bytes have been taken.
  void DropLines(bool rts, bool dtr, uint32_t after_bytes = 0);
  void RaiseLines() { drop_rts_ = drop_dtr_ = false; }
  bool RtsUp() const { return !(drop_rts_ && taken_ >= drop_at_); }
  bool DtrUp() const { return !(drop_dtr_ && taken_ >= drop_at_); }

  uint8_t Status1() const;
  uint8_t Status2() const { return state_.condition2; }
  bool DocumentOpen() const { return state_.open.kind != OpenDocument::kNone; }
  // Ends the open document as the operator would at the printer (the receipt is finished and
  // booked, free text ended); false when none is open. The program's parser state is kept.
  bool CloseDocument();

  const Tally& tally() const { return tally_; }

  // Every chunk received, with the tick it came at (unless switched off: a long-running
  // simulator keeps no such record).
  const std::vector<Received>& received() const { return received_; }
  std::string ReceivedBytes() const;
  void ClearReceived() { received_.clear(); }
  void RecordReceived(bool on) { record_received_ = on; }

  // Printed paper, cp1250 with LF line ends, a blank line after each document.
  const std::string& paper() const { return paper_; }
  // Hands over the paper printed so far and forgets it.
  std::string TakePaper() { return std::exchange(paper_, {}); }
  // Prints a line of the operator's own on the paper only (not into a document).
  void PaperMark(std::string_view text);

  // Grows whenever the printer state changes (the simulator saves its state file then).
  uint64_t changes() const { return changes_; }
  // For changes made to state() from outside.
  void NoteChange() { ++changes_; }

 private:
  enum class Mode { kText, kEscape, kParams, kTextBlock };
  enum class Params { kMore, kDone, kBad };

  // Parser (engine.cpp)
  void Take(uint8_t byte);
  void TakeText(uint8_t byte);
  void TakeParam(uint8_t byte);
  static Params ParamsState(char letter, const std::string& params);
  void StartCommand(char letter);
  void Run(char letter, const std::string& params);
  void LineReset();
  void EndLine();
  void Changed() { ++changes_; }

  // Answers and settings (engine.cpp)
  void AnswerStatus();
  void AnswerStatusRecord(char letter);
  void AnswerDeviceRecord();
  void SetClock(const std::string& params);
  void Setup(const std::string& params);
  bool Refusing() const;

  // Documents (documents.cpp)
  void Print(std::string_view line);
  void PrintDocument(const std::string& text);
  void OpenReceipt(bool invoice);
  void Item(char vat_letter, const std::string& params);
  void Total();
  void Payment(const std::string& params);
  void EndDocument();
  void EndReceipt();
  void EndDeposit();
  void OpenDeposit(bool withdrawal);
  void OpenFreeText();
  void EndFreeText();
  void TextBlock(const std::string& block);
  void OpenDrawer();
  void Store(DocKind kind, uint32_t number, const std::string& text);
  std::string Header() const;
  std::string Footer(uint32_t number) const;

  // Reports, copies and the journal (reports.cpp)
  std::string TotalsText() const;
  void XReport();
  void DailyClosing();
  void IntervalReport(const std::string& params);
  void DateTimeReport(const std::string& params);
  void CopyLast(bool closing);
  void Copy(const std::string& params);
  void Fetch(const std::string& params);
  void EraseJournal();
  void PrintCopies(const std::vector<const StoredDocument*>& documents);
  std::string ClosingHeader(const StoredDocument& closing) const;
  const StoredDocument* FindClosing(uint32_t number) const;

  Clock& clock_;
  std::function<std::time_t()> host_now_;
  PrinterState state_;
  Faults faults_;

  Mode mode_ = Mode::kText;
  char letter_ = 0;
  std::string params_;
  std::string line_;
  std::string block_;
  bool last_cr_ = false;
  bool after_reset_ = false;
  bool ident_armed_ = false;

  std::string out_;
  std::string paper_;
  std::vector<Received> received_;
  bool record_received_ = true;
  uint64_t taken_ = 0;
  uint64_t changes_ = 0;
  Tally tally_;
  bool drop_rts_ = false, drop_dtr_ = false;
  uint64_t drop_at_ = 0;
};

}  // namespace kv::sim
