#pragma once

namespace kv {

// Numbers of the run-time messages of the print manager's core (texts in the message file).
inline constexpr int kMsgConfirmDailyClose = 1;
inline constexpr int kMsgDebugFileCaption = 2;      // caption of a debug.txt that cannot be written
inline constexpr int kMsgDebugFileOpenCaption = 4;  // the same for the monthly close
inline constexpr int kMsgTimerError = 5;
inline constexpr int kMsgProcessingDocument = 6;  // tray hint
inline constexpr int kMsgDebugFileNotOpened = 7;
inline constexpr int kMsgErrorFileNotOpened = 8;
inline constexpr int kMsgPrinterNotReady = 9;
inline constexpr int kMsgNotReadyCaption = 10;
inline constexpr int kMsgReadingDocument = 11;  // tray hint
inline constexpr int kMsgPrinterStateCaption = 17;
inline constexpr int kMsgErrorCaption = 21;
inline constexpr int kMsgInfoFileNotCreated = 29;
inline constexpr int kMsgRegistrationFailed = 36;
inline constexpr int kMsgDocumentNumberUnread = 96;
inline constexpr int kMsgDocumentNumberCaption = 97;
inline constexpr int kMsgPrintingDocument = 98;  // tray hint
inline constexpr int kMsgCopyRequestRefused = 99;
inline constexpr int kMsgFileNotCreated = 100;
inline constexpr int kMsgStateAfterPrintUnread = 101;
inline constexpr int kMsgStateAfterPrintCaption = 102;
inline constexpr int kMsgRetryPrint = 103;
inline constexpr int kMsgPrintErrorCaption = 104;
inline constexpr int kMsgDeletingInput = 105;  // tray hint
inline constexpr int kMsgStarting = 113;       // tray hint
inline constexpr int kMsgAlreadyRunning = 114;
inline constexpr int kMsgPrintManagerCaption = 115;
inline constexpr int kMsgRegisterMessageRetry = 116;
inline constexpr int kMsgNoPortConfigured = 117;
inline constexpr int kMsgRetryConnect = 118;
inline constexpr int kMsgConnectCaption = 119;
inline constexpr int kMsgLeftoverInput = 121;
inline constexpr int kMsgLeftoverCaption = 122;
inline constexpr int kMsgDocumentOpenInPrinter = 133;
inline constexpr int kMsgDocumentOpenCaption = 134;
inline constexpr int kMsgQuitNotAllowed = 135;
inline constexpr int kMsgPrintManagerTitle = 136;
inline constexpr int kMsgConfirmQuit = 137;
inline constexpr int kMsgQuitCaption = 138;
inline constexpr int kMsgWritingInfoTxt = 142;  // tray hint
inline constexpr int kMsgWritingInfoTmp = 143;  // tray hint
inline constexpr int kMsgWritingInfoFul = 144;  // tray hint
inline constexpr int kMsgWritingEsciTxt = 145;  // tray hint
inline constexpr int kMsgInputUnreadable = 152;
inline constexpr int kMsgMessageWindowFailed = 170;

}  // namespace kv
