// The message file: any bytes fill the message table, each text inside its slot.

#include "fuzz_support.h"
#include "lang/message_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::MessageTable table;
  kv::ParseMessages(kv::fuzz::Bytes(data, size), table);
  // A second file over the first, as a language switch loads it.
  kv::ParseMessages(kv::fuzz::Bytes(data, size / 2), table);
  for (int n = 0; n < kv::MessageTable::kSlots; ++n)
    FUZZ_CHECK(table.Text(n).size() < static_cast<size_t>(kv::MessageTable::kSlotSize));
  return 0;
}
