#pragma once

// The numbered messages of the settings dialog that are its own (the message file holds them).

namespace kv {

// The default file names and title of the file dialogs.
inline constexpr int kMsgInputFileName = 30;         // blocek.txt
inline constexpr int kMsgJournalFileName = 31;       // zurnal.txt
inline constexpr int kMsgBackup1FileName = 37;       // zaloha1.txt
inline constexpr int kMsgBackup2FileName = 38;       // zaloha2.txt
inline constexpr int kMsgChoosePriceListFile = 50;

inline constexpr int kMsgStartupDelayNotNumber = 230;  // Edit_opozdenie at saving
inline constexpr int kMsgPollingNotNumber = 231;       // Edit_delay_file at saving
inline constexpr int kMsgPortTimeoutNotNumber = 232;   // a port time-out edit at saving
inline constexpr int kMsgConfigNotWritten = 233;       // then the file's path
inline constexpr int kMsgPrinterBusy = 234;            // another exchange holds the printer
inline constexpr int kMsgCurrencyNotWritten = 235;     // then the file's path
inline constexpr int kMsgCloseWithoutSaving = 236;     // after a save that could not write
inline constexpr int kMsgValueIncomplete = 237;        // a rate or rounding value not filled
inline constexpr int kMsgNewIdAtRestart = 238;         // id_aplikacia reaches clients at restart
inline constexpr int kMsgFileDialogTitle = 240;        // a file dialog that names no title

}  // namespace kv
