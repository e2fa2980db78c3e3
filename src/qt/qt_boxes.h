#pragma once

#include <QWidget>

#include "base/operator_boxes.h"

namespace kv {

// Operator boxes as modal, topmost QMessageBoxes.
// Without a screen a box is logged and takes its default answer.
class QtOperatorBoxes final : public OperatorBoxes {
 public:
  ~QtOperatorBoxes() override;
  BoxAnswer Show(const Box& box) override;
};

}  // namespace kv
