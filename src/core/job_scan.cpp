#include "core/job_scan.h"

#include "base/control_bytes.h"

namespace kv {

namespace {

void Classify(char letter, JobScan& scan, bool& text_block) {
  switch (letter) {
    case 'F':
      scan.state_check = true;
      text_block = true;
      break;
    case '>':
      scan.trailer = true;
      break;
    case 'B':
    case 'V':
    case 'b':
    case 'v':
      scan.receipt = true;
      scan.journal_request = true;
      scan.read_back = true;
      scan.state_check = true;
      break;
    case 'C':
      scan.copy = true;
      scan.state_check = true;
      break;
    case 'D':
      scan.state_check = true;
      scan.journal_request = true;
      break;
    case 'd':
      scan.journal_request = true;
      scan.state_check = true;
      scan.closing_job = true;
      scan.read_back = true;
      break;
    case 'x':
      scan.journal_request = true;
      scan.state_check = true;
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

}  // namespace

JobScan ScanJob(std::string_view bytes) {
  JobScan scan;
  bool text_block = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (text_block) {
      if (bytes[i] == kETX) text_block = false;
      continue;
    }
    if (bytes[i] != kESC) continue;
    if (!scan.first_command) scan.first_command = i;
    if (++i >= bytes.size()) break;  // an escape byte at the very end has no letter
    const char letter = bytes[i];
    if (letter == kDC1) {
      ++scan.status_queries;
      scan.first_command.reset();
    } else if (letter == '!') {
      scan.status_record = true;
      if (i + 1 < bytes.size()) scan.record_letter = bytes[i + 1];
      break;
    } else {
      Classify(letter, scan, text_block);
    }
  }
  return scan;
}

std::optional<char> FirstCommandLetter(std::string_view bytes, const JobScan& scan) {
  if (!scan.first_command || *scan.first_command + 1 >= bytes.size()) return std::nullopt;
  return bytes[*scan.first_command + 1];
}

}  // namespace kv
