#include "headless/logged_boxes.h"

#include <string>
#include <vector>

#include "lang/codepage.h"

namespace kv {

namespace {

constexpr const char* kAnswerNames[] = {"Ok", "Cancel", "Yes", "No", "Retry", "Abort", "Ignore"};

}  // namespace

LoggedBoxes::~LoggedBoxes() {
  WriteRepeats(repeats_.Flush());
}

BoxAnswer LoggedBoxes::Show(const Box& box) {
  BoxAnswer answer = DefaultAnswer(box);
  if (ending_ && ending_())
    answer = box.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel;
  const std::string line = "kv4910: box [" + Cp1250ToUtf8(BoxCaption(box)) + "] " +
                           Cp1250ToUtf8(box.text) + " -> " +
                           kAnswerNames[static_cast<int>(answer)];
  std::vector<RepeatFilter::Run> repeated;
  const bool fresh = repeats_.Take(line, clock_.TickCount(), repeated);
  WriteRepeats(repeated);
  if (fresh) std::fprintf(log_, "%s\n", line.c_str());
  std::fflush(log_);
  return answer;
}

void LoggedBoxes::WriteRepeats(const std::vector<RepeatFilter::Run>& runs) {
  for (const RepeatFilter::Run& run : runs)
    std::fprintf(log_, "%s (%d more times)\n", run.line.c_str(), run.repeats);
}

}  // namespace kv
