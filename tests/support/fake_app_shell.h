#pragma once

#include <string>
#include <vector>

#include "core/app_shell.h"

namespace kv::test {

// Records every title the program takes and every quit request.
class FakeAppShell final : public AppShell {
 public:
  void SetTitle(std::string_view title) override { titles.emplace_back(title); }
  std::string Title() const override { return titles.empty() ? std::string() : titles.back(); }
  void Quit() override { ++quit_requests; }

  std::vector<std::string> titles;
  int quit_requests = 0;
};

}  // namespace kv::test
