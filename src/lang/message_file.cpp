#include "lang/message_file.h"

#include <algorithm>
#include <cstring>

#include "base/small_file.h"

namespace kv {

namespace {

// The message number named by a header line (without its "[" and LF).
int HeaderNumber(std::string_view header) {
  const size_t underscore = header.find_last_of('_');
  if (underscore != std::string_view::npos) header.remove_prefix(underscore + 1);
  int number = 0;
  for (char c : header) {
    if (c < '0' || c > '9') continue;
    // Anything past the table is skipped anyway; stop growing before it could overflow.
    number = std::min(number * 10 + (c - '0'), MessageTable::kSlots * 10);
  }
  return number;
}

void StoreText(MessageTable& table, int number, std::string_view text) {
  if (number < 0 || number >= MessageTable::kSlots) return;
  auto& slot = table.Slot(number);
  slot.fill(0);
  const size_t length = std::min(text.size(), static_cast<size_t>(MessageTable::kSlotSize - 1));
  std::memcpy(slot.data(), text.data(), length);
}

// The text of a block that runs from `begin` to the next "[" (or the end of the file). A text
// ended by a header loses the line end before that header: CR LF, or a lone LF in a file
// saved with LF line ends (a text without a line end there loses its last two bytes). A text
// ended by the end of the file keeps its line end.
std::string_view BlockText(std::string_view bytes, size_t begin, size_t* next) {
  const size_t bracket = bytes.find('[', begin);
  *next = bracket;
  if (bracket == std::string_view::npos) return bytes.substr(begin);
  std::string_view text = bytes.substr(begin, bracket - begin);
  const bool lone_lf = text.ends_with('\n') && !text.ends_with("\r\n");
  text.remove_suffix(std::min<size_t>(lone_lf ? 1 : 2, text.size()));
  return text;
}

}  // namespace

void ParseMessages(std::string_view bytes, MessageTable& table) {
  if (bytes.empty()) return;
  size_t pos = 0;
  if (bytes[0] != '[') {
    size_t next;
    StoreText(table, 0, BlockText(bytes, 1, &next));
    pos = next;
  }
  while (pos != std::string_view::npos && pos < bytes.size()) {
    const size_t line_end = bytes.find('\n', pos);
    if (line_end == std::string_view::npos) return;
    const int number = HeaderNumber(bytes.substr(pos + 1, line_end - pos - 1));
    size_t next;
    StoreText(table, number, BlockText(bytes, line_end + 1, &next));
    pos = next;
  }
}

MessageFileStatus ReadMessageFile(const std::string& path, MessageTable& table) {
  std::string bytes;
  switch (ReadSmallFile(path, bytes)) {
    case SmallFileStatus::Read:
      ParseMessages(bytes, table);
      return MessageFileStatus::Loaded;
    case SmallFileStatus::NotRegular:  // a directory, a FIFO, a device: there, but unreadable
    case SmallFileStatus::ReadError:
      return MessageFileStatus::ReadError;
    case SmallFileStatus::Missing:
    case SmallFileStatus::TooLarge:
      break;
  }
  return MessageFileStatus::Missing;
}

}  // namespace kv
