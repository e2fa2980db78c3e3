#pragma once

namespace kv {

// Numbers of the run-time messages the link and its readouts show (texts in the message file).
inline constexpr int kMsgDailyCloseDue = 16;  // a daily close is due: the document was not printed
inline constexpr int kMsgCloseNotAllowed = 18;
inline constexpr int kMsgPrinterNoticeCaption = 23;
inline constexpr int kMsgCoverOpen = 25;
inline constexpr int kMsgConnecting = 106;  // tray hint
inline constexpr int kMsgPortNotOpened = 107;
inline constexpr int kMsgPortError = 109;  // tray hint
inline constexpr int kMsgHandshakeLinesDown = 110;
inline constexpr int kMsgNoAnswer = 111;
inline constexpr int kMsgReady = 112;  // tray hint
inline constexpr int kMsgVat = 123;    // label of the VAT totals
inline constexpr int kMsgTurnover = 124;
inline constexpr int kMsgTestMode = 132;
inline constexpr int kMsgPortOpenFailed = 139;
inline constexpr int kMsgPortWriteFailed = 140;
inline constexpr int kMsgPortReadFailed = 141;

}  // namespace kv
