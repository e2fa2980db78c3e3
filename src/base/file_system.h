#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The few file operations whose rules differ between operating systems, behind one interface:
// file_system_posix.cpp and file_system_win32.cpp implement it. Paths are UTF-8.

// Which file a path names at one moment: its device (on Windows the volume's serial number),
// inode (the file index), modification time and size. Another file written in its place (or
// the same file rewritten) has another identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t mtime_ns = 0;
  int64_t size = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (a link is followed); none when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Whether anything at all is at `path`, a dangling link included.
bool SomethingAt(const std::string& path);

// Deletes a file; true when it is gone afterwards.
bool RemoveFile(const std::string& path);

// Renames `from` to `to`, replacing a file there.
bool RenameFile(const std::string& from, const std::string& to);

// Copies the file `from` over `to`, replacing a file there.
bool CopyFileReplacing(const std::string& from, const std::string& to);

// Moves `from` to `to` unless a file is at `to` already, in one step; false when it could not.
bool MoveUnlessTaken(const std::string& from, const std::string& to);

// Replaces the whole file at `path` with `bytes` so that a crash or a failed write leaves either
// the old file or the new one, never a part: the bytes go to a temporary file beside it
// (`path` + ".tmp", created anew: whatever sits at that name, a link included, is never written
// through), are flushed to the disk, and the temporary file is renamed over `path`; the
// directory's entry is flushed too. The file keeps its permissions. A `path` that is a symbolic
// link is written through to the file it points to; the link stays. False when the file could
// not be replaced; the old one is then untouched.
bool SaveFileAtomically(const std::string& path, std::string_view bytes);

enum class FileOpen {
  Opened,      // a regular file, open for reading
  Missing,     // nothing at the path
  NotRegular,  // a directory, a device, a FIFO, a socket: never read
  Busy,        // asked for alone, but a writer holds it
  Unreadable,  // there, but it cannot be opened (no permission, ...)
};

// A regular file open for reading. The open never blocks: a FIFO or a device at the path is
// refused, not waited on.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() { Close(); }

  // With `alone`, no writer may hold the file meanwhile: an exclusive lock taken without waiting
  // (on Windows also a share mode that keeps writers out while it is open). A file system
  // without locks is read unlocked.
  FileOpen Open(const std::string& path, bool alone = false);
  // Reads at most `size` bytes from the current position: how many, 0 at the end, -1 on error.
  int64_t Read(char* buffer, size_t size);
  // Back to the start; false on error.
  bool Rewind();
  std::optional<FileIdentity> Identity() const;
  void Close();
  bool IsOpen() const { return handle_ != kClosed; }

 private:
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;  // the descriptor, or the Windows handle
};

}  // namespace kv
