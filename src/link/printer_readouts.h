#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/device_record.h"
#include "link/printer_link.h"

namespace kv {

class ErrorLog;
class LinkHost;
class Localization;
class OperatorBoxes;
class ResultFiles;
class View;
struct Config;

struct ReadoutServices {
  PrinterLink& link;
  Config& cfg;
  const Localization& lang;
  OperatorBoxes& boxes;
  View& view;
  LinkHost& host;
  ErrorLog& errors;
  ResultFiles& results;
};

// What the printer tells about itself, read over the link: the device record (ESC "I": the
// document number, counters, amounts, date and time), the status records (ESC "!" and a letter:
// information, VAT rates, rounding, currency), the journal text (ESC "Q"). Each readout returns
// what it read, or keeps it here for the accessors; nothing depends on bytes another readout
// left in a buffer. The files go to ResultFiles. The readouts follow the link's own bring-up
// and automatic daily close with their reads (LinkFollowUps).
class PrinterReadouts final : private LinkFollowUps {
 public:
  explicit PrinterReadouts(ReadoutServices services);
  ~PrinterReadouts();
  PrinterReadouts(const PrinterReadouts&) = delete;
  PrinterReadouts& operator=(const PrinterReadouts&) = delete;

  // ---- status records (readout_status.cpp) -------------------------------------------------
  // The record of `letter` (without its two length bytes); empty when it did not come whole or
  // is longer than the status buffer. Valid until the next status record is read.
  std::string_view ReadStatusRecord(char letter);
  // The information record "I": test mode, counters, serial number, line flags.
  void ReadInfoRecord();
  // Reads the information record and shows it on the main window (not during a print job).
  void ShowPrinterInfo();
  void ReadVatRates();
  // The rounding record "z", shown in the settings dialog; false when it did not come.
  bool ReadRoundingRecord();
  // The reads of the first bring-up: the active currency, the VAT rates, the device record.
  void FirstBringUpReads();

  // ---- device record (readout_device.cpp) --------------------------------------------------
  // Reads the device record; `port_index` becomes the configured port when it succeeds.
  bool cfg_to_cis(int port_index);
  // A client's information request: reads the device record and has the information files
  // written; 1 on success. On failure info.txt gets "9999" and the status value.
  int ReadDeviceInfo();
  // The device record as it came (its ETX included when one ended it), of the last record
  // parsed.
  std::string_view DeviceRecordBytes() const { return record_bytes_; }
  const DeviceRecord& device_record() const { return device_record_; }
  int32_t document_number() const { return device_record_.document_number; }
  // The headings of the main window's figures (messages 123 ... 131), once a device record has
  // filled it; shown again when the language changes.
  void ShowGridHeadings();

  // ---- journal (readout_journal.cpp) -------------------------------------------------------
  // The journal readout is due (a job that prints into the journal, a daily close).
  void RequestJournal(bool due = true) { journal_request_ = due; }
  bool journal_request() const { return journal_request_; }
  // When requested: reads the journal text of the last document and appends it to the
  // journal. True when nothing was due or the text was appended.
  bool ReadJournal();

  // ---- what the last readouts found ----------------------------------------------------------
  const InfoRecord& info() const { return info_; }
  bool info_read() const { return info_read_; }
  uint8_t test_mode() const { return test_mode_; }
  void SetTestMode(uint8_t mode) { test_mode_ = mode; }
  const std::array<uint8_t, 5>& vatRates() const { return vatRates_; }
  void SetVatRates(const std::array<uint8_t, 5>& rates) { vatRates_ = rates; }
  const std::array<RoundingLine, 6>& rounding_lines() const { return rounding_lines_; }

  static constexpr size_t kAnswerSize = 18500;
  static constexpr size_t kStatusBufferSize = 1024;

 private:
  // The start-up reads after the first bring-ups; the device record and the journal after an
  // automatic daily close.
  void AfterBringUp() override;
  void AfterAutoDailyClose() override;
  // Parses the first `length` bytes of the answer buffer (of `received`) as a device record and
  // shows it.
  bool ParseDeviceRecord(size_t length, size_t received);
  // The status query, the request and the record; true when the information files were written.
  bool ReadDeviceInfoRecord();

  PrinterLink& link_;
  Config& cfg_;
  const Localization& lang_;
  OperatorBoxes& boxes_;
  View& view_;
  LinkHost& host_;
  ErrorLog& errors_;
  ResultFiles& results_;
  std::array<uint8_t, kAnswerSize> answer_{};
  std::array<uint8_t, kStatusBufferSize> status_buffer_{};
  InfoRecord info_;
  bool info_read_ = false;  // an "I" record has been decoded since start-up
  uint8_t test_mode_ = 0;
  std::array<uint8_t, 5> vatRates_{};
  std::array<RoundingLine, 6> rounding_lines_;
  DeviceRecord device_record_;  // the last valid device record
  bool grid_shown_ = false;     // a device record has filled the main window's figures
  std::string record_bytes_;
  bool journal_request_ = false;
};

}  // namespace kv
