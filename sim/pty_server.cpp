#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kv::sim {

namespace {

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
  const uint64_t now = MonotonicUs();
  uint64_t at = now + uint64_t{engine_.faults().delay_ms} * 1000;
  if (!pending_.empty()) at = std::max(at, pending_.back().due_us);
  if (byte_us_) at = std::max(at, line_free_us_);
  for (char c : answer) {
    at += byte_us_;
    pending_.push_back({at, c});
  }
  if (byte_us_) line_free_us_ = at;
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
  if (stats_) stats_->Sent(static_cast<size_t>(n), now_us);
  blocked_ = static_cast<size_t>(n) < due.size();
  return true;
}

void PtyServer::Changed(bool answered) {
  if (on_change_) on_change_();
  if (!save_ || engine_.changes() == saved_changes_) return;
  if (answered || save_delay_us_ == 0) {
    save_();
    saved_changes_ = engine_.changes();
    save_due_us_ = 0;
  } else if (save_due_us_ == 0) {
    save_due_us_ = MonotonicUs() + save_delay_us_;
  }
}

// Reads up to `max` bytes and lets the engine answer them: the count taken, or kHungUp /
// kFailed (with `error`).
long PtyServer::TakeBytes(size_t max, std::string* error) {
  char buffer[4096];
  const ssize_t n = read(master_, buffer, std::min(max, sizeof buffer));
  if (n > 0) {
    const std::string answer = engine_.Receive(std::string_view(buffer, static_cast<size_t>(n)));
    if (stats_) stats_->Received(engine_, static_cast<size_t>(n), MonotonicUs());
    Queue(answer);
    Changed(!answer.empty());
    return n;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
  if (n == 0 || errno == EIO) return kHungUp;
  *error = Errno("read from pseudo-terminal");
  return kFailed;
}

// No program on the slave side: drop what it would never read, and look again shortly.
void PtyServer::HangUp(uint64_t now_us) {
  pending_.clear();
  blocked_ = false;
  rx_busy_ = false;
  hangup_until_us_ = now_us + kHangupPauseUs;
}

// The next moment something is due without a descriptor becoming ready; 0 for none.
uint64_t PtyServer::Deadline(uint64_t now_us) const {
  uint64_t at = 0;
  auto consider = [&at](uint64_t t) {
    if (t != 0 && (at == 0 || t < at)) at = t;
  };
  if (!pending_.empty() && !blocked_) consider(pending_.front().due_us);
  if (rx_busy_) consider(rx_next_us_);
  consider(save_due_us_);
  if (hangup_until_us_ > now_us) consider(hangup_until_us_);
  return at;
}

int PtyServer::Run(const sigset_t* wait_mask, volatile sig_atomic_t* stop, std::string* error) {
  saved_changes_ = engine_.changes();
  std::vector<pollfd> fds;
  while (!*stop) {
    uint64_t now = MonotonicUs();
    if (save_due_us_ != 0 && now >= save_due_us_) Changed(true);
    if (!Flush(now)) {
      *error = Errno("write to pseudo-terminal");
      return 1;
    }
    // A printer whose ready lines are down takes nothing: the program's bytes wait in the
    // pseudo-terminal as they would wait in its port.
    const bool lines_up = engine_.RtsUp() && engine_.DtrUp();
    if (!lines_up) rx_busy_ = false;
    if (rx_busy_ && now >= rx_next_us_) {
      // Paced reading: take what the line has carried by now. Fewer bytes than that means
      // the program has stopped sending, and the next byte starts on an idle line.
      const uint64_t due = 1 + (now - rx_next_us_) / byte_us_;
      const long n = TakeBytes(static_cast<size_t>(std::min<uint64_t>(due, 4096)), error);
      if (n == kFailed) return 1;
      if (n == kHungUp) {
        HangUp(now);
        continue;
      }
      rx_next_us_ += static_cast<uint64_t>(n) * byte_us_;
      if (static_cast<uint64_t>(n) < due) rx_busy_ = false;
      continue;
    }

    // The master is left out while paced bytes wait (the timer reads them) and for a moment
    // after a hang-up, which it would otherwise report at once, again and again.
    fds.assign(1, pollfd{-1, 0, 0});
    if (!rx_busy_ && now >= hangup_until_us_) {
      fds[0].fd = master_;
      if (lines_up) fds[0].events |= POLLIN;
      if (!pending_.empty() && blocked_) fds[0].events |= POLLOUT;
    }
    if (control_) control_->AddFds(fds);
    const uint64_t deadline = Deadline(now);
    timespec timeout = FromUs(deadline > now ? deadline - now : 0);
    const int r = ppoll(fds.data(), fds.size(), deadline != 0 ? &timeout : nullptr, wait_mask);
    if (r < 0) {
      if (errno == EINTR) continue;
      *error = Errno("ppoll");
      return 1;
    }
    now = MonotonicUs();
    if (control_ && control_->Serve(fds.data() + 1, fds.size() - 1)) Changed(false);
    const short events = fds[0].revents;
    if (events & POLLIN) {
      if (byte_us_ != 0) {
        // The first byte is taken when its own wire time has passed.
        rx_busy_ = true;
        rx_next_us_ = std::max(rx_next_us_, now + byte_us_);
        continue;
      }
      const long n = TakeBytes(4096, error);
      if (n == kFailed) return 1;
      if (n != kHungUp) continue;
    } else if (events & POLLOUT) {
      blocked_ = false;
      continue;
    } else if (!(events & (POLLHUP | POLLERR))) {
      continue;
    }
    HangUp(now);
  }
  return 0;
}

}  // namespace kv::sim
