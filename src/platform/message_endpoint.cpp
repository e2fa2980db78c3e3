#include "platform/message_endpoint.h"

namespace kv {

uint32_t MessageNumberForName(std::string_view name) {
  if (name.empty()) return 0;
  uint32_t hash = 2166136261u;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
    hash ^= byte;
    hash *= 16777619u;
  }
  return 0xC000u + hash % 0x4000u;
}

std::string SanitizeWindowTitle(std::string_view title) {
  std::string out(title);
  for (char& c : out) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '.' || c == '_' || c == '-';
    if (!keep) c = '_';
  }
  return out;
}

void EncodeMessage(uint32_t msg, uint32_t wparam, int32_t lparam, unsigned char* out) {
  const uint32_t words[3] = {msg, wparam, static_cast<uint32_t>(lparam)};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) out[w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
  }
}

void DecodeMessage(const unsigned char* in, uint32_t& msg, uint32_t& wparam, int32_t& lparam) {
  uint32_t words[3] = {0, 0, 0};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) words[w] |= static_cast<uint32_t>(in[w * 4 + b]) << (8 * b);
  }
  msg = words[0];
  wparam = words[1];
  lparam = static_cast<int32_t>(words[2]);
}

}  // namespace kv
