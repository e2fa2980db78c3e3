#pragma once

#include <cstdint>
#include <string>

#include "platform/memory_line.h"

namespace kv::test {

// A small printer on the far end of a memory line for the print-job tests: it answers the
// status query, the identification, the status records, the device record, the journal text
// and copies, and counts documents (a receipt, deposit or withdrawal ends with ESC "e"; a daily
// closing is ESC "d"). Inside ESC "F" ... ETX it takes text only. Its RTS and DTR are up.
class JobPrinter {
 public:
  explicit JobPrinter(MemoryLine::End& end);

  // Condition: the two status bytes of every status answer.
  uint8_t s1 = 0;
  uint8_t s2 = 0;
  int32_t document = 100;      // the last document's number
  uint8_t test_mode = 0;       // in the "I" status record
  bool silent = false;         // switched off: takes bytes, answers nothing
  bool no_advance = false;     // documents print but keep the number
  bool nak_copies = false;     // a copy is answered with NAK instead of ACK
  std::string journal_text = "DOKLAD\r\n";
  std::string status_record = "STS";
  // When the bytes received end with this text, the printer drops RTS and takes no more.
  std::string stop_after;  // the answer to ESC "!" with a letter other than I M d z
  int receipts = 0;            // documents ended with ESC "e"
  int closings = 0;

  // Every byte the program sent, in order.
  const std::string& received() const { return received_; }
  void ClearReceived() { received_.clear(); }

 private:
  void Receive();
  void Take(uint8_t byte);
  void Command(uint8_t letter);
  void StatusRecord(uint8_t letter);
  void Reply(const std::string& bytes);

  MemoryLine::End& end_;
  std::string received_;
  bool escape_ = false;
  bool record_ = false;
  bool text_block_ = false;
  bool document_open_ = false;
};

// Device record bytes with document number `document`, ended with ETX.
std::string DeviceRecordBytes(int32_t document);

}  // namespace kv::test
