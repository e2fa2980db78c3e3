#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// What kv4910-client was asked to do.
struct ClientOptions {
  std::string title = "KV4910S";  // the print manager's window title
  std::string name = "KV4910";    // the message name
  int timeout_ms = 0;             // per wait; 0 = the command's default
  bool register_only = false;     // "register": register, then unregister
  uint32_t code = 0;              // request code for print (1), info (2), status (3), send
  int32_t value = 0;
};

inline constexpr const char* kClientUsage =
    "usage: kv4910-client [--title T] [--name N] [--timeout MS] "
    "register | print | info | status | send CODE [VALUE]\n";

// Parses the arguments after the program name; nothing (and a reason) on bad usage.
std::optional<ClientOptions> ParseClientOptions(const std::vector<std::string>& args,
                                                std::string& error);

// A receipt can take long: print and info wait 10 s by default, the rest 5 s.
int DefaultClientTimeout(const ClientOptions& options);

}  // namespace kv
