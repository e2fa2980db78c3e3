#pragma once

#include <cstdint>
#include <string>

#include "platform/dir_watch.h"

namespace kv {

// The input file as a watch on its directory sees it: whether a file has just arrived there
// whole, and how it got there. The print-job loop decides from it when to look.
class InputWatch {
 public:
  // How the file at the path was last seen to change.
  enum class Arrival {
    Unknown,  // nothing seen (no watch, events lost, or the file went)
    Writing,  // created or written to, not yet closed
    Closed,   // its writer closed it after writing
    MovedIn,  // renamed into place: written elsewhere and whole
  };

  // Watches the directory of `path` (a relative path is in the working directory). A changed
  // path moves the watch; a directory that cannot be watched is tried again on the next call.
  void Follow(const std::string& path);
  // Readable while the watch has news; -1 where there is no watch.
  int NotifyFd() const { return watch_.NotifyFd(); }
  // Reads what the watch has seen. True when a file has arrived whole at the path since the
  // last call (renamed into place or closed by its writer), or when events were lost.
  bool Take();
  Arrival arrival() const { return arrival_; }
  // Counts every change seen at the path (and every loss of events).
  uint64_t changes() const { return changes_; }

 private:
  DirectoryWatch watch_;
  std::string path_;
  std::string dir_;
  std::string name_;
  Arrival arrival_ = Arrival::Unknown;
  uint64_t changes_ = 0;
};

}  // namespace kv
