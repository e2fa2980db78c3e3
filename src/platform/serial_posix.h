#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/com_port_backend.h"

namespace kv {

// Sets a speed the termios speed table does not have through the Linux custom-rate interface
// (termios2 with BOTHER), keeping every other setting. Returns 0 or the error number; EINVAL
// when the device settled on a speed more than 2 % away from the one asked for.
int SetCustomLineSpeed(int fd, uint32_t bits_per_second);

// Waits for modem line changes on a device (TIOCMIWAIT) in a thread of its own and reports
// CTS, DSR, ring and carrier changes. A device without modem lines (a pseudo-terminal) ends
// the thread at once: it never reports a change. Stop interrupts the wait with a signal sent to
// the thread (the ioctl has no other way out), repeated until the thread has left, so a signal
// that lands just before the wait starts cannot be lost.
class ModemLineWatcher {
 public:
  ~ModemLineWatcher() { Stop(); }
  void Start(int fd, std::function<void(TComEvents)> sink);
  void Stop() noexcept;

 private:
  void Run(int fd);

  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable finished_changed_;
  bool finished_ = false;
  std::function<void(TComEvents)> sink_;
};

// Real serial devices and pseudo-terminals through termios and the tty ioctls.
class PosixComBackend final : public ComBackend {
 public:
  ~PosixComBackend() override { Close(); }

  void Open(const std::string& port) override;
  void Close() noexcept override;
  void SetupBuffers(const TComBuffer& buffer) override;
  void ApplySettings(const ComLineSettings& settings) override;
  void ApplyTimeouts(const TComTimeouts& timeouts) override { timeouts_ = timeouts; }
  size_t Write(const char* data, size_t count) override;
  size_t Read(char* data, size_t count) override;
  size_t InputCount() override;
  size_t OutputCount() override;
  void Purge(bool input, bool output) override;
  TComSignals Signals() override;
  void SetDTR(bool on) override;
  void SetRTS(bool on) override;
  void StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) override;
  void StopEvents() noexcept override { watcher_.Stop(); }
  bool EventsOnOwnThread() const override { return true; }
  bool OutputCountKnown() const override { return !pseudo_terminal_; }

  int fd() const { return fd_; }

 private:
  void SetModemLine(int line, bool on, int code);

  int fd_ = -1;
  bool pseudo_terminal_ = false;
  TComTimeouts timeouts_;
  ModemLineWatcher watcher_;
};

// The device path of a port name: names without a '/' live in /dev.
std::string DevicePathOf(const std::string& port);

}  // namespace kv
