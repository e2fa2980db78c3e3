#include "client_options.h"

#include <charconv>

namespace kv {

namespace {

bool ParseNumber(const std::string& text, long long min, long long max, long long& out) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto [ptr, ec] = std::from_chars(begin, end, out);
  return !text.empty() && ec == std::errc() && ptr == end && out >= min && out <= max;
}

}  // namespace

std::optional<ClientOptions> ParseClientOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  ClientOptions options;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; i += 2) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) {
      error = option + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[i + 1];
    if (option == "--title") {
      options.title = value;
    } else if (option == "--name") {
      options.name = value;
    } else if (option == "--timeout") {
      long long ms = 0;
      if (!ParseNumber(value, 1, 3600000, ms)) {
        error = "--timeout takes milliseconds from 1 to 3600000";
        return std::nullopt;
      }
      options.timeout_ms = static_cast<int>(ms);
    } else {
      error = "unknown option " + option;
      return std::nullopt;
    }
  }
  if (options.title.empty() || options.name.empty()) {
    error = "the title and the message name must not be empty";
    return std::nullopt;
  }
  if (i >= args.size()) {
    error = "no command";
    return std::nullopt;
  }

  const std::string& command = args[i++];
  size_t operands = 0;
  if (command == "register") {
    options.register_only = true;
  } else if (command == "print") {
    options.code = 1;
  } else if (command == "info") {
    options.code = 2;
  } else if (command == "status") {
    options.code = 3;
  } else if (command == "send") {
    long long code = 0;
    if (i >= args.size() || !ParseNumber(args[i], 0, UINT32_MAX, code)) {
      error = "send needs a CODE from 0 to 4294967295";
      return std::nullopt;
    }
    options.code = static_cast<uint32_t>(code);
    operands = 1;
    long long value = 0;
    if (i + 1 < args.size()) {
      if (!ParseNumber(args[i + 1], INT32_MIN, INT32_MAX, value)) {
        error = "VALUE must be a 32-bit signed number";
        return std::nullopt;
      }
      options.value = static_cast<int32_t>(value);
      operands = 2;
    }
  } else {
    error = "unknown command " + command;
    return std::nullopt;
  }
  if (i + operands != args.size()) {
    error = "too many arguments";
    return std::nullopt;
  }
  return options;
}

int DefaultClientTimeout(const ClientOptions& options) {
  if (options.timeout_ms > 0) return options.timeout_ms;
  bool slow = !options.register_only && (options.code == 1 || options.code == 2);
  return slow ? 10000 : 5000;
}

}  // namespace kv
