#include "reports/ui/copy_windows.h"

#include "core/print_manager.h"
#include "reports/ui/form_copy.h"

namespace kv {

CopyWindows::CopyWindows(TSRB4900& pm) : line_(pm.link()) {
  form_ = std::make_unique<TForm_copy>(CopyWindowServices{
      line_, pm.clock(), pm.lang().messages(), pm.boxes(), [&pm] { return pm.LocalTime(); },
      [&pm] {
        if (!pm.config().spravy) pm.timer_prmgr().SetEnabled(true);
      }});
}

CopyWindows::~CopyWindows() = default;

void CopyWindows::ShowCopiesWindow() {
  form_->ShowModal();
}

bool CopyWindows::CopiesWindowVisible() const {
  return form_->isVisible();
}

}  // namespace kv
