#pragma once

// The numbered messages of the settings dialog that are its own (the message file holds them).

namespace kv {

inline constexpr int kMsgStartupDelayNotNumber = 230;  // Edit_opozdenie at saving
inline constexpr int kMsgPollingNotNumber = 231;       // Edit_delay_file at saving
inline constexpr int kMsgPortTimeoutNotNumber = 232;   // a port time-out edit at saving
inline constexpr int kMsgConfigNotWritten = 233;       // then the file's path
inline constexpr int kMsgPrinterBusy = 234;            // another exchange holds the printer
inline constexpr int kMsgCurrencyNotWritten = 235;     // then the file's path
inline constexpr int kMsgFileDialogTitle = 240;        // a file dialog that names no title

}  // namespace kv
