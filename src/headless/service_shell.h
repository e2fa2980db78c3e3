#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/app_shell.h"
#include "headless/stop_request.h"

namespace kv {

// The application shell of the service: keeps the title, remembers the quit request, and is
// ending once the system asked the service to stop, by a signal or console event, or through the
// program's window (`window_end_requested`, set once the window exists).
class ServiceShell final : public AppShell {
 public:
  void SetTitle(std::string_view title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void Quit() override { quit_requested_ = true; }
  bool Ending() const override {
    return quit_requested_ || StopRequested() || (window_end_requested && window_end_requested());
  }

  std::function<bool()> window_end_requested;

 private:
  std::string title_;
  bool quit_requested_ = false;
};

}  // namespace kv
