// The status records of ESC "!": the information record "I", the VAT rates "d" and the rounding
// lines "z" from any bytes.

#include "fuzz_support.h"
#include "link/device_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view record = kv::fuzz::Bytes(data, size);
  const auto info = kv::DecodeInfoRecord(record);
  FUZZ_CHECK(info.has_value() == (size >= kv::kInfoRecordMinimum));

  std::array<uint8_t, 5> rates{};
  FUZZ_CHECK(kv::ParseVatRecord(record, rates) <= rates.size());

  std::array<kv::RoundingLine, 6> lines;
  const size_t count = kv::ParseRoundingRecord(record, lines);
  FUZZ_CHECK(count <= lines.size());
  for (size_t i = 0; i < count; ++i) {
    FUZZ_CHECK(!lines[i].view().empty() && lines[i].view().size() <= kv::RoundingLine::capacity());
    for (char c : lines[i].view()) FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && c != 0x7F);
  }
  return 0;
}
