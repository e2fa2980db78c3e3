#include "headless/service.h"

#include <cstdio>

namespace kv {

Service::Service(std::vector<std::string> args, std::string exe_dir)
    : args_(std::move(args)), exe_dir_(std::move(exe_dir)) {
  shell_.SetTitle("HX4900");
  print_manager_ = std::make_unique<TSRB4900>(
      PrintManagerServices{clock_, boxes_, view_, timer_prmgr_, timer_msg_, shell_});
  timer_prmgr_.on_tick = [this] { print_manager_->Timer_prmgrTimer(); };
  timer_msg_.on_tick = [this] { print_manager_->Timer_msgTimer(); };
  loop_.wait = [this](uint32_t ms) { WaitForArrivals(ms); };
  loop_.take_arrivals = [this] { TakeArrivals(); };
  shell_.window_end_requested = [this] {
    MessageEndpoint* endpoint = print_manager_->client_messaging().endpoint();
    return endpoint && endpoint->IsOpen() && endpoint->EndRequested();
  };
}

bool Service::Start() {
  TSRB4900& pm = *print_manager_;
  pm.FormCreate(exe_dir_);
  pm.LoadLanguage(false, true, false);
  pm.StartupSequence(args_);
  pm.LoadLanguage(true, true, true);
  if (Ending()) return false;
  if (!pm.StartupMessaging()) return false;
  if (Ending()) return false;
  pm.StartupLinkSteps();
  if (Ending()) return false;
  pm.HandleLeftoverInput();
  // Requests that came during start-up have waited until now.
  pm.TakeClientMessages();
  std::fprintf(stderr, "kv4910: start-up finished\n");
  std::fflush(stderr);
  return true;
}

void Service::Run() {
  loop_.Run([this] { return Ending(); });
}

// Client messages cut the wait short where the message endpoint can wait for them.
void Service::WaitForArrivals(uint32_t ms) {
  ClientMessaging& client = print_manager_->client_messaging();
  if (client.endpoint() && client.endpoint()->IsOpen() && client.messaging() &&
      client.messaging()->TakingMessages())
    client.endpoint()->WaitForMessage(static_cast<int>(ms));
  else
    clock_.Sleep(ms);
}

void Service::TakeArrivals() {
  Messaging* messaging = print_manager_->client_messaging().messaging();
  if (messaging && messaging->TakingMessages()) messaging->ProcessPending();
}

}  // namespace kv
