#pragma once

#include "base/app_shell.h"

namespace kv {

// The Qt application object behind the AppShell seam: the title is the application name, and
// a quit request is queued so that it also holds when made before the message loop runs.
class QtAppShell final : public AppShell {
 public:
  void SetTitle(std::string_view title) override;
  std::string Title() const override;
  void Quit() override;
  bool Ending() const override;
  // The program asked to quit (terminate marker, second instance): its windows close without
  // the operator's close query.
  bool quitting() const { return quitting_; }

 private:
  bool quitting_ = false;
};

}  // namespace kv
