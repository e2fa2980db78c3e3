#include "core/job_input_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kv {

namespace {

FileIdentity FromStat(const struct stat& info) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(info.st_dev);
  id.inode = static_cast<uint64_t>(info.st_ino);
  id.mtime_ns = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  id.size = static_cast<int64_t>(info.st_size);
  return id;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FromStat(info);
}

bool RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  return errno == ENOENT;
}

bool MoveUnlessTaken(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system without that kind of rename: a hard link is refused over an existing name too.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

RemovalResult RemoveIfSame(const std::string& path, const FileIdentity& identity) {
  // A private name nobody else uses; one an earlier run left behind is not reused.
  const std::string stem = path + ".del-" + std::to_string(::getpid());
  std::string held = stem;
  struct stat taken {};
  for (int n = 2; ::lstat(held.c_str(), &taken) == 0; ++n) {
    if (n > 100) return {Removal::Failed, {}};
    held = stem + "-" + std::to_string(n);
  }
  if (::rename(path.c_str(), held.c_str()) != 0)
    return {errno == ENOENT ? Removal::NotThatFile : Removal::Failed, {}};
  if (IdentityOf(held) == identity) {
    // Off the path it is no longer an input; a file that cannot be unlinked is left held.
    ::unlink(held.c_str());
    return {Removal::Removed, {}};
  }
  if (MoveUnlessTaken(held, path)) return {Removal::NotThatFile, {}};
  return {Removal::OtherHeld, held};
}

std::optional<std::string> SetFileAside(const std::string& path, const std::tm& now) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  const bool has_extension = dot != std::string::npos && dot > 0 &&
                             (slash == std::string::npos || dot > slash + 1);
  const std::string stem = has_extension ? path.substr(0, dot) : path;
  const std::string extension = has_extension ? path.substr(dot) : std::string();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "_%02d%02d%02d_%02d%02d%02d", now.tm_year % 100,
                now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
  for (int n = 1; n <= 100; ++n) {
    const std::string target =
        stem + stamp + (n == 1 ? std::string() : "_" + std::to_string(n)) + extension;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0) continue;  // never move one aside over another
    if (::rename(path.c_str(), target.c_str()) == 0) return target;
    return std::nullopt;
  }
  return std::nullopt;
}

InputOpen JobInputFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? InputOpen::Missing : InputOpen::Unreadable;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return InputOpen::Unreadable;
  }
  // A file system without locks (ENOLCK, EOPNOTSUPP) is read unlocked: the settle check of
  // the job still keeps a writer's half-written file away.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? InputOpen::Busy : InputOpen::Unreadable;
  }
  fd_ = fd;
  return InputOpen::Opened;
}

bool JobInputFile::ReadAll(std::string& bytes) {
  bytes.clear();
  if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) < 0) return false;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.append(chunk, static_cast<size_t>(got));
    if (static_cast<int64_t>(bytes.size()) > kMaxBytes) {
      bytes.clear();
      return false;
    }
  }
}

std::optional<FileIdentity> JobInputFile::Identity() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
  return FromStat(info);
}

void JobInputFile::Close() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace kv
