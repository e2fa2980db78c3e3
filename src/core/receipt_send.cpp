#include "core/receipt_send.h"

#include "base/app_shell.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/control_bytes.h"
#include "base/error_log.h"
#include "base/operator_boxes.h"
#include "base/run_counters.h"
#include "base/view.h"
#include "core/core_messages.h"
#include "core/job_read_back.h"
#include "lang/localization.h"
#include "link/printer_exchange.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "link/result_files.h"

namespace kv {

namespace {

SendOutcome Ended(SendSource source, SendResult result, std::string text) {
  SendOutcome outcome;
  outcome.source = source;
  outcome.result = result;
  outcome.text = std::move(text);
  return outcome;
}

}  // namespace

ReceiptSend::ReceiptSend(Parts p)
    : clock_(p.clock),
      app_(p.app),
      boxes_(p.boxes),
      view_(p.view),
      cfg_(p.cfg),
      lang_(p.lang),
      link_(p.link),
      readouts_(p.readouts),
      errors_(p.errors),
      results_(p.results),
      counters_(p.counters) {}

std::optional<SendOutcome> ReceiptSend::CheckCondition(const PrinterExchange& exchange,
                                                       const JobScan& scan, SendSource source) {
  const bool attended = exchange.attended();
  for (;;) {
    link_.OpenPort(0);
    // No answer (0) or nothing set (1): the job goes on, as it does without a state check.
    const int32_t status = link_.status_value();
    if (status == 0 || status == 1 || !scan.state_check) return std::nullopt;
    const JobCondition condition = JobConditionOf(link_.flags(), scan.closing_job);
    if (condition.text == 0) return std::nullopt;
    if (condition.log) errors_.LogError(condition.log);
    SendOutcome not_ready = Ended(source, SendResult::NotReady, lang_.Msg(condition.text));
    not_ready.condition = condition;
    if (!attended) return not_ready;
    // info.txt first, so that the point-of-sale program finds the status while the box shows.
    results_.WriteInfoFile();
    const SendOutcome stopped = Ended(source, SendResult::Stopped, "the program is ending");
    if (!condition.ask) {
      boxes_.Captioned(lang_.Msg(condition.caption), lang_.Msg(condition.text), BoxButtons::Ok,
                       BoxIcon::Warning);
      return app_.Ending() ? stopped : not_ready;
    }
    if (app_.Ending()) return stopped;
    if (boxes_.Captioned(lang_.Msg(condition.caption), lang_.Msg(condition.text),
                         BoxButtons::YesNo, BoxIcon::Question) != BoxAnswer::Yes)
      return app_.Ending() ? stopped : not_ready;
    if (!link_.RetryPause()) return stopped;
  }
}

SendOutcome ReceiptSend::Send(const PrinterExchange& exchange, const SendRequest& request) {
  const SendOutcome outcome = Judge(exchange, request);
  Count(outcome, request);
  return outcome;
}

void ReceiptSend::Count(const SendOutcome& outcome, const SendRequest& request) {
  static constexpr CountedSource kSources[] = {CountedSource::File, CountedSource::Client,
                                               CountedSource::Http};
  const CountedSource source = kSources[static_cast<size_t>(outcome.source)];
  const DocumentFacts facts{outcome.document_number, request.total_cents};
  switch (outcome.result) {
    case SendResult::Confirmed:
      counters_.CountDocument(source, CountedOutcome::Confirmed, facts);
      if (request.scan.closing_job) counters_.CountDailyClosing();
      return;
    case SendResult::Unproven:
      counters_.CountDocument(source, CountedOutcome::Unproven, facts);
      return;
    case SendResult::NotSent:
    case SendResult::NotReady:
    case SendResult::NoNumber:
      counters_.CountDocument(source, CountedOutcome::Failed, facts);
      return;
    case SendResult::Stopped:
      return;  // the program is ending: no verdict to count
  }
}

SendOutcome ReceiptSend::Judge(const PrinterExchange& exchange, const SendRequest& request) {
  struct Sending {
    bool& on;
    explicit Sending(bool& flag) : on(flag) { on = true; }
    ~Sending() { on = false; }
  } sending(sending_);
  const JobScan& scan = request.scan;
  const bool attended = exchange.attended();
  if (auto stop = CheckCondition(exchange, scan, request.source)) return *stop;

  int32_t before = 0;
  if (scan.receipt && scan.read_back) {
    if (!ReadNumberBefore(attended))
      return app_.Ending()
                 ? Ended(request.source, SendResult::Stopped, "the program is ending")
                 : Ended(request.source, SendResult::NoNumber,
                         "the document number could not be read before printing");
    before = readouts_.document_number();
  }

  SendOutcome outcome = Ended(request.source, SendResult::NotSent,
                              "the bytes did not all reach the printer");
  outcome.sent = SendBytes(request) && link_.WaitTxEmpty(kDrainLimitMs);
  bool proven = outcome.sent;
  if (outcome.sent && scan.copy && !scan.receipt) proven = CopyAnswered(attended);
  if (outcome.sent && scan.read_back) {
    const size_t length = request.bytes.size() - scan.first_command.value_or(request.bytes.size());
    switch (ReadRecordAfter(attended, length)) {
      case ReadBack::Read:
        outcome.document_number = readouts_.document_number();
        break;
      case ReadBack::GivenUp:
        proven = false;
        break;
      case ReadBack::Stopped:
        return Ended(request.source, SendResult::Stopped, "the program is ending");
    }
  }

  if (JobConfirmed(proven, scan.receipt, readouts_.test_mode() == 1, before,
                   readouts_.document_number())) {
    outcome.result = SendResult::Confirmed;
    outcome.text.clear();
    return outcome;
  }
  // What did not go out must not trail into the next exchange.
  link_.Clear_TX_Que();
  if (outcome.sent) {
    outcome.result = SendResult::Unproven;
    outcome.text = scan.receipt ? "the document number did not advance by one: the document may "
                                  "or may not have printed"
                                : "the printer gave no proof of the job: it may or may not have "
                                  "printed";
  }
  return outcome;
}

bool ReceiptSend::ReadNumberBefore(bool attended) {
  if (!attended) return readouts_.cfg_to_cis(cfg_.port);
  // The operator has only OK here: the receipt must not go out before its number is known.
  while (!readouts_.cfg_to_cis(cfg_.port)) {
    if (app_.Ending()) return false;
    link_.WriteComChar(kCR, static_cast<uint32_t>(cfg_.handshake_wait));
    boxes_.Captioned(lang_.Msg(kMsgDocumentNumberCaption), lang_.Msg(kMsgDocumentNumberUnread),
                     BoxButtons::Ok, BoxIcon::Warning);
    link_.Clear_RX_Que();
    if (!link_.RetryPause()) return false;
  }
  return true;
}

bool ReceiptSend::SendBytes(const SendRequest& request) {
  view_.SetTrayHint(lang_.Msg(kMsgPrintingDocument));
  link_.Clear_RX_Que();
  const uint32_t limit = static_cast<uint32_t>(cfg_.handshake_wait);
  const std::string_view command =
      request.bytes.substr(request.scan.first_command.value_or(request.bytes.size()));
  if (link_.WriteComChars(command, limit) != command.size()) {
    // A port that failed underneath was closed by the link: that is a transmission error.
    if (!link_.PortOpen()) errors_.LogError("Chyba prenosu WriteComChar tlac blocku.");
    return false;
  }
  if (request.scan.trailer) {
    link_.WriteComChar(kESC, limit);
    link_.WriteComChar('F', limit);
    link_.WriteComChar(kETX, limit);
  }
  return true;
}

bool ReceiptSend::CopyAnswered(bool attended) {
  // The printer answers a copy with one byte. The wait is bounded by the information time
  // limit; a missing answer is logged and the job goes on.
  link_.WaitFor(static_cast<uint32_t>(cfg_.time_info), [this] { return link_.Get_RX_Que() >= 1; });
  uint8_t reply = 0;
  if (link_.ReadNow(&reply, 1) != 1) {
    errors_.LogError("Chyba vycitania kopie dokladu.");
    return false;
  }
  if (reply != kNAK) return true;
  if (attended)
    boxes_.Plain(lang_.Msg(kMsgCopyRequestRefused), BoxButtons::Ok, BoxIcon::Information);
  return false;
}

ReceiptSend::ReadBack ReceiptSend::ReadRecordAfter(bool attended, size_t bytes_sent) {
  if (ReadBackAfterJob(clock_, link_, readouts_, cfg_, bytes_sent)) return ReadBack::Read;
  for (;;) {
    if (!attended || cfg_.MSG != 1) return ReadBack::GivenUp;  // the verdict fails
    if (app_.Ending()) return ReadBack::Stopped;
    boxes_.Captioned(lang_.Msg(kMsgStateAfterPrintCaption), lang_.Msg(kMsgStateAfterPrintUnread),
                     BoxButtons::Ok, BoxIcon::Warning);
    link_.Clear_RX_Que();
    if (!link_.RetryPause()) return ReadBack::Stopped;
    if (readouts_.cfg_to_cis(cfg_.port)) return ReadBack::Read;
  }
}

}  // namespace kv
