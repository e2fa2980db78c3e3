#include <linux/serial.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>

#include "platform/serial_posix.h"

namespace kv {

namespace {

// The signal that breaks the watcher out of TIOCMIWAIT. Its handler does nothing; it is
// installed without SA_RESTART so the ioctl returns EINTR.
int WakeSignal() {
  static const int signal_number = [] {
    const int number = SIGRTMIN + 4;
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(number, &action, nullptr);
    return number;
  }();
  return signal_number;
}

constexpr int kWatchedLines = TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR;

// Which lines changed between two looks. The interrupt counters catch a line that went off
// and on again between the looks; without them the line states are compared.
struct LineLook {
  bool counted = false;
  serial_icounter_struct counts{};
  int lines = 0;
};

bool Look(int fd, LineLook& look) {
  look.counted = ::ioctl(fd, TIOCGICOUNT, &look.counts) == 0;
  return ::ioctl(fd, TIOCMGET, &look.lines) == 0;
}

TComEvents Changes(const LineLook& before, const LineLook& after) {
  TComEvents events = 0;
  if (before.counted && after.counted) {
    if (before.counts.cts != after.counts.cts) events |= ComEventBit(evCTS);
    if (before.counts.dsr != after.counts.dsr) events |= ComEventBit(evDSR);
    if (before.counts.rng != after.counts.rng) events |= ComEventBit(evRing);
    if (before.counts.dcd != after.counts.dcd) events |= ComEventBit(evRLSD);
    return events;
  }
  const int changed = before.lines ^ after.lines;
  if (changed & TIOCM_CTS) events |= ComEventBit(evCTS);
  if (changed & TIOCM_DSR) events |= ComEventBit(evDSR);
  if (changed & TIOCM_RNG) events |= ComEventBit(evRing);
  if (changed & TIOCM_CAR) events |= ComEventBit(evRLSD);
  return events;
}

}  // namespace

void ModemLineWatcher::Start(int fd, std::function<void(TComEvents)> sink) {
  Stop();
  WakeSignal();
  sink_ = std::move(sink);
  stop_ = false;
  finished_ = false;
  thread_ = std::thread([this, fd] {
    Run(fd);
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    finished_changed_.notify_all();
  });
}

void ModemLineWatcher::Run(int fd) {
  LineLook before;
  // No modem lines (a pseudo-terminal) or a device already gone: nothing will ever change.
  if (!Look(fd, before)) return;
  while (!stop_) {
    // A change that came between the last look and now is reported without waiting.
    LineLook now;
    if (!Look(fd, now)) return;
    TComEvents events = Changes(before, now);
    if (events == 0) {
      if (::ioctl(fd, TIOCMIWAIT, kWatchedLines) != 0) {
        if (errno == EINTR) continue;
        return;  // refused or the device went away; the port's next call reports it
      }
      if (!Look(fd, now)) return;
      events = Changes(before, now);
    }
    before = now;
    if (events != 0 && !stop_) sink_(events);
  }
}

void ModemLineWatcher::Stop() noexcept {
  if (!thread_.joinable()) return;
  stop_ = true;
  std::unique_lock lock(mutex_);
  while (!finished_) {
    pthread_kill(thread_.native_handle(), WakeSignal());
    finished_changed_.wait_for(lock, std::chrono::milliseconds(5));
  }
  lock.unlock();
  thread_.join();
  sink_ = nullptr;
}

}  // namespace kv
