#include <algorithm>
#include <cstdio>

#include "core/print_manager.h"
#include "core/working_files.h"

// The device record (ESC "I"): counters, the day's amounts and the printer's date and time,
// read after each job and on a client's request, shown on the main window and written to the
// information files.

namespace kv {

namespace {

constexpr uint8_t kETX = 3;
constexpr int kPanelState = 3;
constexpr const char* kStatusBar = "SRB4900/StatusBar1";
constexpr const char* kDataGrid = "SRB4900/StringGrid_data";

std::string Amount(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

bool TSRB4900::ParseDeviceRecord(size_t length) {
  length = std::min(length, answer.size());
  const auto parsed =
      ParseDeviceRecordBytes({reinterpret_cast<const char*>(answer.data()), length}, device_record);
  if (!parsed) return false;
  device_record = *parsed;
  device_record_length = length;
  document_number = parsed->document_number;

  view.SetTrayHint("KV4910->" + std::to_string(document_number));
  view.SetText("SRB4900/L_dokl",
               std::to_string(document_number) + "/" + std::to_string(parsed->second_counter + 1));
  view.SetText("SRB4900/L_datum", parsed->date);
  view.SetText("SRB4900/L_cas", parsed->time);
  view.SetCell(kDataGrid, 2, 0, Msg(123));
  view.SetCell(kDataGrid, 1, 0, Msg(124));
  for (int row = 1; row <= 5; ++row)
    view.SetCell(kDataGrid, 0, row, " " + std::to_string(vatRates[row - 1]) + " %");
  for (int row = 6; row <= 12; ++row) view.SetCell(kDataGrid, 0, row, Msg(125 + row - 6));
  if (!cfg.obrat_hide) {
    for (int row = 1; row <= 12; ++row)
      view.SetCell(kDataGrid, 1, row, Amount(parsed->amounts1[row - 1]));
    for (int row = 1; row <= 5; ++row)
      view.SetCell(kDataGrid, 2, row, Amount(parsed->amounts2[row - 1]));
  }
  view.SetItemText(kStatusBar, kPanelState, test_mode == 1 ? Msg(132) : notice_text);
  return true;
}

bool TSRB4900::cfg_to_cis(int port_index) {
  try {
    if (!ComPort1.Connected()) {
      try {
        ComPort1.Open();
      } catch (const EComPort&) {
      }
    }
    if (device_ready == 0 || !ComPort1.Connected()) {
      if (InitPort(0) == 0) return false;
    }
    Clear_RX_Que();

    bool lines_up = true;
    if (os_major < 5) {
      WriteComChar(0, 50);
      DelayMs(50);
    } else {
      // A device that fails meanwhile closes the port: no use waiting on for its lines.
      lines_up = WaitFor(static_cast<uint32_t>(cfg.time_info),
                         [this] { return !ComPort1.Connected() || LinesReady(); }) &&
                 ComPort1.Connected();
    }
    if (!lines_up) {
      view.SetTrayPicture(1);
      return false;
    }

    WriteComChar(12, 500);
    WriteComChar(13, 500);
    WriteComChar(3, 500);
    if (!WriteComChar(27, cfg.handshake_wait) || !WriteComChar('I', cfg.handshake_wait))
      return false;

    size_t n = ReadAnswer(answer.data(), answer.size(), cfg.time_info, 100);
    // The record ends with ETX; fetch any tail that came after the quiet gap.
    while (n < answer.size() && (n == 0 || answer[n - 1] != kETX)) {
      if (!ComPort1.Connected() || ComPort1.Read(answer.data() + n, 1) != 1) break;
      ++n;
    }
    if (n == 0 || !ParseDeviceRecord(n - 1)) return false;
    cfg.port = port_index;
    view.SetTrayHint("KV4910->" + std::to_string(document_number));
    ShowPrinterInfo();
    return true;
  } catch (const EComPort&) {
    PortFailed();
    boxes.Plain("cfg_to_cis - catch()", BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
}

}  // namespace kv
