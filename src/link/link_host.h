#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// What the link and the readouts need from the layers above them: the working files and the
// start-up state. The print manager object implements it; the link never sees those parts.
class LinkHost {
 public:
  virtual ~LinkHost() = default;

  // One line of the error file.
  virtual void LogError(std::string_view text) = 0;
  // info.txt with the current status value ("9999" and the status), written before the
  // operator is shown a condition and when a job or readout cannot go on.
  virtual void WriteInfoFile() = 0;
  // A bring-up (InitPort) has found the printer: until the first print-job tick the start-up
  // reads follow (currency, VAT rates, device record).
  virtual void AfterBringUp() = 0;
  // The printer asked for the daily close and it was sent: the device record and the journal
  // are read.
  virtual void AfterAutoDailyClose() = 0;
  // A print job is in progress: the readouts then show nothing of their own.
  virtual bool JobBusy() = 0;
  // A client's information readout: writes info.txt (the document number) and info.ful and
  // esci.txt (the device record as received).
  virtual void WriteDeviceInfoFiles(int32_t document_number, std::string_view record) = 0;
  // Before the journal readout: keeps the old journal as out_bl.tmp and checks that the journal
  // can be appended to; false (the operator told) when it cannot.
  virtual bool OpenJournal() = 0;
  // Appends the text read from the printer to the journal; false (the operator told) on failure.
  virtual bool AppendJournal(std::string_view text) = 0;
};

}  // namespace kv
