#include "support/scripted_boxes.h"

#include <gtest/gtest.h>

namespace kv::test {

ScriptedBoxes::~ScriptedBoxes() {
  for (const Expected& e : expected_) ADD_FAILURE() << "expected box never shown: " << e.fragment;
}

ScriptedBoxes& ScriptedBoxes::Expect(std::string fragment, BoxAnswer answer) {
  expected_.push_back({std::move(fragment), answer});
  return *this;
}

BoxAnswer ScriptedBoxes::Show(const Box& box) {
  shown_.push_back(box);
  const std::string caption = BoxCaption(box);
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
  return next.answer;
}

}  // namespace kv::test
