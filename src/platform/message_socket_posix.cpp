// The Linux message endpoint: every window is a Unix datagram socket in the runtime directory.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/message_endpoint.h"

namespace kv {

namespace {

// How long Open waits for another program that is creating a window in the same directory.
constexpr uint32_t kDirLockWaitMs = 2000;
constexpr uint32_t kDirLockPollMs = 10;

// Fills a socket address; false when the path does not fit.
bool MakeAddress(const std::string& path, sockaddr_un& addr, socklen_t& len) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  return true;
}

enum class Probe { Live, Stale, Absent, Unusable };

// Whether a datagram socket accepts a connect at `path`.
Probe ProbeSocket(const std::string& path) {
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(path, addr, len)) return Probe::Unusable;
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Probe::Unusable;
  int rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), len);
  int err = errno;
  close(fd);
  if (rc == 0) return Probe::Live;
  if (err == ECONNREFUSED) return Probe::Stale;
  if (err == ENOENT) return Probe::Absent;
  return Probe::Unusable;
}

// An exclusive lock on the runtime directory while a window is being created, so two programs
// starting at once cannot both replace the same stale socket. It is only tried, never waited
// for without end: a lock that stays taken makes Open fail with a reason.
class DirLock {
 public:
  DirLock(const std::string& dir, Clock& clock)
      : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    const uint32_t start = clock.TickCount();
    for (;;) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
      }
      if (errno != EWOULDBLOCK && errno != EINTR) return;
      if (clock.Since(start) >= kDirLockWaitMs) return;
      clock.Sleep(kDirLockPollMs);
    }
  }
  ~DirLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  DirLock(const DirLock&) = delete;
  DirLock& operator=(const DirLock&) = delete;

  bool held() const { return held_; }

 private:
  int fd_;
  bool held_ = false;
};

// Whether the datagram described by `msg` was sent by a process of this user, by the sender's
// credentials that the kernel attaches (SO_PASSCRED).
bool SentByThisUser(msghdr& msg) {
  if (msg.msg_flags & MSG_CTRUNC) return false;
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS) continue;
    if (c->cmsg_len < CMSG_LEN(sizeof(ucred))) return false;
    ucred cred;
    std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
    return cred.uid == geteuid();
  }
  return false;  // no credentials: not known to be ours
}

class SocketMessageEndpoint final : public MessageEndpoint {
 public:
  explicit SocketMessageEndpoint(Clock& clock) : clock_(clock) {}
  SocketMessageEndpoint(const SocketMessageEndpoint&) = delete;
  SocketMessageEndpoint& operator=(const SocketMessageEndpoint&) = delete;
  ~SocketMessageEndpoint() override { CloseWindow(); }

  uint32_t RegisterMessage(std::string_view name) override { return MessageNumberForName(name); }

  OpenResult Open(std::string_view title) override;
  bool IsOpen() const override { return fd_ >= 0; }
  std::string Problem() const override { return problem_; }
  int32_t OwnHandle() const override { return static_cast<int32_t>(getpid()); }

  std::optional<MessagePeer> FindWindow(std::string_view title) override {
    std::string path = WindowSocketPath(title);
    if (ProbeSocket(path) != Probe::Live) return std::nullopt;
    return MessagePeer{0, path};
  }

  std::optional<ReceivedMessage> Receive() override;
  bool WaitForMessage(int timeout_ms) override;
  int NotifyFd() const override { return fd_; }
  bool Post(const MessagePeer& to, uint32_t msg, uint32_t wparam, int32_t lparam) override;

 private:
  OpenResult Fail(std::string problem) {
    problem_ = std::move(problem);
    return OpenResult::Failed;
  }
  // Binds a new socket at `path` (created 0600) that receives the senders' credentials.
  OpenResult Bind(const std::string& path, const sockaddr_un& addr, socklen_t len);
  void CloseWindow();

  Clock& clock_;
  int fd_ = -1;
  std::string path_;
  std::string problem_;
  ino_t inode_ = 0;  // of our socket file, so we never remove a file another process made
};

