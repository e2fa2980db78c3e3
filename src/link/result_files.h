#pragma once

#include <cstdint>
#include <string_view>

namespace kv {

// The result files the link and its readouts write into: info.txt and the information files of
// a client's readout, and the journal. The working files implement it.
class ResultFiles {
 public:
  virtual ~ResultFiles() = default;
  // info.txt with the current status value ("9999" and the status), written before the
  // operator is shown a condition and when a job or readout cannot go on.
  virtual void WriteInfoFile() = 0;
  // A client's information readout: info.txt (the document number) and info.ful and esci.txt
  // (the device record as received).
  virtual void WriteDeviceInfoFiles(int32_t document_number, std::string_view record) = 0;
  // Before the journal readout: keeps the old journal as out_bl.tmp and checks that the journal
  // can be appended to; false (the operator told) when it cannot.
  virtual bool OpenJournal() = 0;
  // Appends the text read from the printer to the journal; false (the operator told) on failure.
  virtual bool AppendJournal(std::string_view text) = 0;
};

}  // namespace kv
