#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace kv {

// Which file a path names at one moment: device, inode, modification time and size. Another
// file written in its place (or the same file rewritten) has another identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t mtime_ns = 0;
  int64_t size = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path`; none when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Deletes a file; true when it is gone afterwards.
bool RemoveFile(const std::string& path);

// What RemoveIfSame did.
enum class Removal {
  Removed,      // the file `identity` names was at the path and is deleted
  NotThatFile,  // nothing at the path, or another file: that one is left where it is
  Failed,       // the file could not be moved off the path (no right to, ...)
  OtherHeld,    // another file was caught and a third now sits at the path: `held` keeps it
};
struct RemovalResult {
  Removal outcome = Removal::Failed;
  std::string held;  // with OtherHeld, where the caught file now is
};

// Deletes the file at `path` only if it is the file `identity` names. A file another program
// renames into place at the same moment must survive, so the file is first renamed to a private
// name beside it (one atomic step), checked there, and only then deleted; a file that turns out
// to be another one goes back to `path` unless a file has taken the path meanwhile.
RemovalResult RemoveIfSame(const std::string& path, const FileIdentity& identity);

// Moves `from` to `to` unless a file is at `to` already; false when it could not.
bool MoveUnlessTaken(const std::string& from, const std::string& to);

// Moves a file aside under a dated name in its own directory ("blocek.txt" becomes
// "blocek_261206_143000.txt", with "_2", "_3" ... when that name is taken). Returns the new path,
// or none when the file could not be moved.
std::optional<std::string> SetFileAside(const std::string& path, const std::tm& now);

// What opening the input file found.
enum class InputOpen {
  Opened,      // a regular file, open and locked
  Missing,     // nothing at the path
  Busy,        // its writer holds a lock on it
  Unreadable,  // something that cannot be read as a job: no permission, not a regular file
};

// The job's input file, held open and locked for the length of the job. "Exclusive" here is an
// exclusive advisory lock (flock) taken without waiting: a writer that holds a lock on the file
// keeps the job away until it lets go. The open never blocks (a FIFO at the path is refused,
// not waited on).
class JobInputFile {
 public:
  // A receipt is a few kilobytes; anything larger than this is not taken as a job.
  static constexpr int64_t kMaxBytes = 1 << 20;

  JobInputFile() = default;
  JobInputFile(const JobInputFile&) = delete;
  JobInputFile& operator=(const JobInputFile&) = delete;
  ~JobInputFile() { Close(); }

  InputOpen Open(const std::string& path);
  // Reads the whole file from its start; false on a read error or when it holds more than
  // kMaxBytes.
  bool ReadAll(std::string& bytes);
  // The identity of the open file.
  std::optional<FileIdentity> Identity() const;
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kv
