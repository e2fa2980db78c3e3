#include <QApplication>
#include <cstring>

#include "core/ui/main_window.h"
#include "core/ui/quit_on_signal.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("HX4900");
  kv::QuitOnTerminationSignals();

  kv::MainWindow main_window;
  bool no_hide = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "/nohide") == 0 || std::strcmp(argv[i], "/NOHIDE") == 0)
      no_hide = true;
  if (no_hide) main_window.show();

  return QApplication::exec();
}
