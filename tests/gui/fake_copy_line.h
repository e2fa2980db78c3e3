#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/copy_exchange.h"

namespace kv::test {

// The printer line of the copies window: records what was written and hands out the bytes a
// test puts into `incoming`.
class FakeCopyLine final : public CopyLine {
 public:
  LineStart Begin(std::string_view request, bool purge_output) override {
    if (busy) return LineStart::Busy;
    if (failed) return LineStart::Failed;
    held = true;
    sent.emplace_back(request);
    purged_output.push_back(purge_output);
    return LineStart::Written;
  }
  int Read(std::string& into, size_t max) override {
    if (failed) return -1;
    const size_t n = std::min(max, incoming.size());
    into.append(incoming, 0, n);
    incoming.erase(0, n);
    return static_cast<int>(n);
  }
  void End() override {
    held = false;
    ++ends;
  }

  bool busy = false;    // another exchange holds the printer
  bool failed = false;  // the port is closed or failed
  bool held = false;
  int ends = 0;
  std::string incoming;
  std::vector<std::string> sent;
  std::vector<bool> purged_output;
};

// A fetched document as the printer sends it after its ACK: length, text, CRC.
inline std::string FetchAnswer(const std::string& document, uint16_t crc) {
  const size_t length = document.size() + 2;
  return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + document +
         static_cast<char>(crc >> 8) + static_cast<char>(crc & 0xFF);
}

}  // namespace kv::test
