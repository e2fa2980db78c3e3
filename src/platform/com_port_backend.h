#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/com_port_types.h"

namespace kv {

class Clock;

// One kind of device under TComPort: a real serial device, a pseudo-terminal, an in-memory
// line. Every failing call raises EComPort with the code TComPort documents for it. TComPort
// calls these only while the backend is open, except Open and Close.
class ComBackend {
 public:
  virtual ~ComBackend() = default;

  // Opens the named device exclusively; code 1 when it cannot.
  virtual void Open(const std::string& port) = 0;
  // Closes the device; never raises. Does not touch DTR/RTS.
  virtual void Close() noexcept = 0;

  virtual void SetupBuffers(const TComBuffer& buffer) = 0;          // code 9
  virtual void ApplySettings(const ComLineSettings& settings) = 0;  // code 7
  virtual void ApplyTimeouts(const TComTimeouts& timeouts) = 0;     // code 8

  // Blocking transfers bounded by the applied time-outs; return the bytes moved.
  virtual size_t Write(const char* data, size_t count) = 0;  // code 2
  virtual size_t Read(char* data, size_t count) = 0;         // code 3

  virtual size_t InputCount() = 0;                  // code 10
  virtual size_t OutputCount() = 0;                 // code 10
  virtual void Purge(bool input, bool output) = 0;  // code 5
  virtual TComSignals Signals() = 0;                // code 11
  virtual void SetDTR(bool on) = 0;                 // code 12
  virtual void SetRTS(bool on) = 0;                 // code 12

  // Starts reporting the events of `mask` to `sink` until StopEvents. A backend with its own
  // event thread calls the sink there; one without (the in-memory line) calls it from the
  // thread that changed the line.
  virtual void StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) = 0;
  // Stops reporting promptly (no waiting for a time-out). Never raises.
  virtual void StopEvents() noexcept = 0;
  virtual bool EventsOnOwnThread() const = 0;

  // Whether OutputCount tells the bytes that have not left yet. A pseudo-terminal hands them on
  // at once and reports 0, and purging its transmit side drops what the far end has not read.
  virtual bool OutputCountKnown() const = 0;

  // Looked at while a transfer waits: once it holds (the program is ending), the read or write
  // returns with what it has moved so far.
  void SetAbortCheck(std::function<bool()> check) { abort_check_ = std::move(check); }

 protected:
  bool Aborted() const { return abort_check_ && abort_check_(); }

 private:
  std::function<bool()> abort_check_;
};

// The operating system's serial devices. POSIX: devices and pseudo-terminals through termios;
// a port name without a '/' is taken from /dev ("ttyUSB0" is "/dev/ttyUSB0"). Windows: the
// communications functions on "\\.\COMn" for a port named "COMn".
std::unique_ptr<ComBackend> MakeSystemComBackend();

}  // namespace kv
