// A stored document fetched from the printer: any answer is parsed or refused, and any
// document renders as runs of text with line breaks only as '\n', no empty runs and no two
// neighbours of the same style.

#include "fuzz_support.h"
#include "reports/copy_block.h"

namespace {

void CheckRendering(std::string_view document) {
  const std::vector<kv::TextRun> runs = kv::RenderCopyBlock(document);
  size_t shown = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    FUZZ_CHECK(!runs[i].text.empty());
    FUZZ_CHECK(runs[i].text.find('\r') == std::string::npos);
    FUZZ_CHECK(i == 0 || runs[i].bold != runs[i - 1].bold);
    shown += runs[i].text.size();
  }
  // Markup only takes bytes away or keeps them; nothing is invented.
  FUZZ_CHECK(shown <= document.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view answer = kv::fuzz::Bytes(data, size);
  const kv::FetchedBlock block = kv::ParseFetchedBlock(answer);
  FUZZ_CHECK(block.status == kv::FetchStatus::Ok || block.document.empty());
  // The answer itself as a document: any bytes a block could hold, the length bytes too.
  CheckRendering(answer);
  return 0;
}
