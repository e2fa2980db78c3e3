#include <QStringList>
#include <exception>
#include <string>
#include <vector>

#include "core/ui/application.h"
#include "core/ui/guarded_application.h"
#include "core/ui/quit_on_signal.h"
#include "core/ui/screenshots.h"

int main(int argc, char* argv[]) {
  kv::GuardedApplication qt(argc, argv);
  kv::QuitOnTerminationSignals();

  std::vector<std::string> args;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  std::string error;
  int code = 0;
  try {
    kv::Application app(std::move(args), QCoreApplication::applicationDirPath().toStdString());
    try {
      app.Start();
      // Single instance, client messages, connecting to the printer, a leftover input file.
      if (!kv::TerminationRequested() && !app.FinishStartup()) return 0;
      kv::ScheduleScreenshots(app.main_window());  // only when the environment asks for them
      // A termination signal during start-up has already ended the program's work.
      code = kv::TerminationRequested() ? 0 : QApplication::exec();
      error = qt.escaped_error();
    } catch (const std::exception& e) {
      error = e.what();
    }
    if (!error.empty()) app.print_manager().files().LogError("Program skoncil chybou: " + error);
  } catch (const std::exception& e) {
    error = e.what();
  }
  // The print manager, and with it the serial port, has been closed by now.
  if (!error.empty()) {
    kv::ShowEscapedError(error);
    return 1;
  }
  return code;
}
