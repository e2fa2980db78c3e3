#include <QStringList>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/command_line_options.h"
#include "app/application.h"
#include "qt/guarded_application.h"
#include "qt/quit_on_signal.h"
#include "app/screenshots.h"
#include "platform/program_home.h"

int main(int argc, char* argv[]) {
  // The options that only report or set something up need no screen.
  const std::vector<std::string> options(argv + 1, argv + argc);
  if (const std::optional<int> code = kv::RunCommandLineOption(
          options, {KV4910_PACKAGE_VERSION, kv::ExecutablePath()}, std::cout, std::cerr))
    return *code;

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
