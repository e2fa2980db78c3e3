// kv4910-client: talks to a running print manager the way a point-of-sale program does. It finds
// the manager's window, registers itself, sends one request, prints every answer as
// "code value" and unregisters. Exit status: 0 answered, 1 no answer in time, 2 the manager is
// not running or the usage is wrong.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "client_options.h"
#include "base/system.h"
#include "platform/message_endpoint.h"

namespace {

using kv::MessageEndpoint;
using kv::MessagePeer;
using Steady = std::chrono::steady_clock;

void Fail(const std::string& text) {
  std::fprintf(stderr, "kv4910-client: %s\n", text.c_str());
}

// Waits up to `timeout_ms` for an answer with `code`, printing every answer that comes.
bool AwaitAnswer(MessageEndpoint& endpoint, uint32_t number, uint32_t code, int timeout_ms) {
  const auto deadline = Steady::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    while (auto m = endpoint.Receive()) {
      if (m->msg != number) continue;
      std::printf("%u %d\n", m->wparam, m->lparam);
      std::fflush(stdout);
      if (m->wparam == code) return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
    if (left.count() <= 0) return false;
    endpoint.WaitForMessage(static_cast<int>(left.count()));
  }
}

int Run(const kv::ClientOptions& options) {
  auto endpoint = kv::CreateMessageEndpoint();
  std::optional<MessagePeer> manager = endpoint->FindWindow(options.title);
  if (!manager) {
    Fail("the print manager is not running (no window \"" + options.title + "\"" +
         kv::WindowPlaceText(options.title) + ")");
    return 2;
  }
  const uint32_t number = endpoint->RegisterMessage(options.name);
  // The client's own window: where the answers go. Its handle is what the registration carries.
  const std::string own_title = "client-" + std::to_string(kv::CurrentProcessId());
  if (endpoint->Open(own_title) != kv::OpenResult::Opened) {
    Fail("cannot create the window \"" + own_title + "\"" + kv::WindowPlaceText(own_title) +
         ": " + endpoint->Problem());
    return 2;
  }
  const int32_t handle = endpoint->OwnHandle();
  const int timeout = kv::DefaultClientTimeout(options);

  if (!endpoint->Post(*manager, number, 0, handle)) {
    Fail("the print manager went away");
    return 2;
  }
  int status = 0;
  if (!AwaitAnswer(*endpoint, number, 0, timeout)) {
    Fail("no answer to the registration within " + std::to_string(timeout) + " ms");
    status = 1;
  } else if (!options.register_only) {
    endpoint->Post(*manager, number, options.code, options.value);
    if (!AwaitAnswer(*endpoint, number, options.code, timeout)) {
      Fail("no answer within " + std::to_string(timeout) + " ms");
      status = 1;
    }
  }
  endpoint->Post(*manager, number, 0, 0);  // unregister
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kv::kClientUsage, stdout);
    return 0;
  }
  std::string error;
  auto options = kv::ParseClientOptions(args, error);
  if (!options) {
    Fail(error);
    std::fputs(kv::kClientUsage, stderr);
    return 2;
  }
  return Run(*options);
}
