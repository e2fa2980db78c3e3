#pragma once

#include <string_view>

namespace kv {

// True when `text` is JSON in which one object names a field twice. Writers disagree on which
// of the two counts, so such a body is refused rather than guessed at. Text that is not JSON
// is not this check's business (false).
bool HasRepeatedName(std::string_view text);

}  // namespace kv
