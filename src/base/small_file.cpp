#include "base/small_file.h"

#include "base/file_system.h"

namespace kv {

SmallFileStatus ReadSmallFile(const std::string& path, std::string& bytes, size_t limit) {
  bytes.clear();
  ReadOnlyFile file;
  switch (file.Open(path)) {
    case FileOpen::Opened: break;
    case FileOpen::NotRegular: return SmallFileStatus::NotRegular;
    default: return SmallFileStatus::Missing;
  }
  const std::optional<FileIdentity> identity = file.Identity();
  if (!identity) return SmallFileStatus::ReadError;
  if (identity->size < 0 || static_cast<unsigned long long>(identity->size) > limit)
    return SmallFileStatus::TooLarge;

  // The file may grow while it is read: never take more than one byte past the limit.
  char chunk[4096];
  for (;;) {
    const size_t room = limit + 1 - bytes.size();
    const int64_t n = file.Read(chunk, room < sizeof chunk ? room : sizeof chunk);
    if (n < 0) return SmallFileStatus::ReadError;
    if (n == 0) return SmallFileStatus::Read;
    bytes.append(chunk, static_cast<size_t>(n));
    if (bytes.size() > limit) {
      bytes.clear();
      return SmallFileStatus::TooLarge;
    }
  }
}

}  // namespace kv
