#include "base/small_file.h"

#include "base/file_system.h"

namespace kv {

namespace {

// Opens a regular file without blocking (a FIFO with no writer does not hold the program);
// `size` is its length.
SmallFileStatus OpenRegular(ReadOnlyFile& file, const std::string& path, uint64_t& size) {
  switch (file.Open(path)) {
    case FileOpen::Opened: break;
    case FileOpen::NotRegular: return SmallFileStatus::NotRegular;
    default: return SmallFileStatus::Missing;
  }
  const std::optional<FileIdentity> identity = file.Identity();
  if (!identity) return SmallFileStatus::ReadError;
  size = identity->size < 0 ? 0 : static_cast<uint64_t>(identity->size);
  return SmallFileStatus::Read;
}

// Appends at most `count` bytes of the file to `bytes`, stopping at the end of the file.
SmallFileStatus ReadUpTo(ReadOnlyFile& file, std::string& bytes, size_t count) {
  char chunk[4096];
  const size_t end = bytes.size() + count;
  while (bytes.size() < end) {
    const size_t room = end - bytes.size();
    const int64_t n = file.Read(chunk, room < sizeof chunk ? room : sizeof chunk);
    if (n < 0) return SmallFileStatus::ReadError;
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  return SmallFileStatus::Read;
}

}  // namespace

SmallFileStatus ReadSmallFile(const std::string& path, std::string& bytes, size_t limit) {
  bytes.clear();
  ReadOnlyFile file;
  uint64_t size = 0;
  const SmallFileStatus opened = OpenRegular(file, path, size);
  if (opened != SmallFileStatus::Read) return opened;
  if (size > limit) return SmallFileStatus::TooLarge;
  // The file may grow while it is read: never take more than one byte past the limit.
  const SmallFileStatus status = ReadUpTo(file, bytes, limit + 1);
  if (status == SmallFileStatus::Read && bytes.size() > limit) {
    bytes.clear();
    return SmallFileStatus::TooLarge;
  }
  return status;
}

SmallFileStatus ReadFileStart(const std::string& path, std::string& bytes, size_t limit,
                              uint64_t& file_size) {
  bytes.clear();
  file_size = 0;
  ReadOnlyFile file;
  const SmallFileStatus opened = OpenRegular(file, path, file_size);
  if (opened != SmallFileStatus::Read) return opened;
  return ReadUpTo(file, bytes, limit);
}

}  // namespace kv
