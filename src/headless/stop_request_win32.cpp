#include <windows.h>

#include <atomic>

#include "headless/stop_request.h"

namespace kv {

namespace {

std::atomic<bool> g_stop_requested{false};
HANDLE g_finished = nullptr;  // set once the service has closed its port and files

// The system gives a console close, log-off or shutdown 5 seconds before it ends the process.
constexpr DWORD kCloseWaitMs = 4500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      g_stop_requested = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_stop_requested = true;
      // The process ends when this returns: give the loop the time to finish first.
      if (g_finished) WaitForSingleObject(g_finished, kCloseWaitMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void HandleStopRequests() {
  g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() {
  return g_stop_requested;
}

void StopFinished() {
  if (g_finished) SetEvent(g_finished);
}

}  // namespace kv
