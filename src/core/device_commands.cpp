#include "core/device_commands.h"

#include <cstdio>

#include "base/config.h"
#include "base/control_bytes.h"
#include "base/operator_boxes.h"
#include "base/run_counters.h"
#include "base/timer.h"
#include "base/view.h"
#include "base/view_names.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

namespace kv {

namespace {

constexpr uint32_t kPauseMs = 100;  // after the bytes have left, before the port may close

}  // namespace

DeviceCommands::DeviceCommands(Parts p)
    : boxes_(p.boxes),
      view_(p.view),
      timer_prmgr_(p.timer_prmgr),
      cfg_(p.cfg),
      lang_(p.lang),
      link_(p.link),
      readouts_(p.readouts),
      files_(p.files),
      local_time_(p.local_time),
      counters_(p.counters) {}

PrinterExchange DeviceCommands::BeginExchange() {
  PrinterExchange exchange(link_, kLeaseHolder);
  if (!exchange) boxes_.App(lang_.Msg(kMsgPrinterBusy), BoxButtons::Ok, BoxIcon::Warning);
  return exchange;
}

void DeviceCommands::Drain(bool pause) {
  link_.WaitTxEmpty();
  if (pause) link_.DelayMs(kPauseMs);
}

void DeviceCommands::SendBytes(std::initializer_list<Byte> bytes, bool pause) {
  // A byte whose handshake wait runs out is still sent; the results are not examined.
  for (const Byte& byte : bytes) link_.WriteComChar(byte.value, byte.limit_ms);
  Drain(pause);
}

void DeviceCommands::DebugMarker(const char* format, int caption) {
  if (cfg_.ladenie != 1) return;
  const std::tm now = local_time_();
  char line[128];
  std::snprintf(line, sizeof line, format, DateText(now).c_str(), TimeText(now).c_str(),
                std::string(link_.ident_text()).c_str());
  const std::string path = files_.ProgramFile("debug.txt");
  ClearAttributes(path);
  if (AppendBytes(path, line)) return;
  if (link_.Unattended())
    files_.LogError(lang_.Msg(caption) + " " + path);
  else
    boxes_.Captioned(lang_.Msg(caption), path, BoxButtons::Ok, BoxIcon::Warning);
}

void DeviceCommands::popXUZClick() {
  auto exchange = BeginExchange();
  if (exchange && exchange.BringUp()) SendXReport();
}

void DeviceCommands::SendXReport() {
  SendBytes({{kESC, 1000}, {'x', 100}});
}

void DeviceCommands::popDUZClick() {
  if (boxes_.App(lang_.Msg(kMsgConfirmDailyClose), BoxButtons::YesNo, BoxIcon::Question, 1) !=
      BoxAnswer::Yes)
    return;
  auto exchange = BeginExchange();
  if (!exchange || !exchange.BringUp()) return;
  if (!SendDailyClose()) {
    // The printer refuses a close now; the port stays as it is.
    exchange.LeavePortOpen();
    boxes_.Captioned(lang_.Msg(kMsgPrinterStateCaption), lang_.Msg(kMsgCloseNotAllowed),
                     BoxButtons::Ok, BoxIcon::Warning);
  }
}

bool DeviceCommands::SendDailyClose() {
  if (link_.flags().S1_5) return false;
  SendBytes({{kESC, 1000}, {'d', 1000}, {'Y', 1000}, {'e', 1000}, {'s', 1000}});
  counters_.CountDailyClosing();
  readouts_.cfg_to_cis(cfg_.port);
  readouts_.RequestJournal();
  readouts_.ReadJournal();
  DebugMarker("\r\n> Daily close (%s %s %s)\r\n\r\n", kMsgDebugFileCaption);
  return true;
}

void DeviceCommands::popMUZClick() {
  if (!BringUpAndGiveBack()) return;
  // The dialog may stay on screen for long: the printer is not held meanwhile, the request
  // takes it for its send (SendMonthlyRequest).
  const bool sent = show_monthly_dialog && show_monthly_dialog();
  // A dialog closed without a request (or one refused) asked for no closing: nothing to note.
  if (sent) DebugMarker("\r\n> Mesacna uzavierka (%s %s %s)\r\n\r\n", kMsgDebugFileOpenCaption);
  PrinterExchange::CloseIdlePort(link_, kLeaseHolder);
}

bool DeviceCommands::SendMonthlyRequest(std::string_view bytes) {
  auto exchange = BeginExchange();
  if (!exchange || !exchange.BringUp()) return false;
  // The monthly dialog's command closes the port after the dialog, not after each request.
  exchange.LeavePortOpen();
  const int count = static_cast<int>(bytes.size());
  const bool sent = link_.WriteBlock(bytes.data(), count) == count;
  Drain(true);
  return sent;
}

bool DeviceCommands::SendMonthlyClose(std::string_view bytes) {
  const int count = static_cast<int>(bytes.size());
  if (link_.WriteBlock(bytes.data(), count) != count) return false;
  Drain(true);
  DebugMarker("\r\n> Mesacna uzavierka (%s %s %s)\r\n\r\n", kMsgDebugFileOpenCaption);
  return true;
}

void DeviceCommands::popKDOKLClick() {
  auto exchange = BeginExchange();
  if (exchange && exchange.BringUp()) SendCopyLastDocument();
}

void DeviceCommands::popKDUClick() {
  auto exchange = BeginExchange();
  if (exchange && exchange.BringUp()) SendCopyLastClosing();
}

void DeviceCommands::KopieRB3900Click() {
  if (!BringUpAndGiveBack()) return;
  if (CopiesWindowVisible()) {
    view_.ShowWindow(view_names::kCopiesWindow, View::WindowState::Front);
    return;
  }
  // Without the window nobody would start the print-job timer again: it is left running.
  if (show_copies_window) {
    timer_prmgr_.SetEnabled(false);
    show_copies_window();
  }
  PrinterExchange::CloseIdlePort(link_, kLeaseHolder);
}

void DeviceCommands::popCASClick() {
  auto exchange = BeginExchange();
  if (exchange && exchange.BringUp()) link_.SendClockCommand();
}

void DeviceCommands::popOtvzasClick() {
  auto exchange = BeginExchange();
  if (exchange && exchange.BringUp()) SendDrawerPulse();
}

bool DeviceCommands::BringUpAndGiveBack() {
  auto exchange = BeginExchange();
  if (!exchange || !exchange.BringUp()) return false;
  // The window shown next takes the printer for its own exchanges; the port stays open for it.
  exchange.LeavePortOpen();
  return true;
}

void DeviceCommands::SendCopyLastDocument() {
  SendBytes({{kESC, 1000}, {'c', 500}});
}

void DeviceCommands::SendCopyLastClosing() {
  SendBytes({{kESC, 1000}, {'D', 500}});
}

void DeviceCommands::SendDrawerPulse() {
  // The low byte of each of the ten OPEN values, the drawer's own pulse sequence.
  for (const int32_t value : cfg_.drawer) link_.WriteComChar(static_cast<uint8_t>(value), 300);
  Drain(false);
}

}  // namespace kv
