// The scan of an input file: any bytes classify, and the offset the job is sent from is an
// escape byte inside the file.

#include "base/control_bytes.h"
#include "core/job_scan.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = kv::fuzz::Bytes(data, size);
  const kv::JobScan scan = kv::ScanJob(bytes);
  if (scan.first_command) {
    FUZZ_CHECK(*scan.first_command < size);
    FUZZ_CHECK(bytes[*scan.first_command] == static_cast<char>(kv::kESC));
  }
  FUZZ_CHECK(!scan.record_letter || scan.status_record);
  const auto letter = kv::FirstCommandLetter(bytes, scan);
  FUZZ_CHECK(!letter || (scan.first_command && *scan.first_command + 1 < size));
  return 0;
}
