#pragma once

#include <string_view>

namespace kv::test {

// How often `part` occurs in `text`, overlapping occurrences included.
inline int Count(std::string_view text, std::string_view part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

}  // namespace kv::test
