#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "support/test_os.h"

namespace kv::test {

// Sets an environment variable (or removes it, for a null value) for the lifetime of the object
// and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    SetEnv(name, value);
  }
  ~ScopedEnv() {
    SetEnv(name_, old_ ? old_->c_str() : nullptr);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace kv::test
