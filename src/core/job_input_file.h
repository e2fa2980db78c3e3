#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "base/file_system.h"

namespace kv {

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

// Moves a file aside under a dated name in its own directory ("blocek.txt" becomes
// "blocek_261206_143000.txt", with "_2", "_3" ... when that name is taken). Returns the new path,
// or none when the file could not be moved.
std::optional<std::string> SetFileAside(const std::string& path, const std::tm& now);
// How many files SetFileAside has left beside `path` (names of its form; at most `limit`
// directory entries are looked at). Only looks at the folder: safe on any thread.
int CountSetAside(const std::string& path, int limit = 10000);

// What opening the input file found.
enum class InputOpen {
  Opened,      // a regular file, open and locked
  Missing,     // nothing at the path
  Busy,        // its writer holds a lock on it
  Unreadable,  // something that cannot be read as a job: no permission, not a regular file
};

// The job's input file, held open and locked for the length of the job (ReadOnlyFile's lock
// without waiting): a writer that holds the file keeps the job away until it lets go. The open
// never blocks (a FIFO at the path is refused, not waited on).
class JobInputFile {
 public:
  // A receipt is a few kilobytes; anything larger than this is not taken as a job.
  static constexpr int64_t kMaxBytes = 1 << 20;

  JobInputFile() = default;
  JobInputFile(const JobInputFile&) = delete;
  JobInputFile& operator=(const JobInputFile&) = delete;

  InputOpen Open(const std::string& path);
  // Reads the whole file from its start; false on a read error or when it holds more than
  // kMaxBytes.
  bool ReadAll(std::string& bytes);
  // The identity of the open file.
  std::optional<FileIdentity> Identity() const;
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  ReadOnlyFile file_;
};

}  // namespace kv
