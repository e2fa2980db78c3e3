#pragma once

#include <string>

#include "base/control_bytes.h"

namespace kv::test {

// ESC as text, for writing the command texts a test expects.
inline const std::string E(1, kEsc);

}  // namespace kv::test
