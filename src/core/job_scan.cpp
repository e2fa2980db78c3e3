#include "core/job_scan.h"

namespace kv {

JobScan ScanJob(std::string_view bytes) {
  JobScan scan;
  bool in_text_block = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (in_text_block) {
      if (bytes[i] == kEtx) in_text_block = false;
      continue;
    }
    if (bytes[i] != kEsc) continue;
    if (!scan.first_command) scan.first_command = i;
    if (i + 1 >= bytes.size()) break;  // an ESC as the last byte has no letter
    const char letter = bytes[++i];
    switch (letter) {
      case 'F':
        scan.state_check = true;
        in_text_block = true;
        break;
      case kDc1:
        ++scan.info_file_requests;
        scan.first_command.reset();
        break;
      case '!':
        // The byte after '!' selects the record; a '!' at the very end selects none.
        scan.status_record = i + 1 < bytes.size() ? bytes[i + 1] : '\0';
        return scan;
      case '>':
        scan.trailer = true;
        break;
      case 'B':
      case 'V':
      case 'b':
      case 'v':
        scan.receipt = scan.journal_readout = scan.read_back = scan.state_check = true;
        break;
      case 'C':
        scan.copy = scan.state_check = true;
        break;
      case 'D':
        scan.state_check = scan.journal_readout = true;
        break;
      case 'd':
        scan.journal_readout = scan.state_check = scan.closing_job = scan.read_back = true;
        break;
      case 'x':
        scan.journal_readout = scan.state_check = true;
        break;
      case 'X':
      case 'c':
      case 'm':
        scan.state_check = true;
        break;
      default:
        break;
    }
  }
  return scan;
}

char FirstCommandLetter(std::string_view bytes, const JobScan& scan) {
  if (!scan.first_command || *scan.first_command + 1 >= bytes.size()) return '\0';
  return bytes[*scan.first_command + 1];
}

}  // namespace kv
