#include <csignal>
#include <initializer_list>

#include "headless/stop_request.h"

namespace kv {

namespace {

volatile sig_atomic_t g_stop_requested = 0;

void OnStopSignal(int) {
  g_stop_requested = 1;
}

}  // namespace

void HandleStopRequests() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopRequested() {
  return g_stop_requested != 0;
}

void StopFinished() {}

}  // namespace kv
