#include "api/api_printer.h"

#include <cmath>

#include "base/config.h"
#include "base/error_log.h"
#include "core/device_commands.h"
#include "core/job_condition.h"
#include "core/job_scan.h"
#include "core/receipt_send.h"
#include "lang/codepage.h"
#include "lang/localization.h"
#include "link/printer_exchange.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "reports/monthly_request.h"

namespace kv {

namespace {

using nlohmann::json;

// The device record's amounts, read by the link as numbers, answered to the cent.
json RecordAmount(double value) {
  return std::isfinite(value) && std::fabs(value) < 1e15
             ? CentsNumber(static_cast<int64_t>(std::llround(value * 100.0)))
             : json(nullptr);
}

json Flags(const StatusFlags& f) {
  return {{"S1_7", f.S1_7}, {"S1_6", f.S1_6}, {"S1_5", f.S1_5}, {"S1_4", f.S1_4},
          {"S1_3", f.S1_3}, {"S1_2", f.S1_2}, {"S1_1", f.S1_1}, {"S1_0", f.S1_0},
          {"S2_7", f.S2_7}, {"S2_6", f.S2_6}, {"S2_5", f.S2_5}};
}

}  // namespace

ApiPrinter::ApiPrinter(Parts p)
    : cfg_(p.cfg),
      lang_(p.lang),
      errors_(p.errors),
      link_(p.link),
      readouts_(p.readouts),
      commands_(p.commands),
      receipts_(p.receipts) {}

std::string ApiPrinter::Text(int message) const { return Cp1250ToUtf8(lang_.Msg(message)); }

ApiAnswer ApiPrinter::Failure(int status, std::string_view code, const std::string& text) {
  errors_.LogError("HTTP: " + Utf8ToCp1250(text));
  return ErrorAnswer(status, code, text);
}

std::optional<ApiAnswer> ApiPrinter::BringUp(PrinterExchange& exchange) {
  if (link_.device_ready() == 1 && link_.PortOpen()) return std::nullopt;
  if (exchange.BringUp(1)) return std::nullopt;
  switch (link_.last_bring_up()) {
    case BringUp::NoAnswer:
      return Failure(504, "printer_timeout", "the printer did not answer in time");
    case BringUp::PortUnavailable:
      return Failure(503, "printer_not_ready", "the printer's port cannot be opened");
    case BringUp::LinesDown:
      return Failure(503, "printer_not_ready", "the printer's handshake lines are off");
    case BringUp::NotIdentified:
    case BringUp::Ready:
      break;
  }
  return Failure(503, "printer_not_ready", "the printer did not identify itself");
}

std::optional<ApiAnswer> ApiPrinter::Condition(PrinterExchange& exchange, int text) {
  if (!link_.flags().S1_2) return std::nullopt;
  exchange.LeavePortOpen();  // as the printer's condition left it
  return Failure(503, "printer_not_ready", Text(text));
}

ApiAnswer ApiPrinter::Status(PrinterExchange* exchange) {
  if (exchange) {
    const bool was_ready = link_.device_ready() == 1 && link_.PortOpen();
    if (auto failure = BringUp(*exchange)) return *failure;
    // A bring-up has just queried the status; otherwise a query of its own.
    if (was_ready && link_.OpenPort(0) == 0)
      return Failure(504, "printer_timeout", "the printer did not answer the status query");
    if (!readouts_.cfg_to_cis(cfg_.port))
      return Failure(504, "printer_timeout", "the device record did not come");
  }
  ApiAnswer answer;
  answer.body = LastStatus();
  answer.body["busy"] = exchange == nullptr;
  return answer;
}

json ApiPrinter::LastStatus() const {
  return {{"ready", link_.device_ready() == 1 && JobConditionOf(link_.flags(), false).text == 0},
          {"identification", std::string(link_.ident_text())},
          {"statusValue", link_.status_value()},
          {"flags", Flags(link_.flags())},
          {"documentNumber", readouts_.document_number()},
          {"closingNumber", readouts_.device_record().second_counter},
          {"testMode", readouts_.test_mode() == 1}};
}

ApiAnswer ApiPrinter::Info(PrinterExchange& exchange) {
  if (auto failure = BringUp(exchange)) return *failure;
  if (!readouts_.cfg_to_cis(cfg_.port))
    return Failure(504, "printer_timeout", "the device record did not come");
  const DeviceRecord& r = readouts_.device_record();
  json amounts = json::array();
  for (const double a : r.amounts1) amounts.push_back(RecordAmount(a));
  json vat_amounts = json::array();
  for (const double a : r.amounts2) vat_amounts.push_back(RecordAmount(a));
  json rates = json::array();
  for (const uint8_t rate : readouts_.vatRates()) rates.push_back(rate);
  ApiAnswer answer;
  answer.body = {{"documentNumber", r.document_number},
                 {"closingNumber", r.second_counter},
                 {"amounts", amounts},
                 {"vatAmounts", vat_amounts},
                 {"printerDate", Cp1250ToUtf8(r.date)},
                 {"printerTime", Cp1250ToUtf8(r.time)},
                 {"vatRates", rates}};
  return answer;
}

ApiAnswer ApiPrinter::PrintJob(PrinterExchange& exchange, std::string_view bytes,
                               std::optional<int64_t> total_cents) {
  const JobScan scan = ScanJob(bytes);
  if (auto failure = BringUp(exchange)) return *failure;
  readouts_.RequestJournal(scan.journal_request);
  const SendOutcome outcome = receipts_.Send(exchange, {bytes, scan, SendSource::Http, total_cents});
  switch (outcome.result) {
    case SendResult::Confirmed:
      break;
    case SendResult::NotReady:
      return Failure(503, "printer_not_ready", Cp1250ToUtf8(outcome.text));
    case SendResult::NoNumber:
      return Failure(504, "printer_timeout", outcome.text);
    case SendResult::Stopped:
      return Failure(503, "printer_not_ready", outcome.text);
    case SendResult::Unproven:
    case SendResult::NotSent: {
      ApiAnswer answer = Failure(502, "not_confirmed", outcome.text);
      answer.body["documentNumber"] =
          outcome.document_number ? json(*outcome.document_number) : json(nullptr);
      return answer;
    }
  }
  if (cfg_.copy_bl == 1 && scan.read_back) readouts_.ReadJournal();
  ApiAnswer answer;
  answer.body = {{"confirmed", true}};
  if (scan.receipt)
    answer.body["documentNumber"] = outcome.document_number.value_or(readouts_.document_number());
  if (total_cents) answer.body["total"] = CentsNumber(*total_cents);
  return answer;
}

ApiAnswer ApiPrinter::RunCommand(PrinterExchange& exchange, Command command) {
  DeviceCommands& commands = commands_;
  if (auto failure = BringUp(exchange)) return *failure;
  if (auto failure = Condition(exchange, 25)) return *failure;
  switch (command) {
    case Command::XReport:
      commands.SendXReport();
      break;
    case Command::DailyClose:
      if (!commands.SendDailyClose()) {
        // The printer refuses a close now; the port stays as it is.
        exchange.LeavePortOpen();
        return Failure(409, "refused", Text(18));
      }
      break;
    case Command::CopyLastDocument:
      commands.SendCopyLastDocument();
      break;
    case Command::CopyLastClosing:
      commands.SendCopyLastClosing();
      break;
    case Command::Clock:
      link_.SendClockCommand();
      break;
    case Command::Drawer:
      commands.SendDrawerPulse();
      break;
  }
  ApiAnswer answer;
  answer.body = {{"done", true}};
  return answer;
}

ApiAnswer ApiPrinter::MonthlyClose(PrinterExchange& exchange, int year, int month) {
  const MonthlyRequest request = BuildMonthlyRequest(std::to_string(year), month - 1);
  if (request.bytes.empty()) {
    exchange.LeavePortOpen();  // nothing went over the line
    return ErrorAnswer(400, "bad_request", Text(request.message));
  }
  if (auto failure = BringUp(exchange)) return *failure;
  if (auto failure = Condition(exchange, 25)) return *failure;
  const bool sent = commands_.SendMonthlyClose(request.bytes);
  if (!sent) return Failure(504, "printer_timeout", "the monthly request did not go out");
  ApiAnswer answer;
  answer.body = {{"done", true}};
  return answer;
}

}  // namespace kv
