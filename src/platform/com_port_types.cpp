#include "platform/com_port_types.h"

#include <cstdio>
#include <string>

namespace kv {

uint32_t BaudRateValue(TBaudRate rate) {
  static constexpr uint32_t kValues[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                         14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  const int index = static_cast<int>(rate);
  if (index < 0 || index >= static_cast<int>(sizeof kValues / sizeof kValues[0])) return 0;
  return kValues[index];
}

const char* EComPort::Message(int code) {
  switch (code) {
    case kComOpenFailed:
      return "Unable to open com port";
    case kComWriteFailed:
      return "WriteFile function failed";
    case kComReadFailed:
      return "ReadFile function failed";
    case kComInvalidAsync:
      return "Invalid Async parameter";
    case kComPurgeFailed:
      return "PurgeComm function failed";
    case kComAsyncStatusFailed:
      return "Unable to get async status";
    case kComSetStateFailed:
      return "SetCommState function failed";
    case kComSetTimeoutsFailed:
      return "SetCommTimeouts failed";
    case kComSetupFailed:
      return "SetupComm function failed";
    case kComStatusFailed:
      return "ClearCommError function failed";
    case kComModemStatusFailed:
      return "GetCommModemStatus function failed";
    case kComEscapeFailed:
      return "EscapeCommFunction function failed";
    case kComConnectedProperty:
      return "Cannot set property while connected";
    case kComPortListFailed:
      return "Registry error";
    default:
      return "";
  }
}

namespace {
std::string ErrorText(int code, int os_error) {
  char number[32];
  std::snprintf(number, sizeof number, " (win error code: %d)", os_error);
  return std::string(EComPort::Message(code)) + number;
}
}  // namespace

EComPort::EComPort(int code, int os_error)
    : std::runtime_error(ErrorText(code, os_error)), code_(code), os_error_(os_error) {}

}  // namespace kv
