#include "link/com_port.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>

namespace kv {

// Shared between the port and its event reporting while it runs. `cancelled` is set by Close
// (on the user-interface thread): a delivery still queued there then does nothing, and an
// event thread waiting for one stops waiting.
struct ComDelivery {
  std::mutex mutex;
  std::condition_variable changed;
  bool cancelled = false;
};

TComPort::TComPort() : TComPort(MakeSystemComBackend()) {}

TComPort::TComPort(std::unique_ptr<ComBackend> backend) : backend_(std::move(backend)) {}

TComPort::~TComPort() {
  Close();
}

void TComPort::Open() {
  if (connected_) return;
  backend_->Open(port_);
  connected_ = true;
  try {
    backend_->SetupBuffers(buffer_);
    backend_->ApplySettings(LineSettings());
    backend_->ApplyTimeouts(timeouts_);
    if (events_ != 0) StartEvents();
  } catch (...) {
    StopEvents();
    backend_->Close();
    connected_ = false;
    throw;
  }
}

void TComPort::Close() {
  if (!connected_) return;
  const bool had_events = delivery_ != nullptr;
  StopEvents();
  // The event thread purges both queues when it stops.
  if (had_events) {
    try {
      backend_->Purge(true, true);
    } catch (const EComPort&) {
      // A device already gone has nothing left to purge.
    }
  }
  backend_->Close();
  connected_ = false;
}

void TComPort::SetPort(const std::string& name) {
  if (name == port_) return;
  port_ = name;
  if (connected_) {
    Close();
    Open();
  }
}

ComLineSettings TComPort::LineSettings() const {
  ComLineSettings settings;
  settings.baud = baud_rate_ == brCustom ? custom_baud_ : BaudRateValue(baud_rate_);
  settings.data_bits = data_bits_;
  settings.stop_bits = stop_bits_;
  settings.parity = parity_;
  settings.flow = flow_;
  settings.buffer = buffer_;
  return settings;
}

void TComPort::ApplySettingsIfOpen() {
  if (connected_) backend_->ApplySettings(LineSettings());
}

void TComPort::ApplyTimeoutsIfOpen() {
  if (connected_) backend_->ApplyTimeouts(timeouts_);
}

void TComPort::ApplyBuffersIfOpen() {
  if (connected_) backend_->SetupBuffers(buffer_);
}

void TComPort::SetBaudRate(TBaudRate rate) {
  baud_rate_ = rate;
  ApplySettingsIfOpen();
}

void TComPort::SetCustomBaudRate(uint32_t bits_per_second) {
  custom_baud_ = bits_per_second;
  if (baud_rate_ == brCustom) ApplySettingsIfOpen();
}

void TComPort::SetDataBits(TDataBits bits) {
  data_bits_ = bits;
  ApplySettingsIfOpen();
}

void TComPort::SetStopBits(TStopBits bits) {
  stop_bits_ = bits;
  ApplySettingsIfOpen();
}

void TComPort::SetParity(const TComParity& parity) {
  parity_ = parity;
  ApplySettingsIfOpen();
}

void TComPort::SetSyncMethod(TSyncMethod method) {
  if (connected_) throw EComPort(kComConnectedProperty, 0);
  sync_method_ = method;
}

void TComPort::SetInputSize(int size) {
  buffer_.InputSize = size & ~1;
  ApplyBuffersIfOpen();
}

void TComPort::SetOutputSize(int size) {
  buffer_.OutputSize = size & ~1;
  ApplyBuffersIfOpen();
}

void TComPort::SetFlowControl(const TComFlowControl& flow) {
  flow_ = flow;
  ApplySettingsIfOpen();
}

void TComPort::SetControlDTR(TDTRFlowControl mode) {
  flow_.ControlDTR = mode;
  ApplySettingsIfOpen();
}

void TComPort::SetControlRTS(TRTSFlowControl mode) {
  flow_.ControlRTS = mode;
  ApplySettingsIfOpen();
}

void TComPort::SetOutCTSFlow(bool on) {
  flow_.OutCTSFlow = on;
  ApplySettingsIfOpen();
}

void TComPort::SetOutDSRFlow(bool on) {
  flow_.OutDSRFlow = on;
  ApplySettingsIfOpen();
}

void TComPort::SetXonXoffOut(bool on) {
  flow_.XonXoffOut = on;
  ApplySettingsIfOpen();
}

void TComPort::SetXonXoffIn(bool on) {
  flow_.XonXoffIn = on;
  ApplySettingsIfOpen();
}

void TComPort::SetTimeouts(const TComTimeouts& timeouts) {
  timeouts_ = timeouts;
  ApplyTimeoutsIfOpen();
}

void TComPort::SetReadInterval(int32_t ms) {
  timeouts_.ReadInterval = ms;
  ApplyTimeoutsIfOpen();
}

void TComPort::SetReadTotalM(int32_t ms) {
  timeouts_.ReadTotalMultiplier = ms;
  ApplyTimeoutsIfOpen();
}

void TComPort::SetReadTotalC(int32_t ms) {
  timeouts_.ReadTotalConstant = ms;
  ApplyTimeoutsIfOpen();
}

void TComPort::SetWriteTotalM(int32_t ms) {
  timeouts_.WriteTotalMultiplier = ms;
  ApplyTimeoutsIfOpen();
}

void TComPort::SetWriteTotalC(int32_t ms) {
  timeouts_.WriteTotalConstant = ms;
  ApplyTimeoutsIfOpen();
}

void TComPort::RequireOpen(int code) const {
  if (!connected_) throw EComPort(code, EBADF);
}

int TComPort::Write(const void* buffer, int count) {
  RequireOpen(kComWriteFailed);
  if (count < 0 || (count > 0 && buffer == nullptr)) throw EComPort(kComInvalidAsync, EINVAL);
  if (count == 0) return 0;
  return static_cast<int>(backend_->Write(static_cast<const char*>(buffer), count));
}

int TComPort::WriteStr(std::string_view text) {
  return Write(text.data(), static_cast<int>(text.size()));
}

int TComPort::Read(void* buffer, int count) {
  RequireOpen(kComReadFailed);
  if (count < 0 || (count > 0 && buffer == nullptr)) throw EComPort(kComInvalidAsync, EINVAL);
  if (count == 0) return 0;
  return static_cast<int>(backend_->Read(static_cast<char*>(buffer), count));
}

int TComPort::InputCount() {
  RequireOpen(kComStatusFailed);
  return static_cast<int>(backend_->InputCount());
}

int TComPort::OutputCount() {
  RequireOpen(kComStatusFailed);
  return static_cast<int>(backend_->OutputCount());
}

void TComPort::ClearBuffer(bool input, bool output) {
  RequireOpen(kComPurgeFailed);
  if (input || output) backend_->Purge(input, output);
}

TComSignals TComPort::Signals() {
  RequireOpen(kComModemStatusFailed);
  return backend_->Signals();
}

void TComPort::SetDTR(bool on) {
  RequireOpen(kComEscapeFailed);
  backend_->SetDTR(on);
}

void TComPort::SetRTS(bool on) {
  RequireOpen(kComEscapeFailed);
  backend_->SetRTS(on);
}

void TComPort::SetAbortCheck(std::function<bool()> check) {
  if (backend_) backend_->SetAbortCheck(std::move(check));
}

void TComPort::AddLineIndicator(std::function<void(TComSignal, bool)> indicator) {
  indicators_.push_back(std::move(indicator));
}

void TComPort::StartEvents() {
  delivery_ = std::make_shared<ComDelivery>();
  backend_->StartEvents(events_, [this, delivery = delivery_](TComEvents events) {
    OnBackendEvents(delivery, events);
  });
}

void TComPort::StopEvents() noexcept {
  if (!delivery_) return;
  {
    std::lock_guard lock(delivery_->mutex);
    delivery_->cancelled = true;
  }
  delivery_->changed.notify_all();
  backend_->StopEvents();
  delivery_.reset();
}

// Runs where the backend reports: on its event thread, or on the caller's thread for a
// backend without one.
void TComPort::OnBackendEvents(const std::shared_ptr<ComDelivery>& delivery, TComEvents events) {
  events &= events_;
  if (events == 0) return;
  if (!backend_->EventsOnOwnThread() || sync_method_ == smNone || !post_) {
    Deliver(events);
    return;
  }
  auto done = std::make_shared<bool>(false);
  post_([this, delivery, done, events] {
    {
      std::lock_guard lock(delivery->mutex);
      if (delivery->cancelled) return;
    }
    Deliver(events);
    {
      std::lock_guard lock(delivery->mutex);
      *done = true;
    }
    delivery->changed.notify_all();
  });
  std::unique_lock lock(delivery->mutex);
  delivery->changed.wait(lock, [&] { return *done || delivery->cancelled; });
}

void TComPort::Deliver(TComEvents events) {
  static constexpr TComEvent kOrder[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                         evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};
  for (const TComEvent event : kOrder) {
    if ((events & ComEventBit(event)) == 0) continue;
    if (on_event_) on_event_(event);
    if (event != evCTS && event != evDSR) continue;
    TComSignals signals = 0;
    try {
      signals = backend_->Signals();
    } catch (const EComPort&) {
      continue;  // the device went away; the next operation on the port reports it
    }
    const TComSignal line = event == evCTS ? csCTS : csDSR;
    const bool on = (signals & line) != 0;
    const auto& handler = event == evCTS ? on_cts_ : on_dsr_;
    if (handler) handler(on);
    for (const auto& indicator : indicators_) indicator(line, on);
  }
}

void ConfigureAsComPort1(TComPort& port) {
  port.SetInputSize(2048);
  port.SetControlDTR(dtrEnable);
  port.SetControlRTS(rtsEnable);
  TComTimeouts timeouts;
  timeouts.ReadInterval = 500;
  timeouts.ReadTotalMultiplier = 200;
  timeouts.ReadTotalConstant = 2000;
  timeouts.WriteTotalMultiplier = 2000;
  timeouts.WriteTotalConstant = 2000;
  port.SetTimeouts(timeouts);
}

}  // namespace kv
