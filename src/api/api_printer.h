#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "api/api_answer.h"

namespace kv {

class DeviceCommands;
class ErrorLog;
class Localization;
class PrinterExchange;
class PrinterLink;
class PrinterReadouts;
class ReceiptSend;
struct Config;

// The printer operations of the HTTP interface: the status query and the device record, a
// command text sent through the one send path and judged as a file job is, and the menu's
// device commands without their questions. Every operation runs inside the unattended exchange
// the caller holds (nothing shows a box; what it would have said is in the answer and, for
// failures, in FM_err.txt), nothing writes the input file or the result files, and the status
// query never runs the automatic daily close. The exchange closes the port when it ends.
class ApiPrinter {
 public:
  struct Parts {
    const Config& cfg;
    const Localization& lang;
    ErrorLog& errors;
    PrinterLink& link;
    PrinterReadouts& readouts;
    DeviceCommands& commands;
    ReceiptSend& receipts;
  };
  explicit ApiPrinter(Parts parts);

  // GET /status: a fresh status query and device record; without an exchange (someone else
  // holds the printer) the values last read, without talking to the printer.
  ApiAnswer Status(PrinterExchange* exchange);
  // The body of GET /status from the values last read, without "busy" (no exchange).
  nlohmann::json LastStatus() const;
  // GET /info: the device record and the VAT rates.
  ApiAnswer Info(PrinterExchange& exchange);
  // Sends `bytes` and answers the verdict; a receipt answers its document number.
  // `total_cents` goes into the answer of a receipt (none: left out).
  ApiAnswer PrintJob(PrinterExchange& exchange, std::string_view bytes,
                     std::optional<int64_t> total_cents);

  enum class Command { XReport, DailyClose, CopyLastDocument, CopyLastClosing, Clock, Drawer };
  ApiAnswer RunCommand(PrinterExchange& exchange, Command command);
  ApiAnswer MonthlyClose(PrinterExchange& exchange, int year, int month);

 private:
  // Brings the line up when it is not; the error answer when it cannot.
  std::optional<ApiAnswer> BringUp(PrinterExchange& exchange);
  // A condition the operator would have had to clear before any command (S1.2).
  std::optional<ApiAnswer> Condition(PrinterExchange& exchange, int text);
  ApiAnswer Failure(int status, std::string_view code, const std::string& text);
  std::string Text(int message) const;

  const Config& cfg_;
  const Localization& lang_;
  ErrorLog& errors_;
  PrinterLink& link_;
  PrinterReadouts& readouts_;
  DeviceCommands& commands_;
  ReceiptSend& receipts_;
};

}  // namespace kv
