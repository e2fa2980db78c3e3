#pragma once

#include "base/operator_boxes.h"
#include "lang/message_table.h"

// The boxes of the device setup commands, each with its messages, buttons and icon. Every
// question before a command that cannot be undone is Yes/No with No as the default, so a box
// that nobody answers sends nothing.

namespace kv {

enum class SetupBox {
  VatLocked,          // amounts not all zero: stop before any question (51, caption 52)
  VatQuestion,        // change the VAT rates? (53, caption 54)
  VatEditInvalid,     // an edit is empty or not a number: nothing sent (192, caption 56)
  VatNotReady,        // InitPort failed (55, caption 56)
  RoundingNotReady,   // InitPort failed (46, caption 47)
  RoundingSent,       // after the read-back (48, caption 49)
  CurrencyQuestion,   // set the currencies? (40, caption "KV4910")
  EraseQuestion,      // erase the journal? (43, caption 44)
  EraseConfirmation,  // really? (45, caption 44)
  TestModeNotReady,   // InitPort failed (59, caption 47)
  ValueIncomplete,    // a rate or rounding value not filled: nothing sent (237, caption "KV4910")
};

Box MakeSetupBox(SetupBox which, const MessageTable& messages);

}  // namespace kv
