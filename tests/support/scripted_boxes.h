#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/operator_boxes.h"

namespace kv::test {

// Operator boxes answered from a script. Each expected box names a piece of its text (or
// caption), the answer to give and, for a box with more than one button, the answer of its
// default button (what the box takes when nobody can see it). A box that was not expected, an
// expected box that never came, a question whose default differs from the script, or a
// question whose entry does not state its default fails the running test.
class ScriptedBoxes final : public OperatorBoxes {
 public:
  ~ScriptedBoxes() override;

  // Expects a box whose caption or text contains `fragment` (empty matches any box).
  ScriptedBoxes& Expect(std::string fragment, BoxAnswer answer = BoxAnswer::Ok,
                        std::optional<BoxAnswer> default_answer = std::nullopt);
  // Expects a box that nobody answers: it takes its default, which must be `default_answer`.
  ScriptedBoxes& ExpectUnseen(std::string fragment, BoxAnswer default_answer) {
    return Expect(std::move(fragment), default_answer, default_answer);
  }
  BoxAnswer Show(const Box& box) override;

  const std::vector<Box>& shown() const { return shown_; }
  // Called with every box before it is answered (a test can act at that moment).
  std::function<void(const Box&)> on_show;
  size_t pending() const { return expected_.size(); }
  // Boxes beyond the script take their default answer, as nobody sees them (no screen).
  bool unseen_take_default = false;
  // Forgets expectations that did not come (when a test checks that on its own).
  void Clear() { expected_.clear(); }

 private:
  struct Expected {
    std::string fragment;
    BoxAnswer answer;
    std::optional<BoxAnswer> default_answer;
  };
  std::deque<Expected> expected_;
  std::vector<Box> shown_;
};

}  // namespace kv::test
