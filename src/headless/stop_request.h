#pragma once

namespace kv {

// The system's requests to end the service: SIGINT, SIGTERM and SIGHUP on POSIX; Ctrl+C,
// Ctrl+Break, closing the console, logging off and shutting down on Windows
// (stop_request_posix.cpp, stop_request_win32.cpp).

// Installs the handlers; call once, early.
void HandleStopRequests();
// True once such a request came.
bool StopRequested();
// The service has closed its port and files. On Windows the system ends the process as soon as
// the handler of a console close returns, so that handler waits (bounded) for this.
void StopFinished();

}  // namespace kv
