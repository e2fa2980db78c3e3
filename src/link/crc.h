#pragma once

#include <cstdint>

namespace kv {

// One step of the CRC-16 that guards blocks read back from the printer: polynomial 0x1021,
// most significant bit first, no reflection, no final XOR (register 0 before a block).
constexpr uint16_t Crc16Step(uint16_t reg, uint8_t byte) {
  reg = static_cast<uint16_t>(reg ^ (byte << 8));
  for (int bit = 0; bit < 8; ++bit)
    reg = (reg & 0x8000) ? static_cast<uint16_t>((reg << 1) ^ 0x1021)
                         : static_cast<uint16_t>(reg << 1);
  return reg;
}

}  // namespace kv
