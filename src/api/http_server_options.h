#pragma once

#include <string>

#include "api/http_server.h"
#include "api/http_settings.h"

namespace kv {

class RunCounters;
struct Config;

// The server's options from the section HTTP and the running settings: the tokens, the
// counters, and what /metrics looks at on the server's thread (the error file `error_file` and
// the input folder, their paths taken now, on the main thread).
HttpServer::Options ServerOptionsFor(const HttpSettings& settings, const Config& cfg,
                                     RunCounters& counters, const std::string& error_file);

}  // namespace kv
