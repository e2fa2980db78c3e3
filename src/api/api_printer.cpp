#include "api/api_printer.h"

#include <cmath>

#include "base/config.h"
#include "base/control_bytes.h"
#include "core/job_condition.h"
#include "core/job_read_back.h"
#include "core/job_scan.h"
#include "core/print_job_loop.h"
#include "core/print_manager.h"
#include "lang/codepage.h"
#include "reports/monthly_request.h"

namespace kv {

namespace {

using nlohmann::json;

// The link asks nobody for as long as this lives.
class Unattended {
 public:
  explicit Unattended(PrinterLink& link) : link_(link) { link_.SetUnattended(true); }
  ~Unattended() { link_.SetUnattended(false); }
  Unattended(const Unattended&) = delete;
  Unattended& operator=(const Unattended&) = delete;

 private:
  PrinterLink& link_;
};

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

std::string ApiPrinter::Text(int message) const { return Cp1250ToUtf8(pm_.Msg(message)); }

ApiAnswer ApiPrinter::Failure(int status, std::string_view code, const std::string& text) {
  pm_.files().LogError("HTTP: " + Utf8ToCp1250(text));
  return ErrorAnswer(status, code, text);
}

void ApiPrinter::Done() {
  if (pm_.config().CLOSE_PORT) pm_.link().ClosePort();
}

std::optional<ApiAnswer> ApiPrinter::BringUp() {
  PrinterLink& link = pm_.link();
  if (link.device_ready() == 1 && link.ComPort1().Connected()) return std::nullopt;
  if (link.InitPort(1) != 0) return std::nullopt;
  switch (link.last_bring_up()) {
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

std::optional<ApiAnswer> ApiPrinter::Condition(int text) {
  if (!pm_.link().flags().S1_2) return std::nullopt;
  return Failure(503, "printer_not_ready", Text(text));
}

ApiAnswer ApiPrinter::Status(bool leased_elsewhere) {
  PrinterLink& link = pm_.link();
  PrinterReadouts& readouts = pm_.readouts();
  if (!leased_elsewhere) {
    Unattended unattended(link);
    const bool was_ready = link.device_ready() == 1 && link.ComPort1().Connected();
    if (auto failure = BringUp()) return *failure;
    // A bring-up has just queried the status; otherwise a query of its own.
    if (was_ready && link.OpenPort(0) == 0) {
      Done();
      return Failure(504, "printer_timeout", "the printer did not answer the status query");
    }
    const bool record = readouts.cfg_to_cis(pm_.config().port);
    Done();
    if (!record) return Failure(504, "printer_timeout", "the device record did not come");
  }
  ApiAnswer answer;
  answer.body = LastStatus();
  answer.body["busy"] = leased_elsewhere;
  return answer;
}

json ApiPrinter::LastStatus() const {
  PrinterLink& link = pm_.link();
  PrinterReadouts& readouts = pm_.readouts();
  return {{"ready", link.device_ready() == 1 && JobConditionOf(link.flags(), false).text == 0},
          {"identification", std::string(link.ident_text())},
          {"statusValue", link.status_value()},
          {"flags", Flags(link.flags())},
          {"documentNumber", readouts.document_number()},
          {"testMode", readouts.test_mode() == 1}};
}

ApiAnswer ApiPrinter::Info() {
  PrinterReadouts& readouts = pm_.readouts();
  Unattended unattended(pm_.link());
  if (auto failure = BringUp()) return *failure;
  const bool record = readouts.cfg_to_cis(pm_.config().port);
  Done();
  if (!record) return Failure(504, "printer_timeout", "the device record did not come");
  const DeviceRecord& r = readouts.device_record();
  json amounts = json::array();
  for (const double a : r.amounts1) amounts.push_back(RecordAmount(a));
  json vat_amounts = json::array();
  for (const double a : r.amounts2) vat_amounts.push_back(RecordAmount(a));
  json rates = json::array();
  for (const uint8_t rate : readouts.vatRates()) rates.push_back(rate);
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

ApiAnswer ApiPrinter::PrintJob(std::string_view bytes, std::optional<int64_t> total_cents) {
  PrinterLink& link = pm_.link();
  PrinterReadouts& readouts = pm_.readouts();
  const Config& cfg = pm_.config();
  Unattended unattended(link);
  const JobScan scan = ScanJob(bytes);
  if (auto failure = BringUp()) return *failure;

  // The printer's condition, as the print job checks it before sending.
  if (link.OpenPort(0) == 0) {
    Done();
    return Failure(504, "printer_timeout", "the printer did not answer the status query");
  }
  if (scan.state_check) {
    const JobCondition condition = JobConditionOf(link.flags(), scan.closing_job);
    if (condition.text != 0) {
      if (condition.log) pm_.files().LogError(condition.log);
      Done();
      return Failure(503, "printer_not_ready", Text(condition.text));
    }
  }
  int32_t before = 0;
  if (scan.receipt && scan.read_back) {
    if (!readouts.cfg_to_cis(cfg.port)) {
      Done();
      return Failure(504, "printer_timeout", "the document number could not be read before printing");
    }
    before = readouts.document_number();
  }

  link.Clear_RX_Que();
  const uint32_t limit = static_cast<uint32_t>(cfg.handshake_wait);
  const std::string_view command = bytes.substr(scan.first_command.value_or(bytes.size()));
  bool sent = link.WriteComChars(command, limit) == command.size();
  if (sent && scan.trailer)
    for (const uint8_t byte : {kESC, uint8_t{'F'}, kETX}) link.WriteComChar(byte, limit);
  sent = sent && link.WaitTxEmpty(PrintJobLoop::kDrainLimitMs);
  if (!sent) pm_.files().LogError("Chyba prenosu WriteComChar tlac blocku.");

  readouts.RequestJournal(scan.journal_request);
  const bool read = scan.read_back && sent &&
                    ReadBackAfterJob(pm_.clock(), link, readouts, cfg, command.size());
  const int32_t after = readouts.document_number();
  const bool confirmed = JobConfirmed(sent && (read || !scan.read_back), scan.receipt,
                                      readouts.test_mode() == 1, before, after);
  if (confirmed && cfg.copy_bl == 1 && scan.read_back) readouts.ReadJournal();
  Done();

  if (!confirmed) {
    ApiAnswer answer = Failure(502, "not_confirmed",
                               "the document number did not advance by one: the document may or "
                               "may not have printed");
    answer.body["documentNumber"] = read ? json(after) : json(nullptr);
    return answer;
  }
  ApiAnswer answer;
  answer.body = {{"confirmed", true}};
  if (scan.receipt) answer.body["documentNumber"] = after;
  if (total_cents) answer.body["total"] = CentsNumber(*total_cents);
  return answer;
}

ApiAnswer ApiPrinter::RunCommand(Command command) {
  DeviceCommands& commands = pm_.device_commands();
  Unattended unattended(pm_.link());
  if (auto failure = BringUp()) return *failure;
  if (auto failure = Condition(25)) return *failure;
  switch (command) {
    case Command::XReport:
      commands.SendXReport();
      break;
    case Command::DailyClose:
      if (!commands.SendDailyClose()) {
        // The printer refuses a close now; the port stays as it is.
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
      pm_.link().SendClockCommand();
      break;
    case Command::Drawer:
      commands.SendDrawerPulse();
      break;
  }
  Done();
  ApiAnswer answer;
  answer.body = {{"done", true}};
  return answer;
}

ApiAnswer ApiPrinter::MonthlyClose(int year, int month) {
  const MonthlyRequest request = BuildMonthlyRequest(std::to_string(year), month - 1);
  if (request.bytes.empty()) return ErrorAnswer(400, "bad_request", Text(request.message));
  Unattended unattended(pm_.link());
  if (auto failure = BringUp()) return *failure;
  if (auto failure = Condition(25)) return *failure;
  const bool sent = pm_.device_commands().SendMonthlyClose(request.bytes);
  Done();
  if (!sent) return Failure(504, "printer_timeout", "the monthly request did not go out");
  ApiAnswer answer;
  answer.body = {{"done", true}};
  return answer;
}

}  // namespace kv
