#pragma once

#include <cstdint>
#include <string>

#include "core/job_input_file.h"
#include "core/job_scan.h"

namespace kv {

// The values of one print job, local to one tick of the print-job loop.
struct PrintJob {
  std::string path;       // the input file (path_in)
  JobInputFile file;      // open and locked while the job runs
  FileIdentity identity;  // of the file as it was read: only that file is deleted or set aside
  std::string bytes;      // the whole file
  JobScan scan;
  int32_t result = 0;  // reported to the client: 1 confirmed, 0 failed
  // The job failed and its bytes are nowhere else: at its end the file is set aside instead of
  // deleted.
  bool set_aside = false;
};

// Where a job goes next. Stop: the program is ending; the job ends as failed and its input
// file stays where it is for the next start.
enum class JobRoute { Send, Complete, Abandon, Stop };

}  // namespace kv
