#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/operator_boxes.h"

namespace kv::test {

// Operator boxes answered from a script. Each expected box names a piece of its text (or
// caption) and the answer to give. A box that was not expected, or an expected box that never
// came, fails the running test.
class ScriptedBoxes final : public OperatorBoxes {
 public:
  ~ScriptedBoxes() override;

  // Expects a box whose caption or text contains `fragment` (empty matches any box).
  ScriptedBoxes& Expect(std::string fragment, BoxAnswer answer = BoxAnswer::Ok);
  BoxAnswer Show(const Box& box) override;

  const std::vector<Box>& shown() const { return shown_; }
  size_t pending() const { return expected_.size(); }
  // Forgets expectations that did not come (when a test checks that on its own).
  void Clear() { expected_.clear(); }

 private:
  struct Expected {
    std::string fragment;
    BoxAnswer answer;
  };
  std::deque<Expected> expected_;
  std::vector<Box> shown_;
};

}  // namespace kv::test
