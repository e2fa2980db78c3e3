#pragma once

#include <string_view>

namespace kv {

// The error file: every layer reports what the operator is not asked about there. The working
// files implement it; tests may record the lines.
class ErrorLog {
 public:
  virtual ~ErrorLog() = default;
  // One line of the error file.
  virtual void LogError(std::string_view text) = 0;
};

}  // namespace kv