OpenResult SocketMessageEndpoint::Open(std::string_view title) {
  problem_.clear();
  if (fd_ >= 0) return Fail("this window is already open");
  std::string path = WindowSocketPath(title);
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(path, addr, len)) return Fail("the socket path is too long: " + path);
  std::string problem;
  if (!PrepareMessageRuntimeDir(problem)) return Fail(problem);

  DirLock lock(MessageRuntimeDir(), clock_);
  if (!lock.held()) {
    return Fail("the directory " + MessageRuntimeDir() + " stayed locked by another program for " +
                std::to_string(kDirLockWaitMs) + " ms");
  }
  switch (ProbeSocket(path)) {
    case Probe::Live:
      return OpenResult::AlreadyRunning;
    case Probe::Stale: {
      // Left behind by a program that ended without removing it; only ever remove a socket.
      struct stat st;
      if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return Fail(path + " is in the way and is not a socket");
      if (unlink(path.c_str()) != 0)
        return Fail("cannot remove the stale socket " + path + ": " + std::strerror(errno));
      break;
    }
    case Probe::Absent:
      break;
    case Probe::Unusable:
      return Fail("cannot reach " + path);
  }
  return Bind(path, addr, len);
}

OpenResult SocketMessageEndpoint::Bind(const std::string& path, const sockaddr_un& addr,
                                       socklen_t len) {
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Fail(std::string("cannot create a socket: ") + std::strerror(errno));
  const int on = 1;
  if (setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
    const int err = errno;
    close(fd);
    return Fail(std::string("cannot ask for the senders' credentials: ") + std::strerror(err));
  }
  mode_t old_mask = umask(0177);  // the socket file is created 0600
  int rc = bind(fd, reinterpret_cast<const sockaddr*>(&addr), len);
  int err = errno;
  umask(old_mask);
  if (rc != 0) {
    close(fd);
    if (err == EADDRINUSE) return OpenResult::AlreadyRunning;
    return Fail("cannot create " + path + ": " + std::strerror(err));
  }
  struct stat st;
  if (stat(path.c_str(), &st) == 0) inode_ = st.st_ino;
  fd_ = fd;
  path_ = path;
  return OpenResult::Opened;
}

void SocketMessageEndpoint::CloseWindow() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  struct stat st;
  if (lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == inode_) {
    unlink(path_.c_str());
  }
}

std::optional<ReceivedMessage> SocketMessageEndpoint::Receive() {
  if (fd_ < 0) return std::nullopt;
  for (;;) {
    unsigned char buffer[64];
    sockaddr_un from;
    std::memset(&from, 0, sizeof from);
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(ucred))];
    iovec iov{buffer, sizeof buffer};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n = recvmsg(fd_, &msg, MSG_DONTWAIT | MSG_TRUNC | MSG_CMSG_CLOEXEC);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;  // nothing pending (or the socket failed: nothing to read either)
    }
    if (!SentByThisUser(msg)) continue;                            // another user's: dropped
    if (static_cast<size_t>(n) != kMessageDatagramSize) continue;  // not a message: dropped

    ReceivedMessage m;
    DecodeMessage(buffer, m.msg, m.wparam, m.lparam);
    const size_t offset = offsetof(sockaddr_un, sun_path);
    if (msg.msg_namelen > offset && from.sun_path[0] != '\0') {
      size_t max = std::min(static_cast<size_t>(msg.msg_namelen) - offset, sizeof from.sun_path);
      m.from.assign(from.sun_path, strnlen(from.sun_path, max));
    }
    return m;
  }
}

bool SocketMessageEndpoint::WaitForMessage(int timeout_ms) {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  int rc;
  do {
    rc = poll(&p, 1, timeout_ms < 0 ? 0 : timeout_ms);
  } while (rc < 0 && errno == EINTR);
  return rc > 0 && (p.revents & POLLIN);
}

bool SocketMessageEndpoint::Post(const MessagePeer& to, uint32_t msg, uint32_t wparam,
                                 int32_t lparam) {
  if (fd_ < 0) return false;
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(to.address, addr, len)) return false;
  unsigned char buffer[kMessageDatagramSize];
  EncodeMessage(msg, wparam, lparam, buffer);
  ssize_t n = sendto(fd_, buffer, sizeof buffer, MSG_DONTWAIT | MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&addr), len);
  return n == static_cast<ssize_t>(sizeof buffer);
}

}  // namespace

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint(Clock& clock) {
  return std::make_unique<SocketMessageEndpoint>(clock);
}

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint() {
  static SystemClock clock;
  return CreateMessageEndpoint(clock);
}

}  // namespace kv
