#include "reports/monthly_request.h"

#include <cstdio>

namespace kv {

MonthlyRequest BuildMonthlyRequest(std::string_view year_text, int month_position) {
  if (year_text.empty() || year_text.size() > static_cast<size_t>(kYearMaxLength) ||
      year_text.find_first_not_of("0123456789") != std::string_view::npos)
    return {{}, kMsgYearNotNumber};
  if (month_position < 0 || month_position > 11) return {{}, kMsgNoMonth};
  const int year = std::stoi(std::string(year_text));
  const int month = month_position + 1;
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%cXD%04d%02d01\r%04d%02d31\r", 27, year, month,
                              year, month);
  return {std::string(text, static_cast<size_t>(n)), 0};
}

}  // namespace kv
