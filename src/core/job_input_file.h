#pragma once

#include <cstdint>
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

// The job's input file, held open and locked for the length of the job. "Exclusive" here is an
// exclusive advisory lock (flock) taken without waiting: a writer that holds a lock on the file
// keeps the job away until it lets go. A writer that does not lock is not detected.
class JobInputFile {
 public:
  JobInputFile() = default;
  JobInputFile(const JobInputFile&) = delete;
  JobInputFile& operator=(const JobInputFile&) = delete;
  ~JobInputFile() { Close(); }

  // Opens the file for reading and locks it; false when it does not exist, cannot be read or
  // another process holds a lock on it.
  bool Open(const std::string& path);
  // Reads the whole file from its start; false on a read error.
  bool ReadAll(std::string& bytes);
  // The identity of the open file.
  std::optional<FileIdentity> Identity() const;
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kv
