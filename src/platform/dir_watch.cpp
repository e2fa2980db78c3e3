#include "platform/dir_watch.h"

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace kv {

#ifdef __linux__

DirectoryWatch::DirectoryWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

DirectoryWatch::~DirectoryWatch() {
  if (fd_ >= 0) ::close(fd_);
}

void DirectoryWatch::Forget() {
  if (wd_ >= 0) ::inotify_rm_watch(fd_, wd_);
  wd_ = -1;
  dir_.clear();
}

bool DirectoryWatch::Watch(const std::string& dir) {
  if (fd_ < 0) return false;
  if (wd_ >= 0 && dir == dir_) return true;
  Forget();
  constexpr uint32_t kMask = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                             IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
  wd_ = ::inotify_add_watch(fd_, dir.c_str(), kMask);
  if (wd_ < 0) return false;
  dir_ = dir;
  return true;
}

std::vector<DirEvent> DirectoryWatch::Take() {
  std::vector<DirEvent> events;
  if (fd_ < 0) return events;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // EAGAIN: nothing more waits
    for (size_t pos = 0; pos + sizeof(inotify_event) <= static_cast<size_t>(got);) {
      inotify_event event;
      std::memcpy(&event, buffer + pos, sizeof event);
      const char* name = buffer + pos + sizeof event;
      pos += sizeof event + event.len;
      if (event.mask & IN_Q_OVERFLOW) {
        events.push_back({DirEventKind::Lost, {}});
        continue;
      }
      if (event.wd != wd_ || wd_ < 0) continue;  // a directory watched before
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        // The directory went (or moved away): it is looked for again by its path next time.
        Forget();
        events.push_back({DirEventKind::Lost, {}});
        continue;
      }
      DirEventKind kind;
      if (event.mask & IN_MOVED_TO)
        kind = DirEventKind::MovedIn;
      else if (event.mask & IN_CLOSE_WRITE)
        kind = DirEventKind::Closed;
      else if (event.mask & IN_CREATE)
        kind = DirEventKind::Created;
      else if (event.mask & IN_MODIFY)
        kind = DirEventKind::Modified;
      else if (event.mask & (IN_DELETE | IN_MOVED_FROM))
        kind = DirEventKind::Gone;
      else
        continue;
      events.push_back({kind, std::string(name, ::strnlen(name, event.len))});
    }
  }
  return events;
}

#else

DirectoryWatch::DirectoryWatch() = default;
DirectoryWatch::~DirectoryWatch() = default;
void DirectoryWatch::Forget() {}
bool DirectoryWatch::Watch(const std::string&) {
  return false;
}
std::vector<DirEvent> DirectoryWatch::Take() {
  return {};
}

#endif

}  // namespace kv
