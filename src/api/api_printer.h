#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "api/api_answer.h"

namespace kv {

class TSRB4900;

// The printer operations of the HTTP interface, over the print manager's parts: the status
// query and the device record, a command text printed with the print job's verdict, and the
// menu's device commands without their questions. Every operation runs while the caller holds
// the printer's lease, unattended: nothing shows a box (what it would have said is in the
// answer and, for failures, in FM_err.txt), nothing writes the input file or the result files,
// and the status query never runs the automatic daily close.
class ApiPrinter {
 public:
  explicit ApiPrinter(TSRB4900& pm) : pm_(pm) {}

  // GET /status: a fresh status query and device record; with `leased_elsewhere` (someone else
  // holds the printer) the values last read, without talking to the printer.
  ApiAnswer Status(bool leased_elsewhere);
  // The body of GET /status from the values last read, without "busy" (no exchange).
  nlohmann::json LastStatus() const;
  // GET /info: the device record and the VAT rates.
  ApiAnswer Info();
  // Prints `bytes` as a print job does and judges it; a receipt answers its document number.
  // `total_cents` goes into the answer of a receipt (none: left out).
  ApiAnswer PrintJob(std::string_view bytes, std::optional<int64_t> total_cents);

  enum class Command { XReport, DailyClose, CopyLastDocument, CopyLastClosing, Clock, Drawer };
  ApiAnswer RunCommand(Command command);
  ApiAnswer MonthlyClose(int year, int month);

 private:
  // Brings the line up when it is not; the error answer when it cannot.
  std::optional<ApiAnswer> BringUp();
  // A condition the operator would have had to clear before any command (S1.2).
  std::optional<ApiAnswer> Condition(int text);
  ApiAnswer Failure(int status, std::string_view code, const std::string& text);
  std::string Text(int message) const;
  void Done();

  TSRB4900& pm_;
};

}  // namespace kv
