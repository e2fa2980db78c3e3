#include "sim/line_stats.h"

#include <chrono>

#include "sim/records.h"

namespace kv::sim {

uint64_t MonotonicUs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void LineStats::Mark(const Engine& engine, uint64_t now_us) {
  *this = LineStats{};
  since_us_ = now_us;
  base_ = engine.tally();
}

void LineStats::Note(Event& event, uint64_t now_us) const {
  if (event.us == 0) event = Event{now_us, in_, out_};
}

void LineStats::Received(const Engine& engine, size_t count, uint64_t now_us) {
  if (count == 0) return;
  in_ += count;
  last_in_us_ = now_us;
  Note(first_in_, now_us);
  if (engine.tally().status_queries > base_.status_queries) Note(first_status_, now_us);
  if (engine.tally().documents_opened > base_.documents_opened) Note(first_open_, now_us);
}

void LineStats::Sent(size_t count, uint64_t now_us) {
  if (count == 0) return;
  out_ += count;
  last_out_us_ = now_us;
}

std::string LineStats::Line(const Engine& engine, uint64_t now_us) const {
  using ull = unsigned long long;
  const Engine::Tally& t = engine.tally();
  return Fmt(
      "since_us %llu now_us %llu in %llu out %llu first_in_us %llu last_in_us %llu "
      "last_out_us %llu status %llu first_status_us %llu first_status_in %llu "
      "first_status_out %llu records %llu opened %llu first_open_us %llu first_open_in %llu "
      "first_open_out %llu",
      ull{since_us_}, ull{now_us}, ull{in_}, ull{out_}, ull{first_in_.us}, ull{last_in_us_},
      ull{last_out_us_}, ull{t.status_queries - base_.status_queries}, ull{first_status_.us},
      ull{first_status_.in}, ull{first_status_.out}, ull{t.device_records - base_.device_records},
      ull{t.documents_opened - base_.documents_opened}, ull{first_open_.us}, ull{first_open_.in},
      ull{first_open_.out});
}

}  // namespace kv::sim
