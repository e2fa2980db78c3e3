#pragma once

#include <string>
#include <string_view>

namespace kv {

// The application object as the print manager sees it: its title (the name other programs
// find it by) and the request to quit, which takes effect once the message loop runs.
class AppShell {
 public:
  virtual ~AppShell() = default;
  // The title is cp1250 bytes.
  virtual void SetTitle(std::string_view title) = 0;
  virtual std::string Title() const = 0;
  virtual void Quit() = 0;
  // True once the program is ending: a termination signal came, or it asked itself to quit
  // (terminate marker, second instance). Retry loops and long waits end when they see it.
  virtual bool Ending() const = 0;
};

// An application without a window system: keeps the title and remembers the quit request.
class HeadlessAppShell final : public AppShell {
 public:
  void SetTitle(std::string_view title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void Quit() override { quit_requested_ = true; }
  bool Ending() const override { return quit_requested_; }
  bool quit_requested() const { return quit_requested_; }

 private:
  std::string title_;
  bool quit_requested_ = false;
};

// The shell of a print manager object created without an application (tools, tests).
inline AppShell& DetachedAppShell() {
  static HeadlessAppShell shell;
  return shell;
}

}  // namespace kv
