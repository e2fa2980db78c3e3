#pragma once

#include "api/http_server.h"
#include "api/http_settings.h"

namespace kv {

class TSRB4900;

// The server's options from the section HTTP and the program: the tokens, the counters, and
// what /metrics looks at on the server's thread (FM_err.txt and the input folder, their paths
// taken now, on the main thread).
HttpServer::Options ServerOptionsFor(const HttpSettings& settings, TSRB4900& pm);

}  // namespace kv
