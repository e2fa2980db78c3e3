#include "register/till_link.h"

#include "base/config.h"
#include "base/operator_boxes.h"
#include "lang/localization.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "register/till_messages.h"

namespace kv {

TillLink::TillLink(PrinterLink& link, PrinterReadouts& readouts, const Config& cfg,
                   const Localization& lang, OperatorBoxes& boxes, RunCounters& counters)
    : link_(link),
      readouts_(readouts),
      cfg_(cfg),
      lang_(lang),
      boxes_(boxes),
      counters_(counters),
      // A receipt's exchange leaves the port open: the till's writes open a closed one.
      exchange_(link, PrinterExchange::PortAfter::LeaveOpen) {}

bool TillLink::Take() {
  if (exchange_.Begin(kHolder)) return true;
  boxes_.App(lang_.Msg(kMsgPrinterBusy), BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

bool TillLink::QueryStatus(bool report) {
  return link_.OpenPort(report ? 1 : 0) != 0;
}

bool TillLink::ConditionBlocksItems() const {
  const StatusFlags& flags = link_.flags();
  return flags.S1_6 || flags.S1_4 || flags.S1_2;
}

std::string TillLink::ReadDkp() {
  // Without the printer for the moment the DKP read before stays: it does not change.
  PrinterExchange read(link_, PrinterExchange::PortAfter::LeaveOpen);
  if (!exchange_ && !read.Begin(kHolder)) return dkp_;
  dkp_ = readouts_.ReadStatusRecord('D');
  return dkp_;
}

void TillLink::ReceiptEnded(bool sent, int64_t total_cents) {
  counters_.CountDocument(CountedSource::Till, sent ? CountedOutcome::Sent : CountedOutcome::Failed,
                          {std::nullopt, total_cents});
}

void TillLink::RefreshDeviceRecord() {
  readouts_.cfg_to_cis(cfg_.port);
}

std::array<uint8_t, 5> TillLink::VatRates() const {
  return readouts_.vatRates();
}

TillLinkInfo TillLink::SetupHandshake() {
  PrinterExchange read(link_, PrinterExchange::PortAfter::LeaveOpen);
  if (exchange_ || read.Begin(kHolder)) link_.SetupHandshake();
  TillLinkInfo info;
  const std::vector<std::string>& names = link_.port_names();
  if (cfg_.port >= 0)
    info.port_name = static_cast<size_t>(cfg_.port) < names.size()
                         ? names[static_cast<size_t>(cfg_.port)]
                         : link_.ComPort1().Port();
  info.document_number = readouts_.document_number();
  info.second_counter = readouts_.device_record().second_counter;
  info.dsr_gate = link_.dsr_gate() != 0;
  info.cts_gate = link_.cts_gate() != 0;
  return info;
}

bool TillLink::WritePort(std::string_view bytes) {
  // Only inside the till's own exchange: never into a job's or a window's.
  if (!exchange_) return false;
  link_.EnsurePortOpen();
  const int size = static_cast<int>(bytes.size());
  // A failure of the serial layer is shown (kMsgPortWriteFailed) and closes the port.
  const int written = link_.WriteBlock(bytes.data(), size);
  if (written == size) return true;
  // Still open: the line held the bytes back past the write time-out.
  if (link_.PortOpen()) boxes_.App(lang_.Msg(kMsgPortWriteFailed), BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

}  // namespace kv
