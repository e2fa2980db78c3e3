#include "platform/serial_win32.h"

#include <algorithm>

#include "platform/com_port_timing.h"

namespace kv {

namespace {

// Raises the error of `call` failing with the system's last error, unless that error is not a
// failure of the call (a device without modem lines told to set them).
void Check(BOOL ok, ComCall call) {
  if (ok) return;
  const DWORD error = GetLastError();
  if (const std::optional<int> code = ComErrorCode(call, error))
    throw EComPort(*code, static_cast<int>(error));
}

[[noreturn]] void Refuse(int code) {
  throw EComPort(code, ERROR_INVALID_PARAMETER);
}

// An event for one overlapped call, closed when it goes out of scope.
class OverlappedCall {
 public:
  explicit OverlappedCall(ComCall call) {
    overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Check(overlapped_.hEvent != nullptr, call);
  }
  ~OverlappedCall() { CloseHandle(overlapped_.hEvent); }
  OverlappedCall(const OverlappedCall&) = delete;
  OverlappedCall& operator=(const OverlappedCall&) = delete;
  OVERLAPPED* get() { return &overlapped_; }

 private:
  OVERLAPPED overlapped_{};
};

}  // namespace

std::string Win32DevicePath(const std::string& port) {
  return port.rfind("\\\\.\\", 0) == 0 ? port : "\\\\.\\" + port;
}

void Win32ComBackend::Open(const std::string& port) {
  if (handle_ != INVALID_HANDLE_VALUE) return;
  const std::string path = Win32DevicePath(port);
  // No sharing: a port another program holds fails to open (access denied).
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  Check(handle != INVALID_HANDLE_VALUE, ComCall::Open);
  // Something that is not a serial device has no line state.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) {
    const DWORD error = GetLastError();
    CloseHandle(handle);
    throw EComPort(kComOpenFailed, static_cast<int>(error));
  }
  DWORD lines = 0;
  has_modem_lines_ = GetCommModemStatus(handle, &lines) || !NoModemLines(GetLastError());
  handle_ = handle;
  byte_held_ = false;
}

void Win32ComBackend::Close() noexcept {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  watcher_.Stop();
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

void Win32ComBackend::SetupBuffers(const TComBuffer& buffer) {
  if (buffer.InputSize < 0 || buffer.OutputSize < 0) Refuse(kComSetupFailed);
  Check(SetupComm(handle_, static_cast<DWORD>(buffer.InputSize),
                  static_cast<DWORD>(buffer.OutputSize)),
        ComCall::Setup);
}

void Win32ComBackend::ApplySettings(const ComLineSettings& settings) {
  if (settings.baud == 0) Refuse(kComSetStateFailed);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  Check(GetCommState(handle_, &dcb), ComCall::SetState);
  dcb.BaudRate = settings.baud;
  dcb.ByteSize = static_cast<BYTE>(5 + settings.data_bits);
  // The setting enums follow the system's order: ONESTOPBIT.., NOPARITY.., DTR_CONTROL_..,
  // RTS_CONTROL_...
  dcb.StopBits = static_cast<BYTE>(settings.stop_bits);
  dcb.Parity = static_cast<BYTE>(settings.parity.Bits);
  dcb.fParity = settings.parity.Check && settings.parity.Bits != prNone;
  dcb.fBinary = TRUE;
  dcb.fNull = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fAbortOnError = FALSE;
  const TComFlowControl& flow = settings.flow;
  dcb.fDtrControl = static_cast<DWORD>(flow.ControlDTR);
  dcb.fRtsControl = static_cast<DWORD>(flow.ControlRTS);
  dcb.fOutxCtsFlow = flow.OutCTSFlow;
  dcb.fOutxDsrFlow = flow.OutDSRFlow;
  dcb.fDsrSensitivity = flow.DSRSensitivity;
  dcb.fTXContinueOnXoff = flow.TxContinueOnXoff;
  dcb.fOutX = flow.XonXoffOut;
  dcb.fInX = flow.XonXoffIn;
  dcb.XonChar = static_cast<char>(flow.XonChar);
  dcb.XoffChar = static_cast<char>(flow.XoffChar);
  // XOFF once the input queue is three quarters full, XON again below a quarter.
  const int quarter = std::clamp(settings.buffer.InputSize / 4, 0, 0xFFFF);
  dcb.XonLim = static_cast<WORD>(quarter);
  dcb.XoffLim = static_cast<WORD>(quarter);
  Check(SetCommState(handle_, &dcb), ComCall::SetState);
}

void Win32ComBackend::ApplyTimeouts(const TComTimeouts& timeouts) {
  timeouts_ = timeouts;
  SetSystemTimeouts(ReadIo::kWaitSliceMs);
}

void Win32ComBackend::SetSystemTimeouts(DWORD read_ms) {
  // Interval and multiplier 0: a read returns once it has its count or after `read_ms`.
  COMMTIMEOUTS system{};
  system.ReadTotalTimeoutConstant = read_ms;
  system.WriteTotalTimeoutMultiplier = static_cast<DWORD>(timeouts_.WriteTotalMultiplier);
  system.WriteTotalTimeoutConstant = static_cast<DWORD>(timeouts_.WriteTotalConstant);
  Check(SetCommTimeouts(handle_, &system), ComCall::SetTimeouts);
  read_wait_ms_ = read_ms;
}

size_t Win32ComBackend::Transfer(ComCall call, char* data, size_t count) {
  if (count == 0) return 0;
  const auto size = static_cast<DWORD>(std::min<size_t>(count, MAXDWORD));
  OverlappedCall overlapped(call);
  const BOOL done = call == ComCall::Read
                        ? ReadFile(handle_, data, size, nullptr, overlapped.get())
                        : WriteFile(handle_, data, size, nullptr, overlapped.get());
  if (!done) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      if (const std::optional<int> code = ComErrorCode(call, error))
        throw EComPort(*code, static_cast<int>(error));
      return 0;
    }
    // The driver ends the call by the time-outs; the slices only look for an abort, which
    // cancels the call once the grace is over.
    AbortGrace grace;
    for (;;) {
      const DWORD woke = WaitForSingleObject(overlapped.get()->hEvent, ReadIo::kWaitSliceMs);
      if (woke == WAIT_OBJECT_0) break;
      if (woke != WAIT_TIMEOUT || grace.Over(Aborted(), GetTickCount())) {
        CancelIoEx(handle_, overlapped.get());
        break;
      }
    }
  }
  DWORD moved = 0;
  Check(GetOverlappedResult(handle_, overlapped.get(), &moved, TRUE), call);
  return moved;
}

