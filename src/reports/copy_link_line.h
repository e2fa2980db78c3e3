#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/printer_exchange.h"
#include "reports/copy_exchange.h"

namespace kv {

class PrinterLink;

// The copies window's line to the printer: the printer link's port, held under the printer's
// lease from Begin to End, so that no print job, client request or till receipt writes into
// the exchange or reads its answer.
class CopyLinkLine final : public CopyLine {
 public:
  // The menu command that opened the window closes the port after it, not each transfer.
  explicit CopyLinkLine(PrinterLink& link)
      : link_(link), exchange_(link, PrinterExchange::PortAfter::LeaveOpen) {}
  CopyLinkLine(const CopyLinkLine&) = delete;
  CopyLinkLine& operator=(const CopyLinkLine&) = delete;

  // Busy while another exchange holds the lease. Failed when the port is not open (the menu
  // command brings the printer up before the window opens) or the write fails.
  LineStart Begin(std::string_view request, bool purge_output) override;
  int Read(std::string& into, size_t max) override;
  void End() override { exchange_.End(); }

  bool held() const { return exchange_.held(); }

  static constexpr const char* kHolder = "copies window";

 private:
  PrinterLink& link_;
  PrinterExchange exchange_;
};

}  // namespace kv
