#pragma once

#include <string>
#include <vector>

namespace kv {

// The three kinds of modal, topmost box the operator sees.
enum class BoxKind {
  Plain,    // the system's default caption
  App,      // caption "KV4910"
  Captioned // caption is another text, usually a numbered message
};

enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class BoxIcon { None, Error, Question, Warning, Information };
enum class BoxAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// One box. Texts are bytes in the installation code page (cp1250).
struct Box {
  BoxKind kind = BoxKind::Plain;
  std::string caption;  // used with BoxKind::Captioned
  std::string text;
  BoxButtons buttons = BoxButtons::Ok;
  BoxIcon icon = BoxIcon::None;
  int default_button = 0;  // 0 = first button, 1 = second, 2 = third
};

inline constexpr const char* kAppBoxCaption = "KV4910";

// The caption the box shows: the system default for Plain boxes is left to the implementation.
inline std::string BoxCaption(const Box& box) {
  switch (box.kind) {
    case BoxKind::App:
      return kAppBoxCaption;
    case BoxKind::Captioned:
      return box.caption;
    case BoxKind::Plain:
      break;
  }
  return {};
}

// The answers of a set of buttons, in their order on the box.
inline std::vector<BoxAnswer> ButtonAnswers(BoxButtons buttons) {
  using A = BoxAnswer;
  switch (buttons) {
    case BoxButtons::Ok: return {A::Ok};
    case BoxButtons::OkCancel: return {A::Ok, A::Cancel};
    case BoxButtons::YesNo: return {A::Yes, A::No};
    case BoxButtons::YesNoCancel: return {A::Yes, A::No, A::Cancel};
    case BoxButtons::RetryCancel: return {A::Retry, A::Cancel};
    case BoxButtons::AbortRetryIgnore: return {A::Abort, A::Retry, A::Ignore};
  }
  return {A::Ok};
}

// The answer of the box's default button: what an operator who only presses Enter gives, and
// what a box nobody can see takes. A default outside the buttons means the first one.
inline BoxAnswer DefaultAnswer(const Box& box) {
  const std::vector<BoxAnswer> answers = ButtonAnswers(box.buttons);
  const bool valid =
      box.default_button >= 0 && static_cast<size_t>(box.default_button) < answers.size();
  return answers[valid ? static_cast<size_t>(box.default_button) : 0];
}

// Shows boxes and returns the operator's answer. The Qt application shows a QMessageBox; tests
// script the answers.
class OperatorBoxes {
 public:
  virtual ~OperatorBoxes() = default;
  virtual BoxAnswer Show(const Box& box) = 0;

  BoxAnswer Plain(std::string text, BoxButtons buttons = BoxButtons::Ok,
                  BoxIcon icon = BoxIcon::None, int default_button = 0) {
    return Show({BoxKind::Plain, {}, std::move(text), buttons, icon, default_button});
  }
  BoxAnswer App(std::string text, BoxButtons buttons = BoxButtons::Ok,
                BoxIcon icon = BoxIcon::None, int default_button = 0) {
    return Show({BoxKind::App, {}, std::move(text), buttons, icon, default_button});
  }
  BoxAnswer Captioned(std::string caption, std::string text, BoxButtons buttons = BoxButtons::Ok,
                      BoxIcon icon = BoxIcon::None, int default_button = 0) {
    return Show({BoxKind::Captioned, std::move(caption), std::move(text), buttons, icon,
                 default_button});
  }
};

}  // namespace kv
