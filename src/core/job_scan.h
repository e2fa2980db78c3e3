#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kv {

// What a receipt file holds, found by looking only at the letter after each escape byte.
struct JobScan {
  std::optional<size_t> first_command;  // offset of the first ESC still to be sent
  int info_file_requests = 0;           // ESC DC1 commands seen (each writes info.txt)
  std::optional<char> status_record;    // ESC '!' letter: the job only reads a status record
  bool receipt = false;                 // 'B' 'V' 'b' 'v'
  bool copy = false;                    // 'C'
  bool journal_readout = false;         // the job produces a document for the journal
  bool state_check = false;             // the printer's condition is checked before sending
  bool closing_job = false;             // 'd'
  bool read_back = false;               // the device record is read back after sending
  bool trailer = false;                 // '>': ESC 'F' ETX goes after the file
};

inline constexpr char kEsc = 27;
inline constexpr char kEtx = 3;
inline constexpr char kDc1 = 17;

// Classifies a job. Inside an ESC 'F' text block only ETX is looked at (it closes the block);
// ESC DC1 resets the first-command position; ESC '!' ends the scan.
JobScan ScanJob(std::string_view bytes);

// The letter after the ESC at the first-command position ('\0' when there is none).
char FirstCommandLetter(std::string_view bytes, const JobScan& scan);

}  // namespace kv
