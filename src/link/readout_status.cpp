#include <cstdio>

#include "base/config.h"
#include "base/control_bytes.h"
#include "base/view.h"
#include "base/view_names.h"
#include "link/link_host.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

// The status records: short binary records asked for with ESC "!" and a letter, each preceded
// by its length (two bytes, high byte first).

namespace kv {

PrinterReadouts::PrinterReadouts(ReadoutServices s)
    : link_(s.link),
      cfg_(s.cfg),
      lang_(s.lang),
      boxes_(s.boxes),
      view_(s.view),
      host_(s.host),
      errors_(s.errors),
      results_(s.results) {
  link_.SetFollowUps(this);
}

PrinterReadouts::~PrinterReadouts() {
  link_.SetFollowUps(nullptr);
}

void PrinterReadouts::AfterBringUp() {
  if (host_.StartupReadsDue()) FirstBringUpReads();
}

void PrinterReadouts::AfterAutoDailyClose() {
  cfg_to_cis(cfg_.port);
  RequestJournal();
  ReadJournal();
}

std::string_view PrinterReadouts::ReadStatusRecord(char letter) {
  TComPort& port = link_.ComPort1();
  if (!port.Connected() || link_.OpenPort(0) == 0) return {};
  try {
    const char query[3] = {static_cast<char>(kESC), '!', letter};
    port.WriteStr(std::string_view(query, 3));
    uint8_t high = 0;
    uint8_t low = 0;
    if (port.Read(&high, 1) != 1 || port.Read(&low, 1) != 1) return {};
    const size_t length = (size_t{high} << 8) | low;
    // A record longer than the status buffer cannot be held: it is read off the line and
    // rejected like a short one.
    const size_t n = link_.ReadAnswer(status_buffer_.data(), status_buffer_.size(), 1000, length,
                                      AnswerEnd::Length(length));
    if (n != length) return {};
    return {reinterpret_cast<const char*>(status_buffer_.data()), length};
  } catch (const EComPort&) {
    link_.PortFailed();
    return {};
  }
}

void PrinterReadouts::ReadInfoRecord() {
  const auto decoded = DecodeInfoRecord(ReadStatusRecord('I'));
  if (!decoded) return;
  info_ = *decoded;
  test_mode_ = info_.test_mode;
  info_read_ = true;
}

void PrinterReadouts::ShowPrinterInfo() {
  namespace names = view_names;
  if (host_.JobBusy() || !link_.ComPort1().Connected()) return;
  ReadInfoRecord();
  if (!info_read_) return;  // nothing known about the printer yet
  view_.SetItemText(names::kStatusBar, names::kPanelKind,
                    info_.printer_kind == 'P' ? "PRN:P" : "PRN:S");
  view_.SetItemText(names::kStatusBar, names::kPanelB, info_.b_flag == 'B' ? "B" : "N");
  view_.SetText(names::kClosingCount, std::to_string(info_.daily_close_count));
  view_.SetText(names::kReceiptCount, std::to_string(info_.receipt_count));
  char serial[32];
  std::snprintf(serial, sizeof serial, "%c %04u", info_.program_memory, info_.serial_number);
  view_.SetText(names::kSerialLabel, serial);
  // A program memory other than "A" is a test memory, whatever the record says.
  if (info_.program_memory != 'A') test_mode_ = 1;
  view_.SetText(names::kTestLabel, test_mode_ == 1 ? "TEST" : "");
  view_.SetChecked(names::kBusyBox, info_.busy != 0);
  view_.SetChecked(names::kAckBox, info_.ack != 0);
  view_.SetChecked(names::kPaperBox, info_.pe != 0);
  view_.SetChecked(names::kErrorBox, info_.err != 0);
  view_.SetChecked(names::kDisplayBox, info_.dsp != 0);
}

void PrinterReadouts::ReadVatRates() {
  ParseVatRecord(ReadStatusRecord('d'), vatRates_);
}

bool PrinterReadouts::ReadRoundingRecord() {
  const std::string_view record = ReadStatusRecord('z');
  if (record.empty()) return false;
  const size_t lines = ParseRoundingRecord(record, rounding_lines_);
  for (size_t i = 0; i < lines; ++i)
    view_.SetText(view_names::kRoundingFields[i], rounding_lines_[i].view());
  return true;
}

void PrinterReadouts::FirstBringUpReads() {
  const std::string_view currency = ReadStatusRecord('M');
  if (!currency.empty()) cfg_.mena = currency[0] == '2' ? 1 : 0;
  ReadVatRates();
  // The device record comes over a line known to be up, whatever the reads above found.
  link_.SetDeviceReady(true);
  cfg_to_cis(cfg_.port);
}

}  // namespace kv
