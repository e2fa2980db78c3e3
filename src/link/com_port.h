#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_port_backend.h"
#include "platform/com_port_types.h"
#include "platform/port_enum.h"

namespace kv {

struct ComDelivery;

// The serial port object. Settings are stored while closed and applied as a group to the
// device when the port is open (or when it opens). Every failing device call raises EComPort;
// Open undoes its partial work before raising.
//
// The device kind is the backend passed in:
//   TComPort port;                                        // real device / pseudo-terminal
//   TComPort port(MakeMemoryComBackend(line.a(), clock)); // in-memory line
//   (platform/serial_memory.h)
//
// Line-change events: Open starts the backend's event reporting when Events is not empty.
// With smNone the handlers run where the event is reported (the event thread). With
// smThreadSync and smWindowSync (there are no hidden windows here, both behave the same) the
// port hands the delivery to the poster set by SetUiPoster and waits until it has run on the
// user-interface thread; without a poster it delivers directly. Close never waits for a
// delivery queued on the user-interface thread: a delivery that runs after Close does nothing.
// The in-memory backend has no thread: its events are delivered at once, on the caller's
// thread, whatever the SyncMethod.
//
// Handlers and the poster are set before Open; all operations are called from one thread.
class TComPort {
 public:
  TComPort();  // over MakeSystemComBackend()
  explicit TComPort(std::unique_ptr<ComBackend> backend);
  ~TComPort();
  TComPort(const TComPort&) = delete;
  TComPort& operator=(const TComPort&) = delete;

  // Does nothing when connected; otherwise opens Port, applies buffer sizes, settings and
  // time-outs in that order and starts the event reporting.
  void Open();
  // Does nothing when not connected; stops the events (purging both queues, as the event
  // thread does on leaving), closes the device. DTR and RTS are left as they are.
  void Close();
  bool Connected() const { return connected_; }

  const std::string& Port() const { return port_; }
  // When the name differs: stores it and, when open, closes and reopens on the new device.
  void SetPort(const std::string& name);

  TBaudRate BaudRate() const { return baud_rate_; }
  void SetBaudRate(TBaudRate rate);
  uint32_t CustomBaudRate() const { return custom_baud_; }
  void SetCustomBaudRate(uint32_t bits_per_second);
  TDataBits DataBits() const { return data_bits_; }
  void SetDataBits(TDataBits bits);
  TStopBits StopBits() const { return stop_bits_; }
  void SetStopBits(TStopBits bits);
  const TComParity& Parity() const { return parity_; }
  void SetParity(const TComParity& parity);

  // Which events the event reporting delivers; takes effect at the next Open.
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents events) { events_ = events; }
  TSyncMethod SyncMethod() const { return sync_method_; }
  // Raises code 14 "Cannot set property while connected" on an open port.
  void SetSyncMethod(TSyncMethod method);

  const TComBuffer& Buffer() const { return buffer_; }
  void SetInputSize(int size);   // odd sizes are lowered by one
  void SetOutputSize(int size);  // odd sizes are lowered by one

  const TComFlowControl& FlowControl() const { return flow_; }
  void SetFlowControl(const TComFlowControl& flow);
  void SetControlDTR(TDTRFlowControl mode);
  void SetControlRTS(TRTSFlowControl mode);
  void SetOutCTSFlow(bool on);
  void SetOutDSRFlow(bool on);
  void SetXonXoffOut(bool on);
  void SetXonXoffIn(bool on);

  const TComTimeouts& Timeouts() const { return timeouts_; }
  void SetTimeouts(const TComTimeouts& timeouts);
  void SetReadInterval(int32_t ms);
  void SetReadTotalM(int32_t ms);
  void SetReadTotalC(int32_t ms);
  void SetWriteTotalM(int32_t ms);
  void SetWriteTotalC(int32_t ms);

  // Blocking transfers: return the bytes moved, fewer than asked when the time-outs ran out.
  int Write(const void* buffer, int count);
  int WriteStr(std::string_view text);
  int Read(void* buffer, int count);

  int InputCount();
  int OutputCount();
  // False for a device whose OutputCount stays 0 while bytes are still on their way (a
  // pseudo-terminal): there, purging the transmit side can drop bytes already written.
  bool OutputCountKnown() const { return backend_->OutputCountKnown(); }
  void ClearBuffer(bool input, bool output);
  TComSignals Signals();
  void SetDTR(bool on);
  void SetRTS(bool on);

  // Called with the new line state (bit 0 / bit 1 of Signals) on a CTS / DSR change.
  void OnCTSChange(std::function<void(bool)> handler) { on_cts_ = std::move(handler); }
  void OnDSRChange(std::function<void(bool)> handler) { on_dsr_ = std::move(handler); }
  // Line indicators: told the same CTS / DSR state after the handlers.
  void AddLineIndicator(std::function<void(TComSignal, bool)> indicator);
  // Every delivered event, in delivery order, before its own handler.
  void OnEvent(std::function<void(TComEvent)> handler) { on_event_ = std::move(handler); }
  // Once `check` holds (the program is ending), a blocked Read or Write returns with what it
  // has moved so far instead of waiting out its time-outs.
  void SetAbortCheck(std::function<bool()> check);
  // Queues a function to run on the user-interface thread and returns at once.
  void SetUiPoster(std::function<void(std::function<void()>)> post) { post_ = std::move(post); }

  ComBackend& backend() { return *backend_; }

 private:
  ComLineSettings LineSettings() const;
  void ApplySettingsIfOpen();
  void ApplyTimeoutsIfOpen();
  void ApplyBuffersIfOpen();
  void StartEvents();
  void StopEvents() noexcept;
  void OnBackendEvents(const std::shared_ptr<ComDelivery>& delivery, TComEvents events);
  void Deliver(TComEvents events);
  void RequireOpen(int code) const;

  std::unique_ptr<ComBackend> backend_;
  bool connected_ = false;
  std::string port_ = "COM1";
  TBaudRate baud_rate_ = br9600;
  uint32_t custom_baud_ = 9600;
  TDataBits data_bits_ = dbEight;
  TStopBits stop_bits_ = sbOneStopBit;
  TComParity parity_;
  TComEvents events_ = kAllComEvents;
  TSyncMethod sync_method_ = smThreadSync;
  TComBuffer buffer_;
  TComFlowControl flow_;
  TComTimeouts timeouts_;

  std::function<void(bool)> on_cts_;
  std::function<void(bool)> on_dsr_;
  std::function<void(TComEvent)> on_event_;
  std::vector<std::function<void(TComSignal, bool)>> indicators_;
  std::function<void(std::function<void()>)> post_;
  std::shared_ptr<ComDelivery> delivery_;  // the running event reporting, if any
};

// The settings the print manager's port starts with before the INI file is read: input buffer
// 2048, DTR and RTS enabled, time-outs 500, 200, 2000, 2000, 2000.
void ConfigureAsComPort1(TComPort& port);

}  // namespace kv
