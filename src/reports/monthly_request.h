#pragma once

#include <array>
#include <string>
#include <string_view>

// The monthly report dialog: a year and a month, and the monthly closing request they make.

namespace kv {

// What the dialog shows on opening: the last finished month, the one before today's `month`
// (1-12), so December of the year before in January. The current month is still running.
struct MonthChoice {
  int year;
  int position;  // in CB_mesiac, 0-11
  bool operator==(const MonthChoice&) const = default;
};
inline MonthChoice PreselectedMonth(int year, int month) {
  if (month <= 1) return {year - 1, 11};
  return {year, (month > 12 ? 12 : month) - 2};
}

// Edit_rok's key filter: digits and Backspace (8).
inline bool YearKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == 8;
}
inline constexpr int kYearMaxLength = 4;

// Messages of a refused request.
inline constexpr int kMsgYearNotNumber = 190;
inline constexpr int kMsgNoMonth = 191;

struct MonthlyRequest {
  std::string bytes;  // empty when refused
  int message = 0;    // the message to show when refused
};

// BitBtn_tlacClick: "%cXD%04d%02d01\r%04d%02d31\r" of ESC, year, month, year, month. The
// year must be one to four digits and a month must be selected (position 0-11); otherwise
// nothing is sent and `message` says why. Day 31 is sent for every month.
MonthlyRequest BuildMonthlyRequest(std::string_view year_text, int month_position);

}  // namespace kv
