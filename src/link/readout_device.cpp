#include <algorithm>
#include <cstdio>

#include "base/config.h"
#include "base/control_bytes.h"
#include "base/error_log.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/link_host.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "link/result_files.h"

// The device record (ESC "I"): counters, the day's amounts and the printer's date and time,
// read after each job and on a client's request, and shown on the main window.

namespace kv {

namespace {

// The device record's text starts after three leading bytes and a line end; an ETX from there
// on ends it.
constexpr size_t kRecordTextFrom = 4;

std::string Amount(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

bool PrinterReadouts::ParseDeviceRecord(size_t length, size_t received) {
  namespace names = view_names;
  length = std::min(length, answer_.size());
  const auto parsed = ParseDeviceRecordBytes(
      {reinterpret_cast<const char*>(answer_.data()), length}, device_record_);
  if (!parsed) return false;
  device_record_ = *parsed;
  // The record as it came, with the ETX that ended it when that was received too.
  const bool etx_follows = length < received && length < answer_.size() && answer_[length] == kETX;
  record_bytes_.assign(reinterpret_cast<const char*>(answer_.data()),
                       length + (etx_follows ? 1 : 0));

  const int32_t number = device_record_.document_number;
  view_.SetTrayHint("KV4910->" + std::to_string(number));
  view_.SetText(names::kDocumentLabel,
                std::to_string(number) + "/" + std::to_string(parsed->second_counter + 1));
  view_.SetText(names::kDateLabel, parsed->date);
  view_.SetText(names::kTimeLabel, parsed->time);
  for (int row = 1; row <= 5; ++row)
    view_.SetCell(names::kDataGrid, 0, row, " " + std::to_string(vatRates_[row - 1]) + " %");
  grid_shown_ = true;
  ShowGridHeadings();
  if (!cfg_.obrat_hide) {
    for (int row = 1; row <= 12; ++row)
      view_.SetCell(names::kDataGrid, 1, row, Amount(parsed->amounts1[row - 1]));
    for (int row = 1; row <= 5; ++row)
      view_.SetCell(names::kDataGrid, 2, row, Amount(parsed->amounts2[row - 1]));
  }
  lang_.ShowStateMessage(Localization::StateText::StatePanel,
                         test_mode_ == 1 ? kMsgTestMode : kMsgNotice);
  return true;
}

void PrinterReadouts::ShowGridHeadings() {
  if (!grid_shown_) return;
  view_.SetCell(view_names::kDataGrid, 2, 0, lang_.Msg(kMsgVat));
  view_.SetCell(view_names::kDataGrid, 1, 0, lang_.Msg(kMsgTurnover));
  for (int row = 6; row <= 12; ++row)
    view_.SetCell(view_names::kDataGrid, 0, row, lang_.Msg(125 + row - 6));
}

bool PrinterReadouts::cfg_to_cis(int port_index) {
  TComPort& port = link_.ComPort1();
  try {
    if (!port.Connected()) {
      try {
        port.Open();
      } catch (const EComPort&) {
      }
    }
    if (link_.device_ready() == 0 || !port.Connected()) {
      if (link_.InitPort(0) == 0) return false;
    }
    link_.Clear_RX_Que();

    bool lines_up = true;
    if (link_.os_major() < 5) {
      link_.WriteComChar(0, 50);
      link_.DelayMs(50);
    } else {
      // A device that fails meanwhile closes the port: no use waiting on for its lines.
      lines_up = link_.WaitFor(static_cast<uint32_t>(cfg_.time_info), [&] {
        return !port.Connected() || link_.LinesReady();
      }) && port.Connected();
    }
    if (!lines_up) {
      view_.SetTrayPicture(1);
      return false;
    }

    link_.WriteComChar(kFF, 500);
    link_.WriteComChar(kCR, 500);
    link_.WriteComChar(kETX, 500);
    const auto wait = static_cast<uint32_t>(cfg_.handshake_wait);
    if (!link_.WriteComChar(kESC, wait) || !link_.WriteComChar('I', wait)) return false;

    size_t n = link_.ReadAnswer(answer_.data(), answer_.size(), cfg_.time_info, 100,
                                AnswerEnd::Etx(kRecordTextFrom));
    // The record ends with ETX; fetch any tail that came after the quiet gap.
    while (n < answer_.size() && (n == 0 || answer_[n - 1] != kETX)) {
      if (!port.Connected() || port.Read(answer_.data() + n, 1) != 1) break;
      ++n;
    }
    if (n == 0 || !ParseDeviceRecord(n - 1, n)) return false;
    cfg_.port = port_index;
    view_.SetTrayHint("KV4910->" + std::to_string(document_number()));
    ShowPrinterInfo();
    return true;
  } catch (const EComPort&) {
    link_.PortFailed();
    if (link_.Unattended())
      errors_.LogError("cfg_to_cis - catch()");
    else
      boxes_.Plain("cfg_to_cis - catch()", BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
}

int PrinterReadouts::ReadDeviceInfo() {
  if (ReadDeviceInfoRecord()) return 1;
  // info.txt then says that no record came ("9999" and the status), not what an earlier job
  // left there.
  results_.WriteInfoFile();
  return 0;
}

bool PrinterReadouts::ReadDeviceInfoRecord() {
  if (!link_.ComPort1().Connected() || link_.OpenPort(0) == 0) return false;
  const auto wait = static_cast<uint32_t>(cfg_.handshake_wait);
  if (!link_.WriteComChar(kESC, wait) || !link_.WriteComChar('I', wait)) return false;
  size_t n = link_.ReadAnswer(answer_.data(), answer_.size(), cfg_.time_info, 125,
                              AnswerEnd::Etx(kRecordTextFrom));
  if (cfg_.rozsirene_info == 1) {
    // One byte at a time until the ETX that ends the record.
    while (n < answer_.size()) {
      if (link_.ReadAnswer(answer_.data() + n, answer_.size() - n, 100, 1, AnswerEnd::Length(1)) !=
          1)
        break;
      if (answer_[n++] == kETX) break;
    }
  }
  if (!ParseDeviceRecord(n, n)) return false;
  results_.WriteDeviceInfoFiles(document_number(),
                                {reinterpret_cast<const char*>(answer_.data()), n});
  return true;
}

}  // namespace kv
