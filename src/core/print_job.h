#pragma once

#include <cstdint>
#include <string>

#include "core/job_input_file.h"
#include "core/job_scan.h"

namespace kv {

// The values of one print job, local to one tick of the print-job loop.
struct PrintJob {
  std::string path;   // the input file (path_in)
  JobInputFile file;  // open and locked while the job runs
  std::string bytes;  // the whole file
  JobScan scan;
  bool receipt = false;         // the job holds a receipt command
  bool copy = false;            // the job holds a copy command
  int32_t document_before = 0;  // the printer's document number before a receipt
  int32_t result = 0;           // reported to the client: 1 confirmed, 0 failed
};

// Where a job goes after the printer-condition check.
enum class JobRoute { Send, Complete, Abandon };

}  // namespace kv
