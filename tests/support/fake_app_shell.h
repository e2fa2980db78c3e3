#pragma once

#include <string>
#include <vector>

#include "base/app_shell.h"

namespace kv::test {

// Records every title the program takes and every quit request.
class FakeAppShell final : public AppShell {
 public:
  void SetTitle(std::string_view title) override { titles.emplace_back(title); }
  std::string Title() const override { return titles.empty() ? std::string() : titles.back(); }
  void Quit() override { ++quit_requests; }
  bool Ending() const override { return quit_requests > 0 || terminating; }

  std::vector<std::string> titles;
  int quit_requests = 0;
  bool terminating = false;  // a termination signal as the program would see it
};

}  // namespace kv::test
