#include "reports/copy_request.h"

#include <cstdio>

#include "base/control_bytes.h"

namespace kv {

namespace {

bool Digits(std::string_view text, size_t min, size_t max) {
  if (text.size() < min || text.size() > max) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// A number edit holds one to four digits.
bool NumberField(std::string_view text) {
  return Digits(text, 1, 4);
}

bool IsZero(std::string_view digits) {
  return digits.find_first_not_of('0') == std::string::npos;
}

std::string CalendarYyyymmdd(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  return text;
}

// An interval field as the request carries it: a date reordered from ddmmyyyy to yyyymmdd,
// a number as typed. Empty when the field is incomplete.
std::optional<std::string> IntervalValue(std::string_view field, bool by_date) {
  if (!by_date) return NumberField(field) ? std::optional<std::string>(field) : std::nullopt;
  if (!Digits(field, 8, 8)) return std::nullopt;
  return std::string(field.substr(4, 4)) + std::string(field.substr(2, 2)) +
         std::string(field.substr(0, 2));
}

CopyRequest Built(std::string bytes) {
  bytes += '\r';
  return {CopyRequestStatus::Built, std::move(bytes)};
}

CopyRequest BadField() {
  return {CopyRequestStatus::BadField, {}};
}

CopyRequest IntervalRequest(const CopyFields& f, char by_date_letter, char by_number_letter) {
  const auto start = IntervalValue(f.od, f.by_date);
  const auto end = IntervalValue(f.do_, f.by_date);
  if (!start || !end) return BadField();
  std::string bytes{kEsc, 'X', f.by_date ? by_date_letter : by_number_letter};
  return Built(bytes + *start + '\r' + *end + '\r');
}

CopyRequest DateTimeRequest(const CopyFields& f) {
  const auto start = IntervalValue(f.od, true);
  const auto end = IntervalValue(f.do_, true);
  if (!start || !end || !Digits(f.casod, 4, 4) || !Digits(f.casdo, 4, 4)) return BadField();
  return Built(std::string{kEsc, 'z'} + *start + f.casod + *end + f.casdo);
}

}  // namespace

CopyRequest BuildCopyPrintRequest(const CopyFields& f) {
  switch (static_cast<CopyEntry>(f.entry)) {
    case CopyEntry::Receipt:
      if (!NumberField(f.kbldu) || !NumberField(f.kdokladu)) return BadField();
      if (!IsZero(f.kbldu)) return Built(std::string{kEsc, 'C', 'b'} + f.kbldu + '\r' + f.kdokladu);
      return Built(std::string{kEsc, 'C', 'B'} + CalendarYyyymmdd(f.calendar) + f.kdokladu);
    case CopyEntry::Daily:
      if (!NumberField(f.kdu)) return BadField();
      return Built(std::string{kEsc, 'C', 'D'} + CalendarYyyymmdd(f.calendar) + f.kdu);
    case CopyEntry::IntervalDetail:
      return IntervalRequest(f, 'd', 'P');
    case CopyEntry::IntervalSummary:
      return IntervalRequest(f, 'D', 'S');
    case CopyEntry::DateTime:
      return DateTimeRequest(f);
    case CopyEntry::RawHeader:
      break;
  }
  return {};
}

CopyRequest BuildCopyFetchRequest(const CopyFields& f) {
  const std::string fetch{kEsc, 'q'};
  switch (static_cast<CopyEntry>(f.entry)) {
    case CopyEntry::Receipt:
      if (!NumberField(f.kbldu) || !NumberField(f.kdokladu)) return BadField();
      return Built(fetch + f.kbldu + '\r' + f.kdokladu);
    case CopyEntry::Daily:
      if (!NumberField(f.kdu)) return BadField();
      return Built(fetch + f.kdu + '\r' + "9999");
    case CopyEntry::RawHeader:
      if (!NumberField(f.kdu)) return BadField();
      return Built(fetch + f.kdu + '\r' + "8888");
    default:
      break;
  }
  return {};
}

std::optional<CopyFieldState> CopyFieldsForEntry(int entry) {
  switch (static_cast<CopyEntry>(entry)) {
    case CopyEntry::Receipt:
    case CopyEntry::Daily:
      return CopyFieldState{.numbers = true, .fetch = true};
    case CopyEntry::IntervalDetail:
    case CopyEntry::IntervalSummary:
      return CopyFieldState{.interval = true, .by_date_box = true};
    case CopyEntry::DateTime:
      return CopyFieldState{.interval = true, .times = true, .fill_date_and_time = true};
    default:
      return std::nullopt;
  }
}

std::string DateAsDdmmyyyy(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%04d", date.day, date.month, date.year);
  return text;
}

std::string TimeAsHhmm(int hour, int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d", hour, minute);
  return text;
}

IntervalFill FillIntervalFields(bool by_date, const CalendarDate& calendar) {
  if (by_date) return {IntervalMask::Date, DateAsDdmmyyyy(calendar)};
  return {IntervalMask::Number, "0001"};
}

}  // namespace kv
