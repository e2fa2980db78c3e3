#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "sim/engine.h"

// The printer faults the fault tests run every kind of job against, and what each job's outcome
// must be under each.

namespace kv::test {

enum class Kind { Receipt, Closing, Information, Status, StatusRecord, Copy };
inline constexpr std::array kKinds = {Kind::Receipt, Kind::Closing,      Kind::Information,
                               Kind::Status,  Kind::StatusRecord, Kind::Copy};
inline constexpr const char* kKindNames[] = {"receipt", "closing", "information",
                                      "status",  "record",  "copy"};

// Done: the job's effect happened once and was reported done. Failed: it did not happen (or was
// cut off) and was reported failed. Doubtful: the printer did it once but gave no proof (the
// document number stayed), so it is reported failed with its bytes kept for the operator.
enum class Outcome { Done, Failed, Doubtful, Wrong };
inline constexpr const char* kOutcomeNames[] = {"done", "failed", "doubtful", "WRONG"};

inline constexpr uint32_t kMidJobBytes = 40;  // the bring-up and the number take about twenty

struct Fault {
  const char* name;
  std::function<void(sim::Engine&)> apply;
  bool lasting;  // mended by the operator a while later; otherwise it passes by itself
  // Per kind (receipt, closing, information, status, record, copy): D done, F failed,
  // ? doubtful.
  const char* by_kind;
};
const std::vector<Fault>& Faults();

// The outcome a job of `kind` must have under `fault` (with questions or not, with a client or
// not), the operator mending a lasting fault.
Outcome Expected(const Fault& fault, Kind kind, int msg, bool messaging);

}  // namespace kv::test
