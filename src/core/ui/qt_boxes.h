#pragma once

#include <QWidget>

#include "core/operator_boxes.h"

namespace kv {

// Operator boxes as modal, topmost QMessageBoxes.
class QtOperatorBoxes final : public OperatorBoxes {
 public:
  BoxAnswer Show(const Box& box) override;
};

}  // namespace kv
