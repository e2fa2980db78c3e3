#include "platform/serial_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/com_port_timing.h"

namespace kv {

namespace {

uint32_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int PollTimeout(uint32_t ms) {
  return ms == ReadIo::kForever ? -1 : static_cast<int>(std::min<uint32_t>(ms, INT32_MAX));
}

// Pseudo-terminals and some adapters have no modem lines and refuse the modem ioctls.
bool NoModemLines(int error) {
  return error == ENOTTY || error == EINVAL;
}

speed_t StandardSpeed(uint32_t baud) {
  switch (baud) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return B0;
  }
}

// The slave side of a pseudo-terminal (Unix 98 majors 136 to 143, the old BSD major 3).
bool IsPseudoTerminal(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned int kind = major(info.st_rdev);
  return (kind >= 136 && kind <= 143) || kind == 3;
}

class PosixReadIo final : public ReadIo {
 public:
  PosixReadIo(int fd, std::function<bool()> aborted) : fd_(fd), aborted_(std::move(aborted)) {}
  uint32_t Now() override { return NowMs(); }
  bool Aborted() override { return aborted_(); }

  size_t Take(char* data, size_t max) override {
    for (;;) {
      const ssize_t n = ::read(fd_, data, max);
      if (n > 0) return static_cast<size_t>(n);
      // With VMIN 1 a read of 0 means the device hung up (an adapter pulled out).
      if (n == 0) throw EComPort(kComReadFailed, EIO);
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
      throw EComPort(kComReadFailed, errno);
    }
  }

  void Wait(uint32_t max_ms) override {
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, PollTimeout(max_ms));
    if (ready < 0 && errno != EINTR) throw EComPort(kComReadFailed, errno);
    // A hang-up without data would wake poll at once forever: report it instead.
    if (ready > 0 && (pfd.revents & POLLIN) == 0 &&
        (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
      throw EComPort(kComReadFailed, (pfd.revents & POLLNVAL) ? EBADF : EIO);
  }

 private:
  int fd_;
  std::function<bool()> aborted_;
};

}  // namespace

std::string DevicePathOf(const std::string& port) {
  return port.find('/') == std::string::npos ? "/dev/" + port : port;
}

void PosixComBackend::Open(const std::string& port) {
  if (fd_ >= 0) return;
  const std::string path = DevicePathOf(port);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw EComPort(kComOpenFailed, errno);
  if (!::isatty(fd)) {
    const int error = errno;
    ::close(fd);
    throw EComPort(kComOpenFailed, error);
  }
  // The lock keeps out other programs that lock too (and a second open in this process);
  // TIOCEXCL keeps out every later open() of the device except by a privileged process.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    throw EComPort(kComOpenFailed, error == EWOULDBLOCK ? EBUSY : error);
  }
  ::ioctl(fd, TIOCEXCL);
  fd_ = fd;
  pseudo_terminal_ = IsPseudoTerminal(fd);
}

void PosixComBackend::Close() noexcept {
  if (fd_ < 0) return;
  watcher_.Stop();
  // The exclusive flag outlives the descriptor on a pseudo-terminal whose master stays open;
  // clear it so the next Open of the device succeeds.
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
}

// The kernel's queues have fixed sizes; there is nothing to set up.
void PosixComBackend::SetupBuffers(const TComBuffer& buffer) {
  if (buffer.InputSize < 0 || buffer.OutputSize < 0) throw EComPort(kComSetupFailed, EINVAL);
}

