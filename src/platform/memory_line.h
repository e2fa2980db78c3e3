#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace kv {

// An in-memory null-modem cable with two ends. Bytes written at one end become readable at
// the other once the clock reaches their arrival tick (a delay models a slow device or the
// line speed). Each end's RTS shows as the peer's CTS and DTR as the peer's DSR, unless a test
// forces a line. Single-threaded: the receive hook runs inside the peer's Write, which is how
// an in-process device answers "at once" or schedules a delayed answer.
class MemoryLine {
 public:
  class End {
   public:
    // Sends bytes to the peer; they arrive `delay_ms` after now.
    void Write(std::string_view bytes, uint32_t delay_ms = 0);
    // Sends bytes to the peer to arrive at an absolute tick (for pacing byte after byte).
    void WriteAt(std::string_view bytes, uint32_t arrival_tick);
    // Bytes that have arrived here by now.
    size_t Available() const;
    // Bytes still travelling towards this end.
    size_t InFlight() const;
    // Takes up to `max` arrived bytes.
    std::string Read(size_t max);
    // Drops every byte arrived or travelling towards this end.
    void Purge();

    void SetRts(bool on);
    void SetDtr(bool on);
    bool Rts() const { return rts_; }
    bool Dtr() const { return dtr_; }
    // What this end sees on its inputs: the peer's RTS and DTR, unless forced.
    bool Cts() const;
    bool Dsr() const;
    void ForceCts(std::optional<bool> state);
    void ForceDsr(std::optional<bool> state);
    // An adapter pulled out (true) or plugged in again: a port on this end fails while it is
    // out. Bytes on the wire are lost.
    void Unplug(bool out);
    bool Unplugged() const { return unplugged_; }

    // Called after the peer writes (the bytes may not have arrived yet).
    void OnReceive(std::function<void()> hook) { on_receive_ = std::move(hook); }
    // Called after CTS or DSR as seen by this end may have changed.
    void OnLinesChanged(std::function<void()> hook) { on_lines_ = std::move(hook); }

   private:
    friend class MemoryLine;
    struct Chunk {
      uint32_t arrival;
      std::string bytes;
    };
    bool Arrived(const Chunk& chunk) const;
    void NotifyLines() const;

    MemoryLine* line_ = nullptr;
    End* peer_ = nullptr;
    std::deque<Chunk> incoming_;
    bool rts_ = false;
    bool dtr_ = false;
    std::optional<bool> forced_cts_;
    std::optional<bool> forced_dsr_;
    bool unplugged_ = false;
    std::function<void()> on_receive_;
    std::function<void()> on_lines_;
  };

  explicit MemoryLine(Clock& clock);
  MemoryLine(const MemoryLine&) = delete;
  MemoryLine& operator=(const MemoryLine&) = delete;

  End& a() { return a_; }
  End& b() { return b_; }
  Clock& clock() { return clock_; }

 private:
  Clock& clock_;
  End a_;
  End b_;
};

}  // namespace kv
