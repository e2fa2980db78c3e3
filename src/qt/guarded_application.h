#pragma once

#include <QApplication>
#include <string>

namespace kv {

// The application object. An error that escapes from an event handler ends the message loop
// (exit code 1) and is kept, so that the program entry can show it after closing the port.
class GuardedApplication final : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
  const std::string& escaped_error() const { return escaped_error_; }

 private:
  std::string escaped_error_;
};

// An error that ended the program (`text` is cp1250): written to the standard error (the
// service's log) and shown in a box when there is a screen; without one nobody could close the
// box, so the program ends at once.
void ShowEscapedError(const std::string& text);

}  // namespace kv
