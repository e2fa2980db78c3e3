#include "core/job_condition.h"

namespace kv {

JobCondition JobConditionOf(const StatusFlags& flags, bool closing_job) {
  // A document is open on the printer: anything sent now would land inside it.
  if (flags.S1_7) return {151, 17, false, "Otvoreny doklad v tlaciarni"};
  if (flags.S1_2) return {20, 17, true};
  if (flags.S2_7) return {12, 13};
  if (flags.S2_6) return {14, 13};
  if (flags.S2_5) return {15, 13};
  if (flags.S1_6 && !closing_job) return {16, 17};
  if (flags.S1_5 && closing_job) return {18, 17};
  if (flags.S1_4) return {19, 17, true};
  return {};
}

}  // namespace kv
