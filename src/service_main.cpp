// kv4910-service: the print manager without windows. It runs per user, at logon, and serves
// the input file and the client messages until the terminate marker or a stop request.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "headless/executable_dir.h"
#include "headless/service.h"
#include "headless/stop_request.h"

int main(int argc, char* argv[]) {
  kv::HandleStopRequests();
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string exe_dir = kv::ExecutableDir();
  if (exe_dir.empty()) exe_dir = std::filesystem::current_path().string();

  int code = 0;
  try {
    kv::Service service(args, exe_dir);
    try {
      if (service.Start()) service.Run();
    } catch (const std::exception& e) {
      service.print_manager().files().LogError(std::string("Program skoncil chybou: ") + e.what());
      std::fprintf(stderr, "kv4910: %s\n", e.what());
      code = 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv4910: %s\n", e.what());
    code = 1;
  }
  // The print manager, and with it the serial port, has been closed by now.
  kv::StopFinished();
  return code;
}
