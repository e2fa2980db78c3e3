#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace kv::sim {

namespace {

uint64_t NowUs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

timespec FromUs(uint64_t us) {
  return timespec{static_cast<time_t>(us / 1'000'000), static_cast<long>((us % 1'000'000) * 1000)};
}

std::string Errno(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// While no program holds the slave side, the master reports a hang-up at once; look again
// after this long instead of spinning.
constexpr uint64_t kHangupPauseUs = 10'000;

}  // namespace

bool OpenPty(Pty& pty, std::string* error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    *error = Errno("posix_openpt");
    return false;
  }
  char name[256] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    *error = Errno("pseudo-terminal set-up");
    close(master);
    return false;
  }
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave < 0 || tcgetattr(slave, &tio) != 0) {
    *error = Errno(name);
    if (slave >= 0) close(slave);
    close(master);
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  const bool raw = tcsetattr(slave, TCSANOW, &tio) == 0;
  if (!raw) *error = Errno("raw mode");
  close(slave);
  if (!raw) {
    close(master);
    return false;
  }
  pty.master = master;
  pty.slave_path = name;
  return true;
}

void PtyServer::Queue(const std::string& answer) {
  const uint64_t now = NowUs();
  uint64_t at = now + uint64_t{engine_.faults().delay_ms} * 1000;
  if (!pending_.empty()) at = std::max(at, pending_.back().due_us);
  const uint64_t byte_us = baud_ ? 10'000'000ull / baud_ : 0;
  if (baud_) at = std::max(at, line_free_us_);
  for (char c : answer) {
    at += byte_us;
    pending_.push_back({at, c});
  }
  if (baud_) line_free_us_ = at;
}

bool PtyServer::Flush(uint64_t now_us) {
  std::string due;
  for (const Pending& p : pending_) {
    if (p.due_us > now_us) break;
    due += p.byte;
  }
  if (due.empty()) return true;
  const ssize_t n = write(master_, due.data(), due.size());
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      blocked_ = true;
      return true;
    }
    if (errno == EIO) {  // nobody holds the slave side: the answer is lost, as on a cable
      pending_.clear();
      return true;
    }
    return false;
  }
  pending_.erase(pending_.begin(), pending_.begin() + n);
  blocked_ = static_cast<size_t>(n) < due.size();
  return true;
}

int PtyServer::Run(const sigset_t* wait_mask, volatile sig_atomic_t* stop, std::string* error) {
  char buffer[4096];
  while (!*stop) {
    const uint64_t now = NowUs();
    if (!Flush(now)) {
      *error = Errno("write to pseudo-terminal");
      return 1;
    }
    pollfd p{master_, 0, 0};
    // A printer whose ready lines are down takes nothing: the program's bytes wait in the
    // pseudo-terminal as they would wait in its port.
    if (engine_.RtsUp() && engine_.DtrUp()) p.events |= POLLIN;
    timespec timeout{};
    timespec* wait = nullptr;
    if (!pending_.empty()) {
      if (blocked_) {
        p.events |= POLLOUT;
      } else {
        const uint64_t due = pending_.front().due_us;
        timeout = FromUs(due > now ? due - now : 0);
        wait = &timeout;
      }
    }
    const int r = ppoll(&p, 1, wait, wait_mask);
    if (r < 0) {
      if (errno == EINTR) continue;
      *error = Errno("ppoll");
      return 1;
    }
    if (r == 0) continue;
    if (p.revents & POLLIN) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) {
        Queue(engine_.Receive(std::string_view(buffer, static_cast<size_t>(n))));
        if (on_change_) on_change_();
        continue;
      }
      if (n < 0 && errno != EIO && errno != EAGAIN && errno != EINTR) {
        *error = Errno("read from pseudo-terminal");
        return 1;
      }
      if (n < 0 && errno != EIO) continue;
    } else if (p.revents & POLLOUT) {
      blocked_ = false;
      continue;
    } else if (!(p.revents & (POLLHUP | POLLERR))) {
      continue;
    }
    // No program on the slave side: drop what it would never read, and look again shortly.
    pending_.clear();
    blocked_ = false;
    const timespec pause = FromUs(kHangupPauseUs);
    ppoll(nullptr, 0, &pause, wait_mask);
  }
  return 0;
}

}  // namespace kv::sim
