#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/run_counters.h"
#include "link/printer_exchange.h"
#include "register/till_output.h"
#include "register/till_printer.h"

namespace kv {

class Localization;
class OperatorBoxes;
class PrinterLink;
class PrinterReadouts;
struct Config;

// The till on the printer link: the status query before each item, the DKP (status record
// 'D'), the VAT rates, the device record after a receipt, the handshake shown on the sale
// screen, and the port writes of the till's pieces (the port's plain writes, no handshake per
// byte, no answer read).
//
// The till holds the printer's lease from Take to Release; the sale screen keeps it for as long
// as a receipt is open, so a file job, a client's request or a menu command waits until the
// receipt is printed. What the sale screen reads when it is shown (the DKP, the handshake) takes
// the lease only for that read, and while another exchange holds the printer it shows what was
// read before instead of waiting. The lease goes with this object when the program ends.
class TillLink final : public TillPrinter, public TillLinkStatus, public TillPortWriter {
 public:
  static constexpr const char* kHolder = "till";

  TillLink(PrinterLink& link, PrinterReadouts& readouts, const Config& cfg,
           const Localization& lang, OperatorBoxes& boxes, RunCounters& counters);
  TillLink(const TillLink&) = delete;
  TillLink& operator=(const TillLink&) = delete;

  // ---- TillPrinter -------------------------------------------------------------------------
  bool Take() override;
  void Release() override { exchange_.End(); }
  // The status query (OpenPort 0, or 1 with `report`); also opens the port.
  bool QueryStatus(bool report) override;
  bool ConditionBlocksItems() const override;
  std::string ReadDkp() override;
  // cfg_to_cis with the configured port.
  void RefreshDeviceRecord() override;
  // Counted as sent or failed: a till receipt is never read back.
  void ReceiptEnded(bool sent, int64_t total_cents) override;
  std::array<uint8_t, 5> VatRates() const override;

  // ---- TillLinkStatus ----------------------------------------------------------------------
  TillLinkInfo SetupHandshake() override;

  // ---- TillPortWriter ----------------------------------------------------------------------
  // Writes the bytes only while the till holds the printer; a port that is closed (CLOSE_PORT,
  // an earlier failure) is opened first. A write that fails or stops short is shown to the
  // operator (message 140) and gives false.
  bool WritePort(std::string_view bytes) override;

  bool HoldsPrinter() const { return exchange_.held(); }

  // The sale screen's question when the program is to quit while the till holds the printer;
  // set by the window that holds the receipt.
  std::function<ReceiptCloseAnswer()> receipt_close_query;

 private:
  PrinterLink& link_;
  PrinterReadouts& readouts_;
  const Config& cfg_;
  const Localization& lang_;
  OperatorBoxes& boxes_;
  RunCounters& counters_;
  PrinterExchange exchange_;
  std::string dkp_;  // the last DKP read
};

}  // namespace kv
