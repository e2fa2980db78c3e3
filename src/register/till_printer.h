#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kv {

// What the till asks of the printer. The implementation runs the link's exchanges (status
// query, status record 'D', device record request) while it holds the printer for them.
class TillPrinter {
 public:
  virtual ~TillPrinter() = default;

  // Takes the printer for the till's exchanges until Release: nothing else talks to it
  // meanwhile (no file job lands inside an open receipt). True when the till holds it
  // already; false while another exchange holds it (the operator has been told).
  virtual bool Take() = 0;
  // Gives the printer back; nothing when the till does not hold it.
  virtual void Release() = 0;

  // The status query; with `report` the printer's condition is shown to the operator. False
  // when the printer gave no valid answer (the port is left open otherwise, ready for the
  // item's text).
  virtual bool QueryStatus(bool report) = 0;
  // From the last valid status answer: a condition under which no item may be entered
  // (status flags S1.6, S1.4 or S1.2).
  virtual bool ConditionBlocksItems() const = 0;
  // The bytes of status record 'D' (the DKP), empty when it could not be read.
  virtual std::string ReadDkp() = 0;
  // The device record request after a receipt, which refreshes the document counter.
  virtual void RefreshDeviceRecord() = 0;
  // A receipt's closing went out whole (`sent`) or the port failed on it: the till has no
  // read-back verdict, so that and the total are all it can tell whoever counts receipts.
  virtual void ReceiptEnded(bool sent, int64_t total_cents) = 0;
  // The five VAT rates in percent, levels 1 to 5.
  virtual std::array<uint8_t, 5> VatRates() const = 0;
};

// What closing the sale screen or quitting finds while a receipt may be open: none, a printer
// that answers (the receipt is to be printed first), a silent printer with the operator keeping
// the receipt, or the receipt left open in the printer and the printer given back.
enum class ReceiptCloseAnswer { NoReceipt, PrinterAnswers, KeptOpen, LeftInPrinter };

// The link as the sale screen's status bar shows it.
struct TillLinkInfo {
  std::string port_name;  // empty when no port is configured
  int32_t document_number = 0;
  int32_t second_counter = 0;  // as held, without adding one
  bool dsr_gate = false;
  bool cts_gate = false;
};

class TillLinkStatus {
 public:
  virtual ~TillLinkStatus() = default;
  // Sets the port's handshake up as configured and reports the link as it then stands.
  virtual TillLinkInfo SetupHandshake() = 0;
};

}  // namespace kv
