#include <windows.h>

#include "platform/serial_win32.h"

namespace kv {

namespace {

int CodeOf(ComCall call) {
  switch (call) {
    case ComCall::Open:
      return kComOpenFailed;
    case ComCall::Setup:
      return kComSetupFailed;
    case ComCall::SetState:
      return kComSetStateFailed;
    case ComCall::SetTimeouts:
      return kComSetTimeoutsFailed;
    case ComCall::Write:
      return kComWriteFailed;
    case ComCall::Read:
      return kComReadFailed;
    case ComCall::Status:
      return kComStatusFailed;
    case ComCall::Purge:
      return kComPurgeFailed;
    case ComCall::ModemStatus:
      return kComModemStatusFailed;
    case ComCall::Escape:
      return kComEscapeFailed;
  }
  return kComInvalidAsync;
}

// A transfer the driver ended on its time-out, or that the backend cancelled on an abort: it
// returns the bytes it moved.
bool TransferEnded(DWORD error) {
  return error == ERROR_OPERATION_ABORTED || error == ERROR_SEM_TIMEOUT ||
         error == WAIT_TIMEOUT || error == ERROR_TIMEOUT;
}

}  // namespace

bool NoModemLines(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER;
}

std::optional<int> ComErrorCode(ComCall call, DWORD error) {
  const bool transfer = call == ComCall::Read || call == ComCall::Write;
  if (transfer && TransferEnded(error)) return std::nullopt;
  const bool modem = call == ComCall::ModemStatus || call == ComCall::Escape;
  if (modem && NoModemLines(error)) return std::nullopt;
  return CodeOf(call);
}

}  // namespace kv
