#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "register/till_output.h"
#include "support/escape_text.h"

namespace kv::test {

// The till's output kept in memory: every byte that reached the port, and the preview entries
// since the preview was last cleared. `fail_after` makes the port fail once that many writes
// have gone through.
class RecordingTillOutput final : public TillOutput {
 public:
  void ClearPreview() override { preview.clear(); }
  void AppendPreview(std::string_view text) override { preview.emplace_back(text); }
  bool WritePort(std::string_view bytes) override {
    if (fail_after >= 0 && writes >= fail_after) return false;
    ++writes;
    port.append(bytes);
    return true;
  }

  std::string port;
  std::vector<std::string> preview;
  int writes = 0;
  int fail_after = -1;
};

}  // namespace kv::test