size_t Win32ComBackend::Write(const char* data, size_t count) {
  // WriteFile does not change the bytes; the shared transfer takes a mutable pointer for
  // ReadFile.
  return Transfer(ComCall::Write, const_cast<char*>(data), count);
}

// What TimedRead needs, from the backend.
class Win32ReadIo final : public ReadIo {
 public:
  explicit Win32ReadIo(Win32ComBackend& backend) : backend_(backend) {}
  uint32_t Now() override { return GetTickCount(); }
  size_t Take(char* data, size_t max) override { return backend_.TakeQueued(data, max); }
  void Wait(uint32_t max_ms) override { backend_.WaitForByte(max_ms); }
  bool Aborted() override { return backend_.Aborted(); }

 private:
  Win32ComBackend& backend_;
};

size_t Win32ComBackend::Read(char* data, size_t count) {
  Win32ReadIo io(*this);
  return TimedRead(PlanRead(timeouts_, count), data, count, io);
}

size_t Win32ComBackend::TakeQueued(char* data, size_t max) {
  size_t taken = 0;
  if (byte_held_ && max > 0) {
    data[taken++] = held_byte_;
    byte_held_ = false;
  }
  const size_t queued = QueueStatus(ComCall::Read).cbInQue;
  const size_t wanted = std::min(max - taken, queued);
  // Bytes already queued: the read completes without waiting.
  if (wanted > 0) taken += Transfer(ComCall::Read, data + taken, wanted);
  return taken;
}

void Win32ComBackend::WaitForByte(uint32_t max_ms) {
  if (byte_held_) return;
  const DWORD wait = std::clamp<uint32_t>(max_ms, 1, ReadIo::kWaitSliceMs);
  if (wait != read_wait_ms_) SetSystemTimeouts(wait);
  byte_held_ = Transfer(ComCall::Read, &held_byte_, 1) == 1;
}

COMSTAT Win32ComBackend::QueueStatus(ComCall call) {
  DWORD errors = 0;
  COMSTAT status{};
  Check(ClearCommError(handle_, &errors, &status), call);
  return status;
}

size_t Win32ComBackend::InputCount() {
  return QueueStatus(ComCall::Status).cbInQue + (byte_held_ ? 1 : 0);
}

size_t Win32ComBackend::OutputCount() {
  return QueueStatus(ComCall::Status).cbOutQue;
}

void Win32ComBackend::Purge(bool input, bool output) {
  if (!input && !output) return;
  if (input) byte_held_ = false;
  const DWORD flags = (input ? PURGE_RXCLEAR : 0) | (output ? PURGE_TXCLEAR : 0);
  Check(PurgeComm(handle_, flags), ComCall::Purge);
}

TComSignals Win32ComBackend::Signals() {
  DWORD lines = 0;
  if (!GetCommModemStatus(handle_, &lines)) {
    const DWORD error = GetLastError();
    if (const std::optional<int> code = ComErrorCode(ComCall::ModemStatus, error))
      throw EComPort(*code, static_cast<int>(error));
    return csCTS | csDSR;  // no modem lines: the printer counts as ready
  }
  // MS_CTS_ON .. MS_RLSD_ON are 0x10 .. 0x80, the signals shifted left by four.
  return static_cast<TComSignals>((lines >> 4) & (csCTS | csDSR | csRing | csRLSD));
}

void Win32ComBackend::Escape(DWORD function) {
  Check(EscapeCommFunction(handle_, function), ComCall::Escape);
}

void Win32ComBackend::SetDTR(bool on) {
  Escape(on ? SETDTR : CLRDTR);
}
void Win32ComBackend::SetRTS(bool on) {
  Escape(on ? SETRTS : CLRRTS);
}

void Win32ComBackend::StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) {
  watcher_.Start(handle_, [mask, sink = std::move(sink)](TComEvents events) {
    if ((events & mask) != 0) sink(events & mask);
  });
}

std::unique_ptr<ComBackend> MakeSystemComBackend() {
  return std::make_unique<Win32ComBackend>();
}

}  // namespace kv
