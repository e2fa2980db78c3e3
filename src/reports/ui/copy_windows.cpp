#include "reports/ui/copy_windows.h"

#include "reports/ui/form_copy.h"

namespace kv {

CopyWindows::CopyWindows(Parts parts) : line_(parts.link) {
  form_ = std::make_unique<TForm_copy>(CopyWindowServices{
      line_, parts.clock, parts.messages, parts.boxes, std::move(parts.local_time),
      std::move(parts.on_close)});
}

CopyWindows::~CopyWindows() = default;

void CopyWindows::ShowCopiesWindow() {
  form_->ShowModal();
}

bool CopyWindows::CopiesWindowVisible() const {
  return form_->isVisible();
}

}  // namespace kv
