#include "core/device_commands.h"

#include <cstdio>

#include "base/config.h"
#include "base/control_bytes.h"
#include "base/operator_boxes.h"
#include "base/timer.h"
#include "base/view.h"
#include "base/view_names.h"
#include "core/file_io.h"
#include "core/working_files.h"
#include "lang/localization.h"
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
      local_time_(p.local_time) {}

std::optional<PrinterLease> DeviceCommands::TakeLease() {
  std::optional<PrinterLease> lease = link_.TryLease(kLeaseHolder);
  if (!lease) boxes_.App(lang_.Msg(kMsgPrinterBusy), BoxButtons::Ok, BoxIcon::Warning);
  return lease;
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

void DeviceCommands::ClosePortWhenConfigured() {
  if (cfg_.CLOSE_PORT) link_.ClosePort();
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
  const auto lease = TakeLease();
  if (!lease || link_.InitPort(0) == 0) return;
  SendXReport();
  ClosePortWhenConfigured();
}

void DeviceCommands::SendXReport() {
  SendBytes({{kESC, 1000}, {'x', 100}});
}

void DeviceCommands::popDUZClick() {
  if (boxes_.App(lang_.Msg(1), BoxButtons::YesNo, BoxIcon::Question, 1) != BoxAnswer::Yes) return;
  const auto lease = TakeLease();
  if (!lease || link_.InitPort(0) == 0) return;
  if (!SendDailyClose()) {
    // The printer refuses a close now; the port stays as it is.
    boxes_.Captioned(lang_.Msg(17), lang_.Msg(18), BoxButtons::Ok, BoxIcon::Warning);
    return;
  }
  ClosePortWhenConfigured();
}

bool DeviceCommands::SendDailyClose() {
  if (link_.flags().S1_5) return false;
  SendBytes({{kESC, 1000}, {'d', 1000}, {'Y', 1000}, {'e', 1000}, {'s', 1000}});
  readouts_.cfg_to_cis(cfg_.port);
  readouts_.RequestJournal();
  readouts_.ReadJournal();
  DebugMarker("\r\n> Daily close (%s %s %s)\r\n\r\n", 2);
  return true;
}

void DeviceCommands::popMUZClick() {
  {
    const auto lease = TakeLease();
    if (!lease || link_.InitPort(0) == 0) return;
  }
  // The dialog may stay on screen for long: the printer is not held meanwhile, the request
  // takes it for its send (SendMonthlyRequest).
  const bool sent = show_monthly_dialog && show_monthly_dialog();
  // A dialog closed without a request (or one refused) asked for no closing: nothing to note.
  if (sent) DebugMarker("\r\n> Mesacna uzavierka (%s %s %s)\r\n\r\n", 4);
  // Someone else may have the printer by now (a till receipt): its port stays open.
  if (const auto lease = link_.TryLease(kLeaseHolder)) ClosePortWhenConfigured();
}

bool DeviceCommands::SendMonthlyRequest(std::string_view bytes) {
  const auto lease = TakeLease();
  if (!lease || link_.InitPort(0) == 0) return false;
  const int count = static_cast<int>(bytes.size());
  const bool sent = link_.WriteBlock(bytes.data(), count) == count;
  Drain(true);
  return sent;
}

bool DeviceCommands::SendMonthlyClose(std::string_view bytes) {
  const int count = static_cast<int>(bytes.size());
  if (link_.WriteBlock(bytes.data(), count) != count) return false;
  Drain(true);
  DebugMarker("\r\n> Mesacna uzavierka (%s %s %s)\r\n\r\n", 4);
  return true;
}

void DeviceCommands::popKDOKLClick() {
  if (const auto lease = TakeLease()) {
    if (link_.InitPort(0) != 0) SendCopyLastDocument();
    ClosePortWhenConfigured();
  }
}

void DeviceCommands::popKDUClick() {
  if (const auto lease = TakeLease()) {
    if (link_.InitPort(0) != 0) SendCopyLastClosing();
    ClosePortWhenConfigured();
  }
}

void DeviceCommands::KopieRB3900Click() {
  {
    const auto lease = TakeLease();
    if (!lease || link_.InitPort(0) == 0) return;
  }
  if (CopiesWindowVisible()) {
    view_.ShowWindow(view_names::kCopiesWindow, View::WindowState::Front);
    return;
  }
  // Without the window nobody would start the print-job timer again: it is left running.
  if (show_copies_window) {
    timer_prmgr_.SetEnabled(false);
    show_copies_window();
  }
  // Someone else may have the printer by now (a till receipt): its port stays open.
  if (const auto lease = link_.TryLease(kLeaseHolder)) ClosePortWhenConfigured();
}

void DeviceCommands::popCASClick() {
  if (const auto lease = TakeLease()) {
    link_.SetClock();
    ClosePortWhenConfigured();
  }
}

void DeviceCommands::popOtvzasClick() {
  if (const auto lease = TakeLease()) {
    if (link_.InitPort(0) != 0) SendDrawerPulse();
    ClosePortWhenConfigured();
  }
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
