#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace kv {

// The numbered run-time messages: 250 slots of 150 bytes, each a zero-terminated cp1250 text.
// Message N is slot N. All slots are empty until the message file has been read.
class MessageTable {
 public:
  static constexpr int kSlots = 250;
  static constexpr int kSlotSize = 150;

  MessageTable() { Clear(); }
  void Clear() {
    for (auto& slot : slots_) slot.fill(0);
  }

  // The text of message n; empty for a number outside the table.
  std::string Text(int n) const {
    if (n < 0 || n >= kSlots) return {};
    return std::string(slots_[n].data(), strnlen(slots_[n].data(), kSlotSize));
  }
  std::string operator[](int n) const { return Text(n); }

  // Raw slot for the loader, which keeps every write inside it.
  std::array<char, kSlotSize>& Slot(int n) { return slots_.at(static_cast<size_t>(n)); }

 private:
  std::array<std::array<char, kSlotSize>, kSlots> slots_;
};

}  // namespace kv
