#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_enum.h"
#include "platform/serial_win32.h"

namespace kv {
namespace {

// Every call's failure carries its own code; a transfer that ran out of time or was cancelled
// and a device without modem lines are not failures.
TEST(Win32ComErrors, EachCallMapsTheSystemErrorToItsCode) {
  struct Case {
    ComCall call;
    DWORD error;
    std::optional<int> code;
  };
  const Case cases[] = {
      {ComCall::Open, ERROR_FILE_NOT_FOUND, 1},
      {ComCall::Open, ERROR_ACCESS_DENIED, 1},  // held by another program
      {ComCall::Open, ERROR_INVALID_PARAMETER, 1},
      {ComCall::Write, ERROR_GEN_FAILURE, 2},  // the adapter was pulled out
      {ComCall::Write, ERROR_OPERATION_ABORTED, std::nullopt},
      {ComCall::Write, ERROR_SEM_TIMEOUT, std::nullopt},
      {ComCall::Read, ERROR_BAD_COMMAND, 3},
      {ComCall::Read, ERROR_OPERATION_ABORTED, std::nullopt},
      {ComCall::Read, ERROR_TIMEOUT, std::nullopt},
      {ComCall::Read, ERROR_NOT_SUPPORTED, 3},
      {ComCall::Purge, ERROR_OPERATION_ABORTED, 5},
      {ComCall::SetState, ERROR_INVALID_PARAMETER, 7},  // a speed the device refuses
      {ComCall::SetTimeouts, ERROR_INVALID_PARAMETER, 8},
      {ComCall::Setup, ERROR_NOT_ENOUGH_MEMORY, 9},
      {ComCall::Status, ERROR_ACCESS_DENIED, 10},
      {ComCall::ModemStatus, ERROR_ACCESS_DENIED, 11},
      {ComCall::ModemStatus, ERROR_NOT_SUPPORTED, std::nullopt},
      {ComCall::ModemStatus, ERROR_INVALID_PARAMETER, std::nullopt},
      {ComCall::Escape, ERROR_GEN_FAILURE, 12},
      {ComCall::Escape, ERROR_INVALID_FUNCTION, std::nullopt},
      {ComCall::Escape, ERROR_SEM_TIMEOUT, 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComErrorCode(c.call, c.error), c.code)
        << "call " << static_cast<int>(c.call) << ", error " << c.error;
  }
}

TEST(Win32ComErrors, APortThatDoesNotExistFailsToOpenWithTheSystemError) {
  auto backend = MakeSystemComBackend();
  try {
    backend->Open("COM199");
    FAIL() << "COM199 opened";
  } catch (const EComPort& error) {
    EXPECT_EQ(error.Code(), kComOpenFailed);
    EXPECT_EQ(error.WinCode(), ERROR_FILE_NOT_FOUND);
  }
}

TEST(Win32PortList, PortsAreInTheOrderOfTheirNumbers) {
  std::vector<std::string> ports = {"COM10", "COM2", "COM1", "COM12", "COM9", "CNCA0", "COM003"};
  std::sort(ports.begin(), ports.end(), PortNameBefore);
  const std::vector<std::string> expected = {"CNCA0", "COM1",  "COM2", "COM003",
                                             "COM9",  "COM10", "COM12"};
  EXPECT_EQ(ports, expected);
}

}  // namespace
}  // namespace kv
