#pragma once

#include <string>
#include <vector>

namespace kv {

// What happened to a name in a watched directory.
enum class DirEventKind {
  Created,   // a new file by that name; its writer may still be at work
  Modified,  // written to
  Closed,    // closed by a process that had it open for writing
  MovedIn,   // renamed into the directory under that name: whole at once
  Gone,      // deleted or renamed away
  Lost,      // events were lost, or the directory itself went: anything may have happened
};

struct DirEvent {
  DirEventKind kind;
  std::string name;  // empty for Lost
};

// Watches one directory for files that appear, change and go (inotify on Linux; elsewhere
// nothing is watched and the caller keeps to its own polling). The descriptor is readable
// while events wait; Take reads them without blocking.
class DirectoryWatch {
 public:
  DirectoryWatch();
  ~DirectoryWatch();
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;

  // Watches `dir` instead of the directory watched so far; false when it cannot be watched
  // (nothing is watched then).
  bool Watch(const std::string& dir);
  // The directory watched now; empty when none.
  const std::string& dir() const { return dir_; }
  // Readable while events wait; -1 where there is no watch.
  int NotifyFd() const { return fd_; }
  // Every event waiting, oldest first; never blocks.
  std::vector<DirEvent> Take();

 private:
  void Forget();

  int fd_ = -1;
  int wd_ = -1;
  std::string dir_;
};

}  // namespace kv
