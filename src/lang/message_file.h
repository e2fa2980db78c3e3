#pragma once

#include <string>
#include <string_view>

#include "lang/message_table.h"

namespace kv {

// Fills the message table from the bytes of a message file. A block is a header line that
// starts with "[" and ends with LF (the message number is made of the header's digits after its
// last "_", or of all its digits when it has none), then the text up to the next "[", of which
// the last two bytes (the CR LF before the next header) are dropped. Text before the first
// header goes to message 0 from its second byte on. A later block of the same number replaces
// the earlier one; numbers of 250 and above are skipped; a text longer than a slot is cut at
// the slot's end. A header without a closing LF ends the file.
void ParseMessages(std::string_view bytes, MessageTable& table);

enum class MessageFileStatus { Loaded, Missing, ReadError };

// Reads the file at `path` and parses it into the table. Missing: the file cannot be opened, or
// it is larger than any message file (over 1 MiB); ReadError: it is not a regular file (a FIFO
// or a device is never read), or it opened but could not be read. The table is then left as it
// was.
MessageFileStatus ReadMessageFile(const std::string& path, MessageTable& table);

}  // namespace kv
