#include "support/scripted_boxes.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

const char* Name(BoxAnswer answer) {
  static constexpr const char* kNames[] = {"Ok", "Cancel", "Yes", "No", "Retry", "Abort", "Ignore"};
  return kNames[static_cast<int>(answer)];
}

}  // namespace

ScriptedBoxes::~ScriptedBoxes() {
  for (const Expected& e : expected_) ADD_FAILURE() << "expected box never shown: " << e.fragment;
}

ScriptedBoxes& ScriptedBoxes::Expect(std::string fragment, BoxAnswer answer,
                                     std::optional<BoxAnswer> default_answer) {
  expected_.push_back({std::move(fragment), answer, default_answer});
  return *this;
}

BoxAnswer ScriptedBoxes::Show(const Box& box) {
  shown_.push_back(box);
  if (on_show) on_show(box);
  const std::string caption = BoxCaption(box);
  if (expected_.empty() && unseen_take_default) return DefaultAnswer(box);
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected box: [" << caption << "] " << box.text;
    return box.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel;
  }
  Expected next = expected_.front();
  expected_.pop_front();
  if (caption.find(next.fragment) == std::string::npos &&
      box.text.find(next.fragment) == std::string::npos)
    ADD_FAILURE() << "box [" << caption << "] " << box.text << " shown where one with \""
                  << next.fragment << "\" was expected";
  const BoxAnswer actual_default = DefaultAnswer(box);
  if (next.default_answer && *next.default_answer != actual_default)
    ADD_FAILURE() << "box [" << caption << "] " << box.text << " defaults to "
                  << Name(actual_default) << ", expected " << Name(*next.default_answer);
  if (!next.default_answer && ButtonAnswers(box.buttons).size() > 1)
    ADD_FAILURE() << "box [" << caption << "] " << box.text << " is a question: the script must "
                  << "state its default (it defaults to " << Name(actual_default) << ")";
  return next.answer;
}

}  // namespace kv::test
