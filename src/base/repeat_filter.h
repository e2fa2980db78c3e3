#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Keeps a log from filling up with the lines of a loop that keeps failing: a line, or a cycle
// of a few lines, written again and again. A line is written the first time; while it comes
// again among the last few written lines it is only counted. The count of a line is reported
// once the cycle breaks (a line comes that is not among them, or the log stays quiet for a
// minute), every ten minutes while the repeats go on, and at Flush (the program ends). An
// event that comes back after a quiet minute is written again with its own time.
class RepeatFilter {
 public:
  struct Run {
    std::string line;
    int repeats = 0;  // how often the line came again since it was written or last reported
  };

  static constexpr size_t kCycle = 8;  // lines remembered: the longest cycle recognised
  static constexpr uint32_t kQuietMs = 60000;
  static constexpr uint32_t kReportEveryMs = 600000;

  // Takes the next line at `now_ms` (a millisecond tick count): true when it is to be written,
  // false when it is only counted. `report` receives the counts to write now (before the line
  // itself), oldest line first.
  bool Take(std::string_view line, uint32_t now_ms, std::vector<Run>& report);
  // Every count not reported yet; the remembered lines are forgotten.
  std::vector<Run> Flush();

 private:
  struct Entry {
    Run run;
    uint32_t since_ms;  // written or last reported
  };
  std::deque<Entry> recent_;
  uint32_t last_ms_ = 0;
};

}  // namespace kv
