#include "platform/message_endpoint.h"

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
#include <cstdlib>
#include <cstring>

namespace kv {

uint32_t MessageNumberForName(std::string_view name) {
  if (name.empty()) return 0;
  uint32_t hash = 2166136261u;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
    hash ^= byte;
    hash *= 16777619u;
  }
  return 0xC000u + hash % 0x4000u;
}

std::string SanitizeWindowTitle(std::string_view title) {
  std::string out(title);
  for (char& c : out) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '.' || c == '_' || c == '-';
    if (!keep) c = '_';
  }
  return out;
}

std::string MessageRuntimeDir() {
  for (const char* name : {"KV4910_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

std::string WindowSocketPath(std::string_view title) {
  return MessageRuntimeDir() + "/kv4910-" + SanitizeWindowTitle(title) + ".sock";
}

void EncodeMessage(uint32_t msg, uint32_t wparam, int32_t lparam, unsigned char* out) {
  const uint32_t words[3] = {msg, wparam, static_cast<uint32_t>(lparam)};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) out[w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
  }
}

void DecodeMessage(const unsigned char* in, uint32_t& msg, uint32_t& wparam, int32_t& lparam) {
  uint32_t words[3] = {0, 0, 0};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) words[w] |= static_cast<uint32_t>(in[w * 4 + b]) << (8 * b);
  }
  msg = words[0];
  wparam = words[1];
  lparam = static_cast<int32_t>(words[2]);
}

namespace {

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

// Holds an exclusive lock on the runtime directory while a window is being created, so two
// programs starting at once cannot both replace the same stale socket.
class DirLock {
 public:
  explicit DirLock(const std::string& dir) : fd_(open(dir.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~DirLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  DirLock(const DirLock&) = delete;
  DirLock& operator=(const DirLock&) = delete;

 private:
  int fd_;
};

// Linux: a Unix datagram socket bound at the window's path.
class SocketMessageEndpoint final : public MessageEndpoint {
 public:
  SocketMessageEndpoint() = default;
  SocketMessageEndpoint(const SocketMessageEndpoint&) = delete;
  SocketMessageEndpoint& operator=(const SocketMessageEndpoint&) = delete;
  ~SocketMessageEndpoint() override { CloseWindow(); }

  uint32_t RegisterMessage(std::string_view name) override { return MessageNumberForName(name); }

  OpenResult Open(std::string_view title) override;
  bool IsOpen() const override { return fd_ >= 0; }
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
  void CloseWindow();

  int fd_ = -1;
  std::string path_;
  ino_t inode_ = 0;  // of our socket file, so we never remove a file another process made
};

OpenResult SocketMessageEndpoint::Open(std::string_view title) {
  if (fd_ >= 0) return OpenResult::Failed;
  std::string path = WindowSocketPath(title);
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(path, addr, len)) return OpenResult::Failed;

  DirLock lock(MessageRuntimeDir());
  switch (ProbeSocket(path)) {
    case Probe::Live:
      return OpenResult::AlreadyRunning;
    case Probe::Stale: {
      // Left behind by a program that ended without removing it; only ever remove a socket.
      struct stat st;
      if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return OpenResult::Failed;
      if (unlink(path.c_str()) != 0) return OpenResult::Failed;
      break;
    }
    case Probe::Absent:
      break;
    case Probe::Unusable:
      return OpenResult::Failed;
  }

  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return OpenResult::Failed;
  mode_t old_mask = umask(0177);  // the socket file is created 0600
  int rc = bind(fd, reinterpret_cast<const sockaddr*>(&addr), len);
  int err = errno;
  umask(old_mask);
  if (rc != 0) {
    close(fd);
    return err == EADDRINUSE ? OpenResult::AlreadyRunning : OpenResult::Failed;
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
    socklen_t from_len = sizeof from;
    std::memset(&from, 0, sizeof from);
    ssize_t n = recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                         reinterpret_cast<sockaddr*>(&from), &from_len);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;  // nothing pending (or the socket failed: nothing to read either)
    }
    if (static_cast<size_t>(n) != kMessageDatagramSize) continue;  // not a message: dropped

    ReceivedMessage m;
    DecodeMessage(buffer, m.msg, m.wparam, m.lparam);
    size_t offset = offsetof(sockaddr_un, sun_path);
    if (from_len > offset && from.sun_path[0] != '\0') {
      size_t max = std::min(static_cast<size_t>(from_len) - offset, sizeof from.sun_path);
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

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint() {
  return std::make_unique<SocketMessageEndpoint>();
}

}  // namespace kv
