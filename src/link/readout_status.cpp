#include <cstdio>

#include "core/print_manager.h"

// The status records: short binary records asked for with ESC "!" and a letter, each preceded
// by its length (two bytes, high byte first).

namespace kv {

namespace {

constexpr int kPanelKind = 1;
constexpr int kPanelB = 2;

std::string_view Bytes(const uint8_t* data, size_t n) {
  return {reinterpret_cast<const char*>(data), n};
}

}  // namespace

int TSRB4900::ReadStatusRecord(char letter) {
  if (!ComPort1.Connected() || OpenPort(0) == 0) return 0;
  try {
    const char query[3] = {27, '!', letter};
    ComPort1.WriteStr(std::string_view(query, 3));
    uint8_t high = 0;
    uint8_t low = 0;
    if (ComPort1.Read(&high, 1) != 1 || ComPort1.Read(&low, 1) != 1) return 0;
    const size_t length = (size_t{high} << 8) | low;
    // A record longer than the status buffer cannot be held: it is read off the line and
    // rejected like a short one.
    const size_t n = ReadAnswer(status_buffer.data(), status_buffer.size(), 1000, length);
    return n == length ? static_cast<int>(length) : 0;
  } catch (const EComPort&) {
    PortFailed();
    return 0;
  }
}

void TSRB4900::ReadInfoRecord() {
  const int length = ReadStatusRecord('I');
  const auto decoded = DecodeInfoRecord(Bytes(status_buffer.data(), static_cast<size_t>(length)));
  if (!decoded) return;
  info = *decoded;
  test_mode = info.test_mode;
  info_read = true;
}

void TSRB4900::ShowPrinterInfo() {
  if (busy || !ComPort1.Connected()) return;
  ReadInfoRecord();
  if (!info_read) return;  // nothing known about the printer yet
  view.SetItemText("SRB4900/StatusBar1", kPanelKind, info.printer_kind == 'P' ? "PRN:P" : "PRN:S");
  view.SetItemText("SRB4900/StatusBar1", kPanelB, info.b_flag == 'B' ? "B" : "N");
  view.SetText("SRB4900/Label_zostava_du", std::to_string(info.daily_close_count));
  view.SetText("SRB4900/Label_zostava_bl", std::to_string(info.receipt_count));
  char serial[32];
  std::snprintf(serial, sizeof serial, "%c %04u", info.program_memory, info.serial_number);
  view.SetText("SRB4900/Label_sn_prom", serial);
  // A program memory other than "A" is a test memory, whatever the record says.
  if (info.program_memory != 'A') test_mode = 1;
  view.SetText("SRB4900/Label_stav", test_mode == 1 ? "TEST" : "");
  view.SetChecked("SRB4900/BUSY", info.busy != 0);
  view.SetChecked("SRB4900/ACK", info.ack != 0);
  view.SetChecked("SRB4900/PE", info.pe != 0);
  view.SetChecked("SRB4900/ERR", info.err != 0);
  view.SetChecked("SRB4900/DSP", info.dsp != 0);
}

void TSRB4900::ReadVatRates() {
  const int length = ReadStatusRecord('d');
  ParseVatRecord(Bytes(status_buffer.data(), static_cast<size_t>(length)), vatRates);
}

bool TSRB4900::ReadRoundingRecord() {
  const int length = ReadStatusRecord('z');
  if (length == 0) return false;
  static constexpr const char* kFields[6] = {
      "Dlg_cfg/Edit_dph_koef",  "Dlg_cfg/Edit_dph_plus",        "Dlg_cfg/Edit_suma_koef",
      "Dlg_cfg/Edit_suma_plus", "Dlg_cfg/Edit_informacna_koef", "Dlg_cfg/Edit_informacna_plus"};
  const size_t lines =
      ParseRoundingRecord(Bytes(status_buffer.data(), static_cast<size_t>(length)), rounding_lines);
  for (size_t i = 0; i < lines; ++i) view.SetText(kFields[i], rounding_lines[i].view());
  return true;
}

}  // namespace kv
