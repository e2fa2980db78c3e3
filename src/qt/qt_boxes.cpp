#include "qt/qt_boxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/repeat_filter.h"
#include "qt/quit_on_signal.h"
#include "lang/codepage.h"

namespace kv {

namespace {

constexpr const char* kAnswerNames[] = {"Ok", "Cancel", "Yes", "No", "Retry", "Abort", "Ignore"};

struct ButtonSet {
  std::vector<QMessageBox::StandardButton> buttons;
};

ButtonSet ButtonsOf(BoxButtons buttons) {
  using B = QMessageBox;
  switch (buttons) {
    case BoxButtons::Ok: return {{B::Ok}};
    case BoxButtons::OkCancel: return {{B::Ok, B::Cancel}};
    case BoxButtons::YesNo: return {{B::Yes, B::No}};
    case BoxButtons::YesNoCancel: return {{B::Yes, B::No, B::Cancel}};
    case BoxButtons::RetryCancel: return {{B::Retry, B::Cancel}};
    case BoxButtons::AbortRetryIgnore: return {{B::Abort, B::Retry, B::Ignore}};
  }
  return {{B::Ok}};
}

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

BoxAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    case QMessageBox::Retry: return BoxAnswer::Retry;
    case QMessageBox::Abort: return BoxAnswer::Abort;
    case QMessageBox::Ignore: return BoxAnswer::Ignore;
    default: return BoxAnswer::Cancel;
  }
}

// Without a screen (the offscreen platform of a service or a test run) nobody can see a box.
bool Headless() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

uint32_t MonotonicMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The unseen boxes of a loop that keeps failing are logged once, then as a count.
RepeatFilter& UnseenBoxes() {
  static RepeatFilter filter;
  return filter;
}

void LogRepeats(const std::vector<RepeatFilter::Run>& runs) {
  for (const RepeatFilter::Run& run : runs)
    std::fprintf(stderr, "%s (%d more times)\n", run.line.c_str(), run.repeats);
}

// A box nobody can see: it goes to the standard error stream and takes its default button,
// which is what an operator who only presses Enter would do (retry questions retry, questions
// before irreversible commands say No).
BoxAnswer AnswerUnseen(const Box& box) {
  const BoxAnswer answer = DefaultAnswer(box);
  const std::string line = "kv4910: box [" + Cp1250ToUtf8(BoxCaption(box)) + "] " +
                           Cp1250ToUtf8(box.text) + " -> " +
                           kAnswerNames[static_cast<int>(answer)];
  std::vector<RepeatFilter::Run> repeated;
  const bool fresh = UnseenBoxes().Take(line, MonotonicMs(), repeated);
  LogRepeats(repeated);
  if (fresh) std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  return answer;
}

}  // namespace

QtOperatorBoxes::~QtOperatorBoxes() {
  LogRepeats(UnseenBoxes().Flush());
}

BoxAnswer QtOperatorBoxes::Show(const Box& box) {
  // The program is ending on a termination signal: nobody is there to answer.
  if (TerminationRequested())
    return box.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Cancel;
  const ButtonSet set = ButtonsOf(box.buttons);
  if (Headless()) return AnswerUnseen(box);
  QMessageBox message;
  const std::string caption =
      box.kind == BoxKind::Plain ? QApplication::applicationName().toStdString() : BoxCaption(box);
  message.setWindowTitle(box.kind == BoxKind::Plain
                             ? QString::fromStdString(caption)
                             : QString::fromStdString(Cp1250ToUtf8(caption)));
  message.setText(QString::fromStdString(Cp1250ToUtf8(box.text)));
  message.setIcon(IconOf(box.icon));
  message.setWindowFlag(Qt::WindowStaysOnTopHint);
  for (size_t i = 0; i < set.buttons.size(); ++i) {
    message.addButton(set.buttons[i]);
    if (static_cast<int>(i) == box.default_button) message.setDefaultButton(set.buttons[i]);
  }
  return AnswerOf(message.exec());
}

}  // namespace kv
