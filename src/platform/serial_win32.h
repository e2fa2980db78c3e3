#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/com_port_backend.h"

namespace kv {

// The system calls the backend makes, each with the error code TComPort documents for it.
enum class ComCall {
  Open,         // CreateFile: kComOpenFailed
  Setup,        // SetupComm: kComSetupFailed
  SetState,     // GetCommState / SetCommState: kComSetStateFailed
  SetTimeouts,  // SetCommTimeouts: kComSetTimeoutsFailed
  Write,        // WriteFile: kComWriteFailed
  Read,         // ReadFile: kComReadFailed
  Status,       // ClearCommError: kComStatusFailed
  Purge,        // PurgeComm: kComPurgeFailed
  ModemStatus,  // GetCommModemStatus: kComModemStatusFailed
  Escape,       // EscapeCommFunction (DTR, RTS): kComEscapeFailed
};

// The EComPort code of `call` failing with the system's `error`, or nothing where the error is
// not a failure of that call: a transfer that ran out of time or was cancelled (it returns what
// it moved), a device without modem lines asked for them or told to set them (its lines count
// as on, as on a pseudo-terminal).
std::optional<int> ComErrorCode(ComCall call, DWORD error);

// Whether `error` says the device has no modem lines (Wine maps a pseudo-terminal so).
bool NoModemLines(DWORD error);

// The path CreateFile opens for a port name: "COM12" is "\\.\COM12"; a name that already is a
// device path ("\\.\...") is kept.
std::string Win32DevicePath(const std::string& port);

// Waits for modem line changes (WaitCommEvent, overlapped) in a thread of its own and reports
// CTS, DSR, ring and carrier changes. A device without modem lines ends the thread at once: it
// never reports a change. A WaitCommEvent that returns at once without an event (or fails) does
// not spin: the thread then looks at the lines once per slice instead.
class LineEventWatcher {
 public:
  ~LineEventWatcher() { Stop(); }
  void Start(HANDLE port, std::function<void(TComEvents)> sink);
  void Stop() noexcept;

 private:
  void Run();
  // Waits for the next line event; its events (0 when it ended without one). False once
  // stopped.
  bool WaitForEvent(DWORD& events);

  HANDLE port_ = INVALID_HANDLE_VALUE;
  HANDLE stop_ = nullptr;  // manual-reset event set by Stop
  std::thread thread_;
  std::function<void(TComEvents)> sink_;
};

// Serial ports through the Win32 communications functions. The handle is overlapped, so the
// event thread's WaitCommEvent and the transfers run side by side. The driver times the writes
// with the port's write time-outs. Reads follow the port's read time-outs by the same rules as
// on POSIX (TimedRead): the driver's read time-out is only the slice a wait for the next byte
// lasts, and what is queued is read without waiting (Wine's overlapped reads heed neither the
// interval nor the return-at-once setting, so the driver cannot be left to time them).
class Win32ComBackend final : public ComBackend {
 public:
  ~Win32ComBackend() override { Close(); }

  void Open(const std::string& port) override;
  void Close() noexcept override;
  void SetupBuffers(const TComBuffer& buffer) override;
  void ApplySettings(const ComLineSettings& settings) override;
  void ApplyTimeouts(const TComTimeouts& timeouts) override;
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
  // A device without modem lines is taken for a pseudo-terminal behind the system's serial
  // layer (Wine): it hands bytes on at once and its counts say nothing.
  bool OutputCountKnown() const override { return has_modem_lines_; }

 private:
  friend class Win32ReadIo;

  // Runs one overlapped ReadFile or WriteFile to its end: the driver's time-out, a failure, or
  // an abort (after the grace). Returns the bytes moved.
  size_t Transfer(ComCall call, char* data, size_t count);
  // The port's write time-outs, and `read_ms` as the time a read waits for its bytes.
  void SetSystemTimeouts(DWORD read_ms);
  COMSTAT QueueStatus(ComCall call);
  // Takes up to `max` bytes without waiting: the one a wait took first, then the queued ones.
  size_t TakeQueued(char* data, size_t max);
  // Waits up to `max_ms` (at most one slice) for the next byte, which it keeps for TakeQueued.
  void WaitForByte(uint32_t max_ms);
  void Escape(DWORD function);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool has_modem_lines_ = true;
  TComTimeouts timeouts_;
  DWORD read_wait_ms_ = 0;  // the read time-out the driver has now
  bool byte_held_ = false;  // a wait took a byte that no read has taken yet
  char held_byte_ = 0;
  LineEventWatcher watcher_;
};

}  // namespace kv
