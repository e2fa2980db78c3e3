#pragma once

#include <cstdint>

#include "link/printer_link.h"

namespace kv {

// What the printer's condition means for a job about to be sent: the first condition of the
// table that applies, in order. `text` 0: nothing stops the job.
struct JobCondition {
  int text = 0;     // message shown (or reported) for it
  int caption = 0;  // message heading its box
  bool ask = false;  // the operator may clear it and have the status queried again
  const char* log = nullptr;  // a line for the error file, when it has one
};
JobCondition JobConditionOf(const StatusFlags& flags, bool closing_job);

// The verdict of a sent job: a receipt is confirmed when the document number advanced by one,
// or the printer is in test mode; a job without a receipt when its bytes went out.
inline bool JobConfirmed(bool sent, bool receipt, bool test_mode, int32_t before, int32_t after) {
  return sent && (!receipt || test_mode || after == before + 1);
}

}  // namespace kv
