#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/print_manager.h"
#include "headless/event_loop.h"
#include "headless/logged_boxes.h"
#include "headless/loop_timer.h"
#include "headless/null_view.h"
#include "headless/service_shell.h"
#include "platform/clock.h"

namespace kv {

// The print manager without windows: input files, client messages, result files, journal and
// error file, driven by the headless event loop. Its boxes take their default and are logged.
class Service {
 public:
  // `args`: the command line parameters without the program name; `exe_dir`: the directory of
  // the program file (the program directory unless KV4910_HOME names another).
  Service(std::vector<std::string> args, std::string exe_dir);
  // The shell stops asking the window before the print manager, which owns it, goes.
  ~Service() { shell_.window_end_requested = nullptr; }
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // The start-up sequence in the order the windowed program runs it. False when the service is
  // not to run on: another instance runs, or a stop request came during start-up.
  bool Start();
  // Serves until the terminate marker, a quit or a stop request ends it.
  void Run();
  bool Ending() const { return shell_.Ending(); }

  TSRB4900& print_manager() { return *print_manager_; }

 private:
  void WaitForArrivals(uint32_t ms);
  void TakeArrivals();

  std::vector<std::string> args_;
  std::string exe_dir_;
  SystemClock clock_;
  ServiceShell shell_;
  LoggedBoxes boxes_{clock_, [this] { return shell_.Ending(); }};
  NullView view_;
  LoopTimer timer_prmgr_{clock_, 1000};  // until the settings give the polling period
  LoopTimer timer_msg_{clock_, 250};
  std::unique_ptr<TSRB4900> print_manager_;
  EventLoop loop_{clock_, {&timer_prmgr_, &timer_msg_}};
};

}  // namespace kv
