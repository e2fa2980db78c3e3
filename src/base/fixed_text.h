#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace kv {

// A zero-terminated text in a field of N bytes, as the program's fixed-size records hold them.
// Assigning a longer text cuts it to N - 1 bytes; nothing is ever written past the field.
template <size_t N>
class FixedText {
  static_assert(N >= 1);

 public:
  FixedText() { bytes_.fill(0); }
  FixedText(std::string_view text) { Assign(text); }  // NOLINT: implicit on purpose
  FixedText& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }

  void Assign(std::string_view text) {
    bytes_.fill(0);
    std::memcpy(bytes_.data(), text.data(), std::min(text.size(), N - 1));
  }
  std::string_view view() const { return {bytes_.data(), strnlen(bytes_.data(), N)}; }
  std::string str() const { return std::string(view()); }
  const char* c_str() const { return bytes_.data(); }
  const std::array<char, N>& bytes() const { return bytes_; }
  static constexpr size_t capacity() { return N - 1; }
  bool operator==(std::string_view other) const { return view() == other; }

 private:
  std::array<char, N> bytes_;
};

}  // namespace kv
