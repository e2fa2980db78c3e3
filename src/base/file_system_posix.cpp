#include "base/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

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

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The file a chain of symbolic links at `path` ends in (the path itself when it is none); none
// when the chain is too long or a link cannot be read.
std::optional<std::string> FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return std::nullopt;
    const std::string link(target, static_cast<size_t>(n));
    path = link.front() == '/' ? link : DirectoryOf(path) + "/" + link;
  }
  return std::nullopt;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Creates the temporary file, never through what sits at its name: a stale one (or a link
// planted there) is removed, not followed, and the name is taken anew.
int CreateTemporary(const std::string& temp, mode_t mode) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(temp.c_str(), kFlags, mode);
  if (fd < 0 && errno == EEXIST && ::unlink(temp.c_str()) == 0)
    fd = ::open(temp.c_str(), kFlags, mode);
  return fd;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FromStat(info);
}

bool SomethingAt(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  return errno == ENOENT;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                    error) &&
         !error;
}

bool MoveUnlessTaken(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system without that kind of rename: a hard link is refused over an existing name too.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

bool SaveFileAtomically(const std::string& path, std::string_view bytes) {
  const std::optional<std::string> target = FollowLinks(path);
  if (!target || target->empty()) return false;
  // A new file gets the usual permissions (0666 less the umask); a replaced one keeps its own.
  mode_t mode = 0666;
  struct stat old {};
  const bool replacing = ::stat(target->c_str(), &old) == 0;
  if (replacing) mode = old.st_mode & 07777;

  const std::string temp = *target + ".tmp";
  const int fd = CreateTemporary(temp, mode);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  // The umask may have taken bits the old file had.
  ok = ok && (!replacing || ::fchmod(fd, mode) == 0);
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), target->c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // The new name reaches the disk with its directory. The file is in place already, so a
  // directory that cannot be flushed does not undo the save.
  const int dir = ::open(DirectoryOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

FileOpen ReadOnlyFile::Open(const std::string& path, bool alone) {
  Close();
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileOpen::Missing : FileOpen::Unreadable;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return FileOpen::Unreadable;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileOpen::NotRegular;
  }
  // A file system without locks (ENOLCK, EOPNOTSUPP) is read unlocked.
  if (alone && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? FileOpen::Busy : FileOpen::Unreadable;
  }
  handle_ = fd;
  return FileOpen::Opened;
}

int64_t ReadOnlyFile::Read(char* buffer, size_t size) {
  if (!IsOpen()) return -1;
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool ReadOnlyFile::Rewind() {
  return IsOpen() && ::lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0;
}

std::optional<FileIdentity> ReadOnlyFile::Identity() const {
  struct stat info {};
  if (!IsOpen() || ::fstat(static_cast<int>(handle_), &info) != 0) return std::nullopt;
  return FromStat(info);
}

void ReadOnlyFile::Close() {
  if (!IsOpen()) return;
  ::close(static_cast<int>(handle_));  // closing lets go of the lock
  handle_ = kClosed;
}

}  // namespace kv
