#pragma once

namespace kv {

// Makes SIGTERM, SIGINT and SIGHUP end the Qt event loop normally (exit code 0), so the
// program closes its port and files as on any other quit.
void QuitOnTerminationSignals();
// True once such a signal has been handled: start-up boxes are no longer shown, and the
// message loop is not entered when the signal came before it.
bool TerminationRequested();

}  // namespace kv
