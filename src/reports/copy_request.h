#pragma once

#include <optional>
#include <string>
#include <string_view>

// The requests of the copies window: reprints of stored documents and reports, and fetching a
// stored document to show it on screen. Everything here works on the fields' texts; the window
// reads its controls into CopyFields and writes the request through the printer link.

namespace kv {

// Entries of the radio group RG_kopie, in order.
enum class CopyEntry {
  Receipt = 0,          // "Bloček"
  Daily = 1,            // "Denná"
  IntervalDetail = 2,   // "Intervalová podrobná"
  IntervalSummary = 3,  // "Intervalová sumárna"
  DateTime = 4,         // "Podľa dátumu a času"
  RawHeader = 5,        // "CRC16 surová hlavička"
};
inline constexpr int kCopyEntries = 6;

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;
};

// The texts of the window's fields as typed.
struct CopyFields {
  int entry = 0;               // RG_kopie
  CalendarDate calendar;       // kalendar
  std::string kdokladu = "1";  // document number; 9999 = all documents of the day
  std::string kbldu = "0";     // daily closing holding the document; 0 = by the calendar date
  std::string kdu = "1";       // daily closing
  bool by_date = true;         // CheckBox_datum
  std::string od, do_;         // MaskEdit_od, MaskEdit_do: ddmmyyyy by date, 1-4 digits by number
  std::string casod, casdo;    // MaskEdit_casod, MaskEdit_casdo: hhmm
};

enum class CopyRequestStatus {
  Built,
  NoRequest,  // the entry has no request of this kind: the buttons come back, nothing is sent
  BadField,   // a field the request needs is empty or incomplete: nothing is sent
};

struct CopyRequest {
  CopyRequestStatus status = CopyRequestStatus::NoRequest;
  std::string bytes;  // the whole request, final CR included
};

// Every request fits the window's request buffer of 30 bytes.
inline constexpr size_t kCopyRequestBuffer = 30;
// Messages of the window: the caption while a request runs and after it, the printer refusing
// a request (no ACK within the time limit, or a fetched block cut short or too long), and a
// request that cannot be built (CopyRequestStatus::BadField).
inline constexpr int kMsgCopyWorking = 60;
inline constexpr int kMsgCopyRefused = 61;
inline constexpr int kMsgCopyDone = 62;
inline constexpr int kMsgCopyFieldIncomplete = 193;
// Another exchange kept the printer for the whole wait for its turn: nothing was sent.
inline constexpr int kMsgCopyPrinterBusy = 220;
// The printer's answer to a request: a non-zero byte, awaited at most this long.
inline constexpr unsigned kCopyAnswerTimeoutMs = 60000;
inline constexpr unsigned char kAck = 6;

// The print request (BitBtn_tlac). Number edits are used as typed (at most four digits); a
// date field is reordered from ddmmyyyy to yyyymmdd. Entry 5 has no print request.
CopyRequest BuildCopyPrintRequest(const CopyFields& fields);
// The fetch request (BitBtn_copy_to_pc): ESC "q" for entries 0, 1 and 5; the interval entries
// have none.
CopyRequest BuildCopyFetchRequest(const CopyFields& fields);

// What RG_kopieClick enables. Entry 5 changes nothing (empty result).
struct CopyFieldState {
  bool interval = false;     // MaskEdit_od, MaskEdit_do, Label_od, Label_do
  bool by_date_box = false;  // CheckBox_datum
  bool times = false;        // MaskEdit_casod, MaskEdit_casdo
  bool numbers = false;      // Edit_kdokladu, Edit_kbldu, Edit_kdu
  bool fetch = false;        // BitBtn_copy_to_pc
  // Entry 4 also puts the date mask and the calendar date into both interval fields and the
  // calendar's time into both time fields.
  bool fill_date_and_time = false;
};
std::optional<CopyFieldState> CopyFieldsForEntry(int entry);

enum class IntervalMask { Date, Number };
inline constexpr const char* kIntervalDateMask = "!00.00.0000;0;_";
inline constexpr const char* kIntervalNumberMask = "!9990;0;0";

// CheckBox_datumClick (and opening): by date both interval fields take the date mask and the
// calendar date, by number the number mask and "0001".
struct IntervalFill {
  IntervalMask mask;
  std::string text;  // for both fields
};
IntervalFill FillIntervalFields(bool by_date, const CalendarDate& calendar);

// "%02d%02d%04d": the calendar date as an interval field holds it.
std::string DateAsDdmmyyyy(const CalendarDate& date);
// "%02d%02d": a time as the time fields hold it.
std::string TimeAsHhmm(int hour, int minute);

// Key filter of Edit_kdokladu, Edit_kbldu and Edit_kdu: digits and Backspace (8).
inline bool CopyNumberKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == 8;
}

}  // namespace kv
