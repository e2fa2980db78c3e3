#include "sim/printer_state.h"

namespace kv::sim {

double DayTotals::Total() const {
  double sum = 0;
  for (double amount : turnover) sum += amount;
  return sum;
}

std::array<double, 12> DayTotals::Column1() const {
  return {turnover[0], turnover[1], turnover[2], turnover[3], turnover[4], Total(),
          negatives,   discounts,   reversals,   deposits,    withdrawals, cash};
}

bool DayTotals::AllZero() const {
  for (double amount : Column1())
    if (amount != 0) return false;
  for (double amount : vat)
    if (amount != 0) return false;
  return true;
}

}  // namespace kv::sim
