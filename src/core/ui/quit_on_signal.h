#pragma once

namespace kv {

// Makes SIGTERM, SIGINT and SIGHUP end the Qt event loop normally (exit code 0), so the
// program closes its port and files as on any other quit.
void QuitOnTerminationSignals();

}  // namespace kv
