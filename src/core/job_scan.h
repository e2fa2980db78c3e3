#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kv {

// What the print-job loop learns from a job file without parsing its command text: it looks
// only at the letter after each escape byte (and, inside an ESC "F" ... ETX text block, only for
// the ETX that closes it).
struct JobScan {
  // Offset of the escape byte from which the file is sent; none when the file holds no command
  // (an ESC DC1 sets it back to none, so only commands after it count).
  std::optional<size_t> first_command;
  bool receipt = false;          // B V b v
  bool copy = false;             // C
  bool state_check = false;      // the printer's condition is checked before sending
  bool closing_job = false;      // d: a daily closing
  bool read_back = false;        // the device record is read back after sending
  bool trailer = false;          // >: ESC "F" ETX is sent after the file
  bool journal_request = false;  // the printed text is to be appended to the journal
  int status_queries = 0;        // ESC DC1 seen: each writes info.txt
  // ESC "!": a status record job; the scan stopped there. The record letter is the byte after
  // the "!", none when the file ends first.
  bool status_record = false;
  std::optional<char> record_letter;
};

JobScan ScanJob(std::string_view bytes);

// The letter of the first command (the byte after the escape byte at `first_command`), if any.
std::optional<char> FirstCommandLetter(std::string_view bytes, const JobScan& scan);

}  // namespace kv
