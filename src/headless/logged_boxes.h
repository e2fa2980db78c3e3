#pragma once

#include <cstdio>
#include <functional>

#include "base/clock.h"
#include "base/operator_boxes.h"
#include "base/repeat_filter.h"

namespace kv {

// The boxes of a program nobody watches: each takes its default button, what an operator who
// only presses Enter would do (retry questions retry, questions before irreversible printer
// commands say No), and is written to the log as one line. Once the program is ending, a
// question answers No and any other box Cancel. A box a failing loop shows again and again is
// written once, then as a count.
class LoggedBoxes final : public OperatorBoxes {
 public:
  // `ending`: true once the program is ending; `log`: where the lines go (stderr by default).
  LoggedBoxes(Clock& clock, std::function<bool()> ending, std::FILE* log = stderr)
      : clock_(clock), ending_(std::move(ending)), log_(log) {}
  ~LoggedBoxes() override;
  LoggedBoxes(const LoggedBoxes&) = delete;
  LoggedBoxes& operator=(const LoggedBoxes&) = delete;

  BoxAnswer Show(const Box& box) override;

 private:
  void WriteRepeats(const std::vector<RepeatFilter::Run>& runs);

  Clock& clock_;
  std::function<bool()> ending_;
  std::FILE* log_;
  RepeatFilter repeats_;
};

}  // namespace kv
