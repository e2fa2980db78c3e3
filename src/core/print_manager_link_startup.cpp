#include "base/view_names.h"
#include "core/core_messages.h"
#include "core/print_manager.h"
#include "link/link_messages.h"
#include "link/printer_exchange.h"

// Connecting to the printer: at start-up, from the menu, and the printer's say in closing the
// program.

namespace kv {

using view_names::kPortBox;
using view_names::kSettingsPorts;

void TSRB4900::StartupPortList() {
  const std::vector<std::string>& names = link_.RefreshPortNames();
  view_.SetItems(kSettingsPorts, names);
  view_.SetItems(kPortBox, names);
  if (cfg_.port >= static_cast<int32_t>(names.size())) cfg_.port = -1;
  jobs_.SetBusy(false);
  link_.ApplyBaudRate();
}

void TSRB4900::StartupChoosePort() {
  // Any negative index means that no port has been chosen.
  if (cfg_.port >= 0) return;
  boxes_.App(Msg(kMsgNoPortConfigured), BoxButtons::Ok, BoxIcon::Warning);
  cfg_.port = 0;
  view_.SetItemIndex(kSettingsPorts, cfg_.port);
}

void TSRB4900::StartupConnect() {
  // Connected, the port stays open for the first job; given up, the bring-up has closed it.
  PrinterExchange exchange(link_, "connect", PrinterExchange::PortAfter::LeaveOpen);
  if (!exchange) return;
  for (;;) {
    if (link_.InitPort(0) == 1) {
      view_.SetItemIndex(kPortBox, cfg_.port);
      view_.SetItemIndex(kSettingsPorts, cfg_.port);
      readouts_.cfg_to_cis(cfg_.port);
      if (cfg_.synchr_time == 1) link_.SetClock();
      timer_prmgr_.SetEnabled(true);
      view_.SetTrayHint("KV4910");
      view_.SetTrayPicture(0);
      return;
    }
    // Yes tries again after a pause, so that a printer that cannot be reached (and a box
    // nobody sees) costs neither a core nor a flood of error lines.
    if (boxes_.Captioned(Msg(kMsgConnectCaption), Msg(kMsgRetryConnect), BoxButtons::YesNo,
                         BoxIcon::Question) == BoxAnswer::Yes &&
        link_.RetryPause())
      continue;
    // Going on without a printer; the connect command switches the print-job timer on later.
    view_.SetItemIndex(kPortBox, -1);
    lang_.ShowStateMessage(Localization::StateText::StatePanel, kMsgNotConnected);
    return;
  }
}

void TSRB4900::StartupLinkSteps() {
  StartupPortList();
  StartupChoosePort();
  StartupConnect();
}

void TSRB4900::Spusteniecasovaca1Click() {
  // Another exchange holds the printer: connecting now would cut into it.
  PrinterExchange exchange(link_, "connect");
  if (!exchange) {
    boxes_.App(Msg(DeviceCommands::kMsgPrinterBusy), BoxButtons::Ok, BoxIcon::Warning);
    return;
  }
  TComPort& port = link_.ComPort1();
  const std::vector<std::string>& names = link_.port_names();
  // The status query opens the port by its current name: make that the configured one, also
  // when the port has never been attached (a start-up without a printer).
  if (!port.Connected() && cfg_.port >= 0 && static_cast<size_t>(cfg_.port) < names.size())
    port.SetPort(names[static_cast<size_t>(cfg_.port)]);
  for (;;) {
    timer_prmgr_.SetEnabled(false);
    readouts_.ReadVatRates();
    if (link_.OpenPort(1) == 0) break;
    if (readouts_.cfg_to_cis(cfg_.port)) {
      if (!cfg_.spravy) timer_prmgr_.SetEnabled(true);
      jobs_.SetBusy(false);
      view_.SetTrayPicture(0);
      break;
    }
    if (boxes_.Captioned(Msg(kMsgConnectCaption), Msg(kMsgRetryConnect), BoxButtons::YesNo,
                         BoxIcon::Question) != BoxAnswer::Yes ||
        !link_.RetryPause())
      break;
  }
}

bool TSRB4900::FormCloseQuery() {
  // The till holds the printer while its receipt is open: a document open on the printer,
  // known without a status query cutting into the receipt. While the printer is silent the
  // operator may leave the receipt open in it and go.
  bool till_receipt = till_.HoldsPrinter();
  if (till_receipt && till_.receipt_close_query) {
    const ReceiptCloseAnswer answer = till_.receipt_close_query();
    if (answer == ReceiptCloseAnswer::KeptOpen) {
      view_.ShowWindow(view_names::kSaleWindow, View::WindowState::Front);
      return false;
    }
    if (answer == ReceiptCloseAnswer::LeftInPrinter) till_receipt = false;
  }
  if (till_receipt || link_.OpenPort(0) != 0) {
    if (till_receipt || link_.flags().S1_7) {
      // A document is open on the printer: it has to be finished first.
      boxes_.Captioned(Msg(kMsgDocumentOpenCaption), Msg(kMsgDocumentOpenInPrinter), BoxButtons::Ok,
                       BoxIcon::Warning);
      view_.ShowWindow(view_names::kSaleWindow, View::WindowState::Front);
      return false;
    }
    if (!cfg_.UKONCI) {
      boxes_.Captioned(Msg(kMsgPrintManagerTitle), Msg(kMsgQuitNotAllowed), BoxButtons::Ok,
                       BoxIcon::Warning);
      return false;
    }
  }
  if (!cfg_.UKONCI) return true;
  if (boxes_.Captioned(Msg(kMsgQuitCaption), Msg(kMsgConfirmQuit), BoxButtons::YesNo,
                       BoxIcon::Question, 1) != BoxAnswer::Yes)
    return false;
  files_.LogError("Ukoncenie uzivatelom");
  app_.Quit();
  return true;
}

}  // namespace kv
