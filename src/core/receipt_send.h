#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/job_condition.h"
#include "core/job_scan.h"

namespace kv {

class AppShell;
class Clock;
class ErrorLog;
class Localization;
class OperatorBoxes;
class PrinterExchange;
class PrinterLink;
class PrinterReadouts;
class ResultFiles;
class RunCounters;
class View;
struct Config;

// Who asked for the bytes to be printed.
enum class SendSource {
  File,    // an input file, nobody waiting for an answer
  Client,  // an input file the client waits for (messaging on)
  Http,    // a request of the local HTTP interface
};

// How a send ended.
enum class SendResult {
  Confirmed,  // sent, and proven: the document number advanced by one (or none was asked for)
  Unproven,   // sent, but the printer gave no proof: it may or may not have printed
  NotSent,    // the bytes did not all go out (the line failed or did not drain)
  NotReady,   // the printer's condition forbids the job: nothing was sent
  NoNumber,   // the document number could not be read before a receipt: nothing was sent
  Stopped,    // the program is ending: the job ends unfinished
};

struct SendOutcome {
  SendSource source = SendSource::File;
  SendResult result = SendResult::Stopped;
  // The bytes went out whole and the transmit queue drained.
  bool sent = false;
  // The printer's document number, when the device record was read back after sending.
  std::optional<int32_t> document_number;
  // NotReady: the condition (its message, caption, and whether the operator may clear it).
  JobCondition condition;
  // What went wrong, for whoever hears of it: the printer's condition in the operator's
  // language (cp1250), otherwise a plain English sentence; empty when confirmed.
  std::string text;

  bool confirmed() const { return result == SendResult::Confirmed; }
};

struct SendRequest {
  std::string_view bytes;  // the whole job; sending starts at scan.first_command
  const JobScan& scan;
  SendSource source;
  std::optional<int64_t> total_cents = std::nullopt;  // a receipt's total, when it is known
};

// The one way a job's bytes go to the printer and are judged, for the file job, the client's
// job and the HTTP receipts alike: the printer's condition, the document number before a
// receipt, the bytes under handshake, the drain, a copy's one-byte answer, the device record
// read back, and the verdict. It runs inside an exchange the caller holds (the lease and the
// line brought up); the exchange says whether anybody may be asked. Attended, a condition the
// operator may clear is asked about (and the status queried again), the number before a receipt
// and the record after it are waited for with a box (the record so only with MSG=1); unattended,
// each is tried once and the outcome says what stopped it. Result files and answers are the
// caller's: it turns the outcome into its own.
class ReceiptSend {
 public:
  struct Parts {
    Clock& clock;
    AppShell& app;
    OperatorBoxes& boxes;
    View& view;
    const Config& cfg;
    const Localization& lang;
    PrinterLink& link;
    PrinterReadouts& readouts;
    ErrorLog& errors;
    ResultFiles& results;
    RunCounters& counters;  // every verdict but Stopped is counted
  };
  // How long the transmit queue may take to empty after the bytes.
  static constexpr uint32_t kDrainLimitMs = 30000;

  explicit ReceiptSend(Parts parts);
  ReceiptSend(const ReceiptSend&) = delete;
  ReceiptSend& operator=(const ReceiptSend&) = delete;

  // Sends the request's bytes and judges them; a failed verdict leaves nothing queued to send.
  // The verdict is counted by source: Confirmed and Unproven as themselves, NotSent, NotReady
  // and NoNumber as failed; Stopped (the program is ending) is not counted. A confirmed daily
  // closing job is counted as a daily closing as well.
  SendOutcome Send(const PrinterExchange& exchange, const SendRequest& request);

  // A Send is running (the readouts then add no reads of their own to its exchange).
  bool sending() const { return sending_; }

  // The condition check alone (the first step of Send), for a job that reads instead of
  // sending: none when the job may go on, otherwise the outcome that stops it (NotReady,
  // Stopped).
  std::optional<SendOutcome> CheckCondition(const PrinterExchange& exchange, const JobScan& scan,
                                            SendSource source);

 private:
  SendOutcome Judge(const PrinterExchange& exchange, const SendRequest& request);
  void Count(const SendOutcome& outcome, const SendRequest& request);
  // The document number before a receipt; false when it could not be read (attended: only
  // when the program is ending).
  bool ReadNumberBefore(bool attended);
  bool SendBytes(const SendRequest& request);
  // A copy's one-byte answer; false when it did not come or refused the copy.
  bool CopyAnswered(bool attended);
  enum class ReadBack { Read, GivenUp, Stopped };
  ReadBack ReadRecordAfter(bool attended, size_t bytes_sent);

  Clock& clock_;
  AppShell& app_;
  OperatorBoxes& boxes_;
  View& view_;
  const Config& cfg_;
  const Localization& lang_;
  PrinterLink& link_;
  PrinterReadouts& readouts_;
  ErrorLog& errors_;
  ResultFiles& results_;
  RunCounters& counters_;
  bool sending_ = false;
};

}  // namespace kv
