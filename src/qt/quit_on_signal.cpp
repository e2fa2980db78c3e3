#include "qt/quit_on_signal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <QSocketNotifier>
#include <csignal>

namespace kv {

namespace {

int g_signal_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_terminating = 0;

void OnSignal(int) {
  const char byte = 1;
  // Only async-signal-safe work here: note the request (so a box or a start-up step that runs
  // outside the message loop sees it at once) and wake the event loop through the socket.
  g_terminating = 1;
  [[maybe_unused]] ssize_t n = write(g_signal_pipe[1], &byte, 1);
}

}  // namespace

bool TerminationRequested() { return g_terminating != 0; }

void QuitOnTerminationSignals() {
  if (g_signal_pipe[0] >= 0) return;
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pipe) != 0) return;
  auto* notifier =
      new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char byte;
    [[maybe_unused]] ssize_t n = read(g_signal_pipe[0], &byte, 1);
    g_terminating = 1;
    // Before the message loop runs (start-up) quit() does nothing: close the box that waits
    // for an answer instead; the boxes after it are not shown.
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

}  // namespace kv
