// The device record (the answer to ESC "I"): any bytes parse or are refused, also when read over
// an earlier record whose fields the new one keeps where it has no line for them.

#include "fuzz_support.h"
#include "link/device_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = kv::fuzz::Bytes(data, size);
  // The first half stands for the record read before the job, the whole input for the one after.
  const auto before = kv::ParseDeviceRecordBytes(bytes.substr(0, size / 2));
  (void)kv::ParseDeviceRecordBytes(bytes, before.value_or(kv::DeviceRecord{}));
  return 0;
}
