#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

// Settings, language and message files are small; anything larger is not one of them.
inline constexpr size_t kSmallFileLimit = 1024 * 1024;

enum class SmallFileStatus {
  Read,        // the whole file is in `bytes`
  Missing,     // it cannot be opened
  NotRegular,  // a directory, a device, a FIFO, a socket: never read
  TooLarge,    // more than the limit
  ReadError    // it opened but reading failed
};

// Reads a whole regular file of at most `limit` bytes. It is opened without blocking, so a FIFO
// or a device in its place neither hangs the program nor feeds it without end.
SmallFileStatus ReadSmallFile(const std::string& path, std::string& bytes,
                              size_t limit = kSmallFileLimit);

// Reads the first `limit` bytes of a regular file, opened as ReadSmallFile opens it. A longer
// file is not refused: `Read` with its start in `bytes`, and `file_size` tells its whole
// length. After a ReadError `bytes` holds what was read before it.
SmallFileStatus ReadFileStart(const std::string& path, std::string& bytes, size_t limit,
                              uint64_t& file_size);

}  // namespace kv
