#include "sim/control_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv::sim {

namespace {

constexpr size_t kMaxClients = 8;
constexpr size_t kMaxCommandLine = 512;
constexpr size_t kMaxOut = 64 * 1024;  // answers a client does not read are not kept forever
constexpr int kReadsPerServe = 16;     // a client that keeps sending cannot hold the loop

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

ControlSocket::~ControlSocket() {
  for (const Client& client : clients_) close(client.fd);
  if (listen_fd_ < 0) return;
  close(listen_fd_);
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_)
    unlink(path_.c_str());
}

bool ControlSocket::Open(const std::string& path, std::string* error) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) {
    *error = "control socket path too long: " + path;
    return false;
  }
  std::memcpy(addr.sun_path, path.data(), path.size());
  const auto* address = reinterpret_cast<const sockaddr*>(&addr);

  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      *error = path + " exists and is not a socket";
      return false;
    }
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const bool live = probe >= 0 && (connect(probe, address, sizeof addr) == 0 || errno == EAGAIN);
    if (probe >= 0) close(probe);
    if (live) {
      *error = "another program serves " + path;
      return false;
    }
    unlink(path.c_str());  // left by a simulator that was killed
  }

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = Errno("control socket");
    return false;
  }
  const mode_t old_mask = umask(0177);
  const bool bound = bind(fd, address, sizeof addr) == 0;
  umask(old_mask);
  if (!bound || chmod(path.c_str(), 0600) != 0 || listen(fd, 8) != 0 ||
      lstat(path.c_str(), &st) != 0) {
    *error = Errno(path);
    if (bound) unlink(path.c_str());
    close(fd);
    return false;
  }
  listen_fd_ = fd;
  path_ = path;
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  return true;
}

void ControlSocket::AddFds(std::vector<pollfd>& fds) const {
  if (listen_fd_ < 0) return;
  fds.push_back({listen_fd_, POLLIN, 0});
  for (const Client& client : clients_)
    fds.push_back({client.fd, static_cast<short>(POLLIN | (client.out.empty() ? 0 : POLLOUT)), 0});
}

bool ControlSocket::Serve(const pollfd* fds, size_t count) {
  if (listen_fd_ < 0 || count == 0) return false;
  bool ran = false;
  std::vector<Client> kept;
  for (size_t i = 0; i < clients_.size(); ++i) {
    Client& client = clients_[i];
    const short events = i + 1 < count ? fds[i + 1].revents : 0;
    bool open = true;
    if (events & (POLLIN | POLLHUP | POLLERR)) {
      const size_t before = client.out.size();
      open = Read(client);
      ran = ran || client.out.size() != before;
    }
    if (!client.out.empty()) Write(client);
    if (open && client.out.size() <= kMaxOut && client.fd >= 0) {
      kept.push_back(std::move(client));
    } else if (client.fd >= 0) {
      close(client.fd);
    }
  }
  clients_ = std::move(kept);
  if (fds[0].revents & POLLIN) Accept();
  return ran;
}

void ControlSocket::Accept() {
  for (;;) {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (clients_.size() >= kMaxClients) {
      static constexpr char kBusy[] = "error: too many connections\n";
      send(fd, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      close(fd);
      continue;
    }
    clients_.push_back({fd, {}, {}});
  }
}

// Reads what the client sent and answers every complete line. False once the client has
// finished sending (its last line counts even without a line end) or failed.
bool ControlSocket::Read(Client& client) {
  bool open = true;
  for (int round = 0; round < kReadsPerServe && open; ++round) {
    char buffer[1024];
    const ssize_t n = recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
    if (n <= 0) {
      open = false;
      if (!client.in.empty()) client.in += '\n';
    } else {
      client.in.append(buffer, static_cast<size_t>(n));
    }
    size_t start = 0;
    for (size_t end; (end = client.in.find('\n', start)) != std::string::npos; start = end + 1) {
      if (client.skipping)
        client.skipping = false;
      else
        client.out += handler_(std::string_view(client.in).substr(start, end - start)) + "\n";
    }
    client.in.erase(0, start);
    if (client.in.size() > kMaxCommandLine) {
      if (!client.skipping) client.out += "error: line too long\n";
      client.skipping = true;
      client.in.clear();
    }
  }
  return open;
}

void ControlSocket::Write(Client& client) {
  const ssize_t n =
      send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n > 0) {
    client.out.erase(0, static_cast<size_t>(n));
  } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
    close(client.fd);
    client.fd = -1;
  }
}

}  // namespace kv::sim
