#include "platform/memory_line.h"

#include <algorithm>

namespace kv {

MemoryLine::MemoryLine(Clock& clock) : clock_(clock) {
  a_.line_ = this;
  a_.peer_ = &b_;
  b_.line_ = this;
  b_.peer_ = &a_;
}

void MemoryLine::End::Write(std::string_view bytes, uint32_t delay_ms) {
  WriteAt(bytes, line_->clock_.TickCount() + delay_ms);
}

void MemoryLine::End::WriteAt(std::string_view bytes, uint32_t arrival_tick) {
  if (bytes.empty()) return;
  // Bytes on one wire keep their order: a chunk never overtakes one sent before it.
  if (!peer_->incoming_.empty()) {
    const uint32_t last = peer_->incoming_.back().arrival;
    const uint32_t now = line_->clock_.TickCount();
    if (static_cast<int32_t>(arrival_tick - last) < 0 && static_cast<int32_t>(last - now) > 0)
      arrival_tick = last;
  }
  peer_->incoming_.push_back({arrival_tick, std::string(bytes)});
  if (peer_->on_receive_) peer_->on_receive_();
}

bool MemoryLine::End::Arrived(const Chunk& chunk) const {
  return static_cast<int32_t>(line_->clock_.TickCount() - chunk.arrival) >= 0;
}

size_t MemoryLine::End::Available() const {
  size_t count = 0;
  for (const Chunk& chunk : incoming_) {
    if (!Arrived(chunk)) break;
    count += chunk.bytes.size();
  }
  return count;
}

size_t MemoryLine::End::InFlight() const {
  size_t count = 0;
  for (const Chunk& chunk : incoming_)
    if (!Arrived(chunk)) count += chunk.bytes.size();
  return count;
}

std::string MemoryLine::End::Read(size_t max) {
  std::string out;
  while (out.size() < max && !incoming_.empty() && Arrived(incoming_.front())) {
    Chunk& chunk = incoming_.front();
    const size_t take = std::min(max - out.size(), chunk.bytes.size());
    out.append(chunk.bytes, 0, take);
    chunk.bytes.erase(0, take);
    if (chunk.bytes.empty()) incoming_.pop_front();
  }
  return out;
}

void MemoryLine::End::Purge() { incoming_.clear(); }

void MemoryLine::End::SetRts(bool on) {
  if (rts_ == on) return;
  rts_ = on;
  peer_->NotifyLines();
}

void MemoryLine::End::SetDtr(bool on) {
  if (dtr_ == on) return;
  dtr_ = on;
  peer_->NotifyLines();
}

bool MemoryLine::End::Cts() const { return forced_cts_.value_or(peer_->rts_); }
bool MemoryLine::End::Dsr() const { return forced_dsr_.value_or(peer_->dtr_); }

void MemoryLine::End::ForceCts(std::optional<bool> state) {
  forced_cts_ = state;
  NotifyLines();
}

void MemoryLine::End::ForceDsr(std::optional<bool> state) {
  forced_dsr_ = state;
  NotifyLines();
}

void MemoryLine::End::Unplug(bool out) {
  unplugged_ = out;
  if (out) Purge();
}

void MemoryLine::End::NotifyLines() const {
  if (on_lines_) on_lines_();
}

}  // namespace kv
