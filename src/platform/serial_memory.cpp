#include "platform/serial_memory.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>

#include "link/com_port_timing.h"
#include "platform/clock.h"

namespace kv {

namespace {

// Ends taken by an open backend: a line end, like a device, is opened once at a time.
std::mutex g_open_mutex;
std::set<const MemoryLine::End*> g_open_ends;

class MemoryReadIo final : public ReadIo {
 public:
  MemoryReadIo(MemoryLine::End& end, Clock& clock) : end_(end), clock_(clock) {}
  uint32_t Now() override { return clock_.TickCount(); }
  size_t Take(char* data, size_t max) override {
    const std::string bytes = end_.Read(max);
    std::copy(bytes.begin(), bytes.end(), data);
    return bytes.size();
  }
  // Looks again after one tick: a byte may arrive at any tick of the clock.
  void Wait(uint32_t max_ms) override {
    if (max_ms > 0) clock_.Sleep(1);
  }

 private:
  MemoryLine::End& end_;
  Clock& clock_;
};

class MemoryComBackend final : public ComBackend {
 public:
  MemoryComBackend(MemoryLine::End& end, Clock& clock) : end_(end), clock_(clock) {}
  ~MemoryComBackend() override { Close(); }

  void Open(const std::string&) override {
    std::lock_guard lock(g_open_mutex);
    if (!g_open_ends.insert(&end_).second) throw EComPort(kComOpenFailed, EBUSY);
    open_ = true;
    cts_ = end_.Cts();
    dsr_ = end_.Dsr();
    end_.OnLinesChanged([this] { LinesChanged(); });
  }

  void Close() noexcept override {
    if (!open_) return;
    end_.OnLinesChanged(nullptr);
    sink_ = nullptr;
    held_.clear();  // bytes not yet sent are lost with the port
    std::lock_guard lock(g_open_mutex);
    g_open_ends.erase(&end_);
    open_ = false;
  }

  void SetupBuffers(const TComBuffer& buffer) override {
    if (buffer.InputSize < 0 || buffer.OutputSize < 0) throw EComPort(kComSetupFailed, EINVAL);
    buffer_ = buffer;
  }

  void ApplySettings(const ComLineSettings& settings) override {
    if (settings.baud == 0) throw EComPort(kComSetStateFailed, EINVAL);
    settings_ = settings;
    // The control line modes set the lines; handshake and toggle modes keep them raised.
    end_.SetDtr(settings.flow.ControlDTR != dtrDisable);
    end_.SetRts(settings.flow.ControlRTS != rtsDisable);
    SendHeld();
  }

  void ApplyTimeouts(const TComTimeouts& timeouts) override { timeouts_ = timeouts; }

  size_t Write(const char* data, size_t count) override {
    const std::optional<uint32_t> limit = WriteLimit(timeouts_, count);
    const uint32_t start = clock_.TickCount();
    size_t taken = 0;
    for (;;) {
      SendHeld();
      if (held_.empty() && MaySend()) {
        end_.Write(std::string_view(data + taken, count - taken));
        return count;
      }
      taken += Queue(data + taken, count - taken);
      if (taken == count) return taken;
      if (limit && clock_.Since(start) >= *limit) return taken;
      clock_.Sleep(1);
    }
  }

  size_t Read(char* data, size_t count) override {
    MemoryReadIo io(end_, clock_);
    return TimedRead(PlanRead(timeouts_, count), data, count, io);
  }

  size_t InputCount() override { return end_.Available(); }
  size_t OutputCount() override { return held_.size(); }

  void Purge(bool input, bool output) override {
    // The receive queue holds what has arrived; bytes still on the wire come in later.
    if (input) end_.Read(end_.Available());
    if (output) held_.clear();
  }

  TComSignals Signals() override {
    return static_cast<TComSignals>((end_.Cts() ? csCTS : 0) | (end_.Dsr() ? csDSR : 0));
  }

  void SetDTR(bool on) override { end_.SetDtr(on); }
  void SetRTS(bool on) override { end_.SetRts(on); }

  void StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) override {
    mask_ = mask;
    sink_ = std::move(sink);
  }
  void StopEvents() noexcept override { sink_ = nullptr; }
  bool EventsOnOwnThread() const override { return false; }

 private:
  bool MaySend() const { return !settings_.flow.OutCTSFlow || end_.Cts(); }

  // Takes bytes into the transmit queue, as many as it has room for.
  size_t Queue(const char* data, size_t count) {
    const size_t size = static_cast<size_t>(std::max(buffer_.OutputSize, 1));
    const size_t take = std::min(count, size > held_.size() ? size - held_.size() : 0);
    held_.append(data, take);
    return take;
  }

  // Sends the transmit queue unless output CTS flow holds it back.
  void SendHeld() {
    if (held_.empty() || !MaySend()) return;
    const std::string bytes = std::move(held_);
    held_.clear();
    end_.Write(bytes);
  }

  void LinesChanged() {
    const bool cts = end_.Cts();
    const bool dsr = end_.Dsr();
    TComEvents events = 0;
    if (cts != cts_) events |= ComEventBit(evCTS);
    if (dsr != dsr_) events |= ComEventBit(evDSR);
    cts_ = cts;
    dsr_ = dsr;
    SendHeld();
    events &= mask_;
    if (events != 0 && sink_) sink_(events);
  }

  MemoryLine::End& end_;
  Clock& clock_;
  bool open_ = false;
  TComBuffer buffer_;
  ComLineSettings settings_;
  TComTimeouts timeouts_;
  std::string held_;
  bool cts_ = false;
  bool dsr_ = false;
  TComEvents mask_ = 0;
  std::function<void(TComEvents)> sink_;
};

}  // namespace

std::unique_ptr<ComBackend> MakeMemoryComBackend(MemoryLine::End& end, Clock& clock) {
  return std::make_unique<MemoryComBackend>(end, clock);
}

}  // namespace kv
