#include "platform/serial_memory.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>

#include "platform/clock.h"
#include "platform/com_port_timing.h"

namespace kv {

namespace {

// Ends taken by an open backend: a line end, like a device, is opened once at a time.
std::mutex g_open_mutex;
std::set<const MemoryLine::End*> g_open_ends;

class MemoryComBackend final : public ComBackend {
 public:
  MemoryComBackend(MemoryLine::End& end, Clock& clock)
      : end_(end), clock_(clock), last_tick_(clock.TickCount()) {}
  ~MemoryComBackend() override { Close(); }

  void Open(const std::string&) override {
    if (end_.Unplugged()) throw EComPort(kComOpenFailed, ENODEV);
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
    tx_.clear();  // bytes not yet sent are lost with the port
    std::lock_guard lock(g_open_mutex);
    g_open_ends.erase(&end_);
    open_ = false;
  }

  void SetupBuffers(const TComBuffer& buffer) override {
    Check(kComSetupFailed);
    if (buffer.InputSize < 0 || buffer.OutputSize < 0) throw EComPort(kComSetupFailed, EINVAL);
    buffer_ = buffer;
  }

  void ApplySettings(const ComLineSettings& settings) override {
    Check(kComSetStateFailed);
    if (settings.baud == 0) throw EComPort(kComSetStateFailed, EINVAL);
    Pump();  // what left at the old speed
    settings_ = settings;
    // The control line modes set the lines; handshake and toggle modes keep them raised.
    end_.SetDtr(settings.flow.ControlDTR != dtrDisable);
    end_.SetRts(settings.flow.ControlRTS != rtsDisable);
    Pump();
  }

  void ApplyTimeouts(const TComTimeouts& timeouts) override { timeouts_ = timeouts; }

  // Bytes go into the transmit queue as far as it has room; a full queue makes the write wait
  // for room up to the write time-outs.
  size_t Write(const char* data, size_t count) override {
    Check(kComWriteFailed);
    const std::optional<uint32_t> limit = WriteLimit(timeouts_, count);
    const uint32_t start = clock_.TickCount();
    AbortGrace grace;
    size_t taken = 0;
    for (;;) {
      Pump();
      taken += Queue(data + taken, count - taken);
      if (taken == count || grace.Over(Aborted(), clock_.TickCount())) return taken;
      if (limit && clock_.Since(start) >= *limit) return taken;
      clock_.Sleep(1);
      Check(kComWriteFailed);
    }
  }

  size_t Read(char* data, size_t count) override {
    Check(kComReadFailed);
    ReadIo io(*this);
    return TimedRead(PlanRead(timeouts_, count), data, count, io);
  }

  size_t InputCount() override {
    Check(kComStatusFailed);
    Pump();
    return end_.Available();
  }

  size_t OutputCount() override {
    Check(kComStatusFailed);
    Pump();
    return tx_.size();
  }

  void Purge(bool input, bool output) override {
    Check(kComPurgeFailed);
    Pump();
    // The receive queue holds what has arrived; bytes still on the wire come in later.
    if (input) end_.Read(end_.Available());
    if (output) tx_.clear();
  }

  TComSignals Signals() override {
    Check(kComModemStatusFailed);
    return static_cast<TComSignals>((end_.Cts() ? csCTS : 0) | (end_.Dsr() ? csDSR : 0));
  }

  void SetDTR(bool on) override {
    Check(kComEscapeFailed);
    end_.SetDtr(on);
  }
  void SetRTS(bool on) override {
    Check(kComEscapeFailed);
    end_.SetRts(on);
  }

  void StartEvents(TComEvents mask, std::function<void(TComEvents)> sink) override {
    mask_ = mask;
    sink_ = std::move(sink);
  }
  void StopEvents() noexcept override { sink_ = nullptr; }
  bool EventsOnOwnThread() const override { return false; }
  bool OutputCountKnown() const override { return true; }

 private:
  class ReadIo final : public kv::ReadIo {
   public:
    explicit ReadIo(MemoryComBackend& port) : port_(port) {}
    uint32_t Now() override { return port_.clock_.TickCount(); }
    size_t Take(char* data, size_t max) override {
      port_.Check(kComReadFailed);
      port_.Pump();
      const std::string bytes = port_.end_.Read(max);
      std::copy(bytes.begin(), bytes.end(), data);
      return bytes.size();
    }
    // Looks again after one tick: a byte may arrive at any tick of the clock.
    void Wait(uint32_t max_ms) override {
      if (max_ms > 0) port_.clock_.Sleep(1);
    }
    bool Aborted() override { return port_.Aborted(); }

   private:
    MemoryComBackend& port_;
  };

  // A pulled adapter fails every call with an I/O error.
  void Check(int code) const {
    if (end_.Unplugged()) throw EComPort(code, EIO);
  }

  // CTS as last seen: a line change first lets out what was due under the old state.
  bool MaySend() const { return !settings_.flow.OutCTSFlow || cts_; }

  // Microseconds on the clock, counted across a wrap of its 32-bit ticks.
  uint64_t NowUs() {
    const uint32_t tick = clock_.TickCount();
    elapsed_ms_ += static_cast<uint32_t>(tick - last_tick_);
    last_tick_ = tick;
    return elapsed_ms_ * 1000;
  }

  // Takes bytes into the transmit queue, as many as it has room for. An idle line starts
  // sending the first of them now.
  size_t Queue(const char* data, size_t count) {
    const size_t size = static_cast<size_t>(std::max(buffer_.OutputSize, 1));
    const size_t take = std::min(count, size > tx_.size() ? size - tx_.size() : 0);
    if (tx_.empty()) sent_until_us_ = NowUs();
    tx_.append(data, take);
    return take;
  }

  // Hands the peer the bytes whose wire time has passed: ten bits a byte at the line's speed.
  // Output CTS flow holds them while CTS is off.
  void Pump() {
    const uint64_t now = NowUs();
    if (tx_.empty() || !MaySend()) {
      sent_until_us_ = now;
      return;
    }
    const uint64_t byte_us = 10'000'000ull / std::max<uint32_t>(settings_.baud, 1);
    const size_t due = std::min<uint64_t>(tx_.size(), (now - sent_until_us_) / byte_us);
    if (due == 0) return;
    const std::string bytes = tx_.substr(0, due);
    tx_.erase(0, due);
    sent_until_us_ = tx_.empty() ? now : sent_until_us_ + due * byte_us;
    end_.Write(bytes);  // the peer may answer (and write back) from inside this call
  }

  void LinesChanged() {
    Pump();
    const bool cts = end_.Cts();
    const bool dsr = end_.Dsr();
    TComEvents events = 0;
    if (cts != cts_) events |= ComEventBit(evCTS);
    if (dsr != dsr_) events |= ComEventBit(evDSR);
    cts_ = cts;
    dsr_ = dsr;
    events &= mask_;
    if (events != 0 && sink_) sink_(events);
  }

  MemoryLine::End& end_;
  Clock& clock_;
  bool open_ = false;
  TComBuffer buffer_;
  ComLineSettings settings_;
  TComTimeouts timeouts_;
  std::string tx_;  // the transmit queue: written, not yet on the wire
  uint32_t last_tick_;
  uint64_t elapsed_ms_ = 0;
  uint64_t sent_until_us_ = 0;  // the queue's head starts its wire time here
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
