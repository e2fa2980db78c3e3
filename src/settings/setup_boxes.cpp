#include "settings/setup_boxes.h"

#include "settings/settings_messages.h"
#include "settings/setup_commands.h"

namespace kv {

namespace {

struct BoxShape {
  int text;
  int caption;  // 0: the application box captioned "KV4910"
  bool question;
  BoxIcon icon;
};

BoxShape ShapeOf(SetupBox which) {
  switch (which) {
    case SetupBox::VatLocked:
      return {51, 52, false, BoxIcon::Warning};
    case SetupBox::VatQuestion:
      return {53, 54, true, BoxIcon::Warning};
    case SetupBox::VatEditInvalid:
      return {kMsgVatEditInvalid, 56, false, BoxIcon::Warning};
    case SetupBox::VatNotReady:
      return {55, 56, false, BoxIcon::Warning};
    case SetupBox::RoundingNotReady:
      return {46, 47, false, BoxIcon::Warning};
    case SetupBox::RoundingSent:
      return {48, 49, false, BoxIcon::None};
    case SetupBox::CurrencyQuestion:
      return {40, 0, true, BoxIcon::Warning};
    case SetupBox::EraseQuestion:
      return {43, 44, true, BoxIcon::Warning};
    case SetupBox::EraseConfirmation:
      return {45, 44, true, BoxIcon::Warning};
    case SetupBox::TestModeNotReady:
      return {59, 47, false, BoxIcon::Warning};
    case SetupBox::ValueIncomplete:
      return {kMsgValueIncomplete, 0, false, BoxIcon::Warning};
  }
  return {0, 0, false, BoxIcon::None};
}

}  // namespace

Box MakeSetupBox(SetupBox which, const MessageTable& messages) {
  const BoxShape shape = ShapeOf(which);
  Box box;
  box.kind = shape.caption == 0 ? BoxKind::App : BoxKind::Captioned;
  if (shape.caption != 0) box.caption = messages[shape.caption];
  box.text = messages[shape.text];
  box.buttons = shape.question ? BoxButtons::YesNo : BoxButtons::Ok;
  box.icon = shape.icon;
  box.default_button = shape.question ? 1 : 0;  // No
  return box;
}

}  // namespace kv
