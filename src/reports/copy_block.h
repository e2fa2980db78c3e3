#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A stored document fetched from the printer (the answer to ESC "q" after its ACK): two length
// bytes, high byte first, then a block of that many bytes whose last two are the printer's
// CRC-16, high byte first. The text before the CRC carries a small markup ("^B" bold, ...).

namespace kv {

// The receive buffer holds at most this many block bytes; a longer block is refused.
inline constexpr size_t kMaxCopyBlock = 10000;

enum class FetchStatus {
  Ok,
  // Both below: RE_doklad shows message 61 (kMsgCopyRefused) as a line instead of a document.
  ShortRead,  // fewer length or block bytes arrived than announced
  TooLong,    // the length is above kMaxCopyBlock
};

struct FetchedBlock {
  FetchStatus status = FetchStatus::ShortRead;
  std::string document;       // the block without its CRC, as sent (cp1250 with markup)
  uint16_t crc_received = 0;  // shown in Edit_crc16_in
  uint16_t crc_computed = 0;  // over `document`, shown in Edit_crc16_vyp
  // A mismatch is only shown: the document is displayed either way.
  bool crc_matches() const { return crc_received == crc_computed; }
};

inline size_t FetchBlockLength(uint8_t high, uint8_t low) {
  return (size_t{high} << 8) | low;
}

// Parses what arrived after the ACK: the length bytes and the block. A length below 2 is an
// empty document with both CRCs 0 (no CRC bytes beyond the announced length are taken). Bytes
// after the block are ignored.
FetchedBlock ParseFetchedBlock(std::string_view answer);

// A piece of the rendered document in one style. Text is cp1250; every line break is '\n'.
struct TextRun {
  std::string text;
  bool bold = false;
  bool operator==(const TextRun&) const = default;
};

// Renders a fetched document for RE_doklad:
//   "^B" x   bold from here on, then x is shown as it is;
//   "^H" x, "^N" x   not bold from here on, then x;
//   "^C" a CR, "^L" a LF; CR, LF and CR LF each make one line break;
//   "^" followed by any other byte: both bytes are shown as they are, so markup the program
//   does not know stays visible instead of vanishing; a "^" that ends the block is shown;
//   every other byte is shown as it is.
// Adjacent pieces of the same style are merged; empty pieces are left out.
std::vector<TextRun> RenderCopyBlock(std::string_view document);

}  // namespace kv
