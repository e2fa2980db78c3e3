#include "settings/setup_boxes.h"

#include "settings/setup_commands.h"

namespace kv {

namespace {

struct BoxSpec {
  int text;
  int caption;  // 0: the application box captioned "KV4910"
  bool question;
  BoxIcon icon;
};

BoxSpec SpecOf(SetupBox which) {
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
  }
  return {0, 0, false, BoxIcon::None};
}

}  // namespace

Box MakeSetupBox(SetupBox which, const MessageTable& messages) {
  const BoxSpec spec = SpecOf(which);
  Box box;
  box.kind = spec.caption == 0 ? BoxKind::App : BoxKind::Captioned;
  if (spec.caption != 0) box.caption = messages[spec.caption];
  box.text = messages[spec.text];
  box.buttons = spec.question ? BoxButtons::YesNo : BoxButtons::Ok;
  box.icon = spec.icon;
  box.default_button = spec.question ? 1 : 0;  // No
  return box;
}

}  // namespace kv