void PosixComBackend::ApplySettings(const ComLineSettings& settings) {
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) throw EComPort(kComSetStateFailed, errno);
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  // HUPCL off: closing the port leaves DTR and RTS as they are, so the printer does not see a
  // hang-up whenever the port is closed between jobs.
  tio.c_cflag &= ~(HUPCL | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[settings.data_bits];
  // One and a half stop bits do not exist here: two is the nearest.
  if (settings.stop_bits != sbOneStopBit) tio.c_cflag |= CSTOPB;
  switch (settings.parity.Bits) {
    case prNone:
      break;
    case prOdd:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case prEven:
      tio.c_cflag |= PARENB;
      break;
    case prMark:
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case prSpace:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
  }
  if (settings.parity.Check && settings.parity.Bits != prNone) tio.c_iflag |= INPCK;
  // CRTSCTS covers both directions: output waits for CTS and the kernel drives RTS for input.
  // Output flow on DSR has no equivalent here; the link layer's DSR gate before every byte
  // enforces it.
  const TComFlowControl& flow = settings.flow;
  if (flow.OutCTSFlow || flow.ControlRTS == rtsHandshake) tio.c_cflag |= CRTSCTS;
  if (flow.XonXoffOut) tio.c_iflag |= IXON;
  if (flow.XonXoffIn) tio.c_iflag |= IXOFF;
  // The kernel sends XOFF/XON at its own fill levels; the quarter-of-the-buffer limits of the
  // settings have no equivalent here.
  tio.c_cc[VSTART] = flow.XonChar;
  tio.c_cc[VSTOP] = flow.XoffChar;
  // VMIN 1: with the descriptor non-blocking an empty queue reads as EAGAIN and 0 means a
  // hang-up; the time-outs are ours (poll), never the driver's VTIME.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;

  const speed_t speed = StandardSpeed(settings.baud);
  if (settings.baud == 0) throw EComPort(kComSetStateFailed, EINVAL);
  ::cfsetispeed(&tio, speed != B0 ? speed : B9600);
  ::cfsetospeed(&tio, speed != B0 ? speed : B9600);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) throw EComPort(kComSetStateFailed, errno);
  if (speed == B0) {
    const int error = SetCustomLineSpeed(fd_, settings.baud);
    if (error != 0) throw EComPort(kComSetStateFailed, error);
  }

  // DTR/RTS control modes. Handshake on DTR and RTS toggling have no equivalent here; both
  // keep the line raised.
  SetModemLine(TIOCM_DTR, flow.ControlDTR != dtrDisable, kComSetStateFailed);
  if (flow.ControlRTS != rtsHandshake)
    SetModemLine(TIOCM_RTS, flow.ControlRTS != rtsDisable, kComSetStateFailed);
}

// The device has taken a byte once it is in the kernel's transmit queue (OutputCount shows what
// has not left yet); only a full queue makes the write wait, in poll, up to the write time-outs.
size_t PosixComBackend::Write(const char* data, size_t count) {
  const std::optional<uint32_t> limit = WriteLimit(timeouts_, count);
  const uint32_t start = NowMs();
  AbortGrace grace;
  size_t written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd_, data + written, count - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) throw EComPort(kComWriteFailed, errno);
    // The transmit queue is full (or flow control holds it): wait in poll for room.
    if (grace.Over(Aborted(), NowMs())) break;
    uint32_t wait = ReadIo::kWaitSliceMs;
    if (limit) {
      const uint32_t elapsed = NowMs() - start;
      if (elapsed >= *limit) break;
      wait = std::min(wait, *limit - elapsed);
    }
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = ::poll(&pfd, 1, PollTimeout(wait));
    if (ready < 0 && errno != EINTR) throw EComPort(kComWriteFailed, errno);
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 &&
        (pfd.revents & POLLOUT) == 0)
      throw EComPort(kComWriteFailed, EIO);
  }
  return written;
}

size_t PosixComBackend::Read(char* data, size_t count) {
  PosixReadIo io(fd_, [this] { return Aborted(); });
  return TimedRead(PlanRead(timeouts_, count), data, count, io);
}

size_t PosixComBackend::InputCount() {
  int count = 0;
  if (::ioctl(fd_, FIONREAD, &count) != 0) throw EComPort(kComStatusFailed, errno);
  return static_cast<size_t>(count < 0 ? 0 : count);
}

size_t PosixComBackend::OutputCount() {
  int count = 0;
  if (::ioctl(fd_, TIOCOUTQ, &count) != 0) throw EComPort(kComStatusFailed, errno);
  return static_cast<size_t>(count < 0 ? 0 : count);
}

void PosixComBackend::Purge(bool input, bool output) {
  const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
  if (!input && !output) return;
  if (::tcflush(fd_, which) != 0) throw EComPort(kComPurgeFailed, errno);
}

TComSignals PosixComBackend::Signals() {
  int lines = 0;
  if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
    if (NoModemLines(errno)) return csCTS | csDSR;
    throw EComPort(kComModemStatusFailed, errno);
  }
  TComSignals signals = 0;
  if (lines & TIOCM_CTS) signals |= csCTS;
  if (lines & TIOCM_DSR) signals |= csDSR;
  if (lines & TIOCM_RNG) signals |= csRing;
  if (lines & TIOCM_CAR) signals |= csRLSD;
  return signals;
}

void PosixComBackend::SetModemLine(int line, bool on, int code) {
  if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && !NoModemLines(errno))
    throw EComPort(code, errno);
}

void PosixComBackend::SetDTR(bool on) {
  SetModemLine(TIOCM_DTR, on, kComEscapeFailed);
}
void PosixComBackend::SetRTS(bool on) {
  SetModemLine(TIOCM_RTS, on, kComEscapeFailed);
}

void PosixComBackend::StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) {
  watcher_.Start(fd_, [mask, sink = std::move(sink)](TComEvents events) {
    if ((events & mask) != 0) sink(events & mask);
  });
}

std::unique_ptr<ComBackend> MakeSystemComBackend() {
  return std::make_unique<PosixComBackend>();
}

}  // namespace kv
